#include "render/ShaderProgram.h"

#include "render/ShaderCatalogue.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <stdexcept>

namespace glcommon {

namespace impl {

std::string fetchInfoLog(std::int32_t reportedLength,
                         const std::function<void(std::int32_t, char*)>& fetch) {
    const std::int32_t capacity = std::max<std::int32_t>(reportedLength, 1);
    std::vector<char> buffer(static_cast<std::size_t>(capacity) + 1, '\0');
    fetch(capacity, buffer.data());
    buffer.back() = '\0';  // whatever the driver wrote, the text ends inside the buffer
    return std::string(buffer.data(), std::strlen(buffer.data()));
}

}  // namespace impl

namespace {

const char* stageName(GLenum type) {
    switch (type) {
        case GL_VERTEX_SHADER: return "vertex";
        case GL_FRAGMENT_SHADER: return "fragment";
        case GL_COMPUTE_SHADER: return "compute";
        default: return "unknown";
    }
}

enum class Step { Compile, Link };

// The one place that reads a build status: on failure it prints what failed and the driver's
// log on the error stream and throws the fixed sentence.
void checkBuilt(GLuint object, Step step, const std::string& what) {
    const bool compile = step == Step::Compile;
    GLint status = 0;
    if (compile) {
        glGetShaderiv(object, GL_COMPILE_STATUS, &status);
    } else {
        glGetProgramiv(object, GL_LINK_STATUS, &status);
    }
    if (status != 0) return;

    GLint length = 0;
    if (compile) {
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    } else {
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    }
    const std::string log = impl::fetchInfoLog(length, [&](std::int32_t capacity, char* buffer) {
        if (compile) {
            glGetShaderInfoLog(object, capacity, nullptr, buffer);
        } else {
            glGetProgramInfoLog(object, capacity, nullptr, buffer);
        }
    });
    std::cerr << what << (compile ? " failed to compile:" : " failed to link:") << '\n'
              << log << std::endl;
    throw std::runtime_error(compile ? "Unable to compile shader" : "Unable to link shader program");
}

}  // namespace

GlName compileShader(std::uint32_t type, const std::string& name, const ShaderSources& sources) {
    const std::string source = sources ? sources(name) : earth::shaderSource(name);
    GlName shader(glCreateShader(type), glDeleteShader);
    const char* text = source.c_str();
    glShaderSource(shader.get(), 1, &text, nullptr);
    glCompileShader(shader.get());
    checkBuilt(shader.get(), Step::Compile,
               std::string(stageName(type)) + " shader \"" + name + "\"");
    return shader;
}

ShaderProgram::ShaderProgram(const ProgramDescription& description) {
    std::vector<GlName> stages;
    std::string what = "program (";
    const std::pair<GLenum, const std::optional<std::string>*> parts[] = {
        {GL_VERTEX_SHADER, &description.vertex},
        {GL_FRAGMENT_SHADER, &description.fragment},
        {GL_COMPUTE_SHADER, &description.compute},
    };
    for (const auto& [type, name] : parts) {
        if (!*name) continue;
        stages.push_back(compileShader(type, **name, description.sources));
        what += (stages.size() > 1 ? ", \"" : "\"") + **name + "\"";
    }
    what += ")";

    GlName program(glCreateProgram(), glDeleteProgram);
    for (const GlName& stage : stages) glAttachShader(program.get(), stage.get());

    glLinkProgram(program.get());
    checkBuilt(program.get(), Step::Link, what);

    for (const GlName& stage : stages) glDetachShader(program.get(), stage.get());
    program_ = std::move(program);
}

std::int32_t uniformLocation(const ShaderProgram& program, const std::string& name) {
    return glGetUniformLocation(program.id(), name.c_str());
}

std::int32_t uniformLocation(const ShaderProgram& program, const std::string& structName,
                             const std::string& fieldName) {
    return uniformLocation(program, structName + "." + fieldName);
}

}  // namespace glcommon
