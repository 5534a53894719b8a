#pragma once
// Shader programs built from the named sources of the shader catalogue.

#include "render/GlName.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace glcommon {

// The source text stored under a name; throws "Missing shader" for a name it does not hold.
using ShaderSources = std::function<std::string(const std::string& name)>;

// Which stages a program has, by source name.
struct ProgramDescription {
    std::optional<std::string> vertex;
    std::optional<std::string> fragment;
    // A compute program has this stage alone.
    std::optional<std::string> compute;
    // Where the names are looked up; empty means the program's shader catalogue. The headset
    // runtime's presentation shaders are the runtime's own, not the catalogue's.
    ShaderSources sources;

    // The common case: a vertex and a fragment stage from the shader catalogue.
    static ProgramDescription drawing(const std::string& vertex, const std::string& fragment) {
        ProgramDescription d;
        d.vertex = vertex;
        d.fragment = fragment;
        return d;
    }
};

// A compiled shader object of `type` (GL_VERTEX_SHADER, ...) from the text `name` of `sources`
// (the shader catalogue when empty). Throws "Missing shader" or, after printing the driver's
// log, "Unable to compile shader".
GlName compileShader(std::uint32_t type, const std::string& name,
                     const ShaderSources& sources = {});

class ShaderProgram {
public:
    ShaderProgram() = default;
    // Throws as compileShader does, or "Unable to link shader program" after the log.
    explicit ShaderProgram(const ProgramDescription& description);

    std::uint32_t id() const noexcept { return program_.get(); }
    bool valid() const noexcept { return program_.owns(); }

private:
    GlName program_;
};

std::int32_t uniformLocation(const ShaderProgram& program, const std::string& name);
// The location of "structName.fieldName".
std::int32_t uniformLocation(const ShaderProgram& program, const std::string& structName,
                             const std::string& fieldName);

namespace impl {

// Reads an info log whose reported length may be 0 (some drivers say so even when they
// write a terminator): the buffer always has at least one zeroed byte.
std::string fetchInfoLog(std::int32_t reportedLength,
                         const std::function<void(std::int32_t capacity, char* buffer)>& fetch);

}  // namespace impl

}  // namespace glcommon
