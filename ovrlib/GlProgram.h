#pragma once
// Builds the small GL programs of the headset back-ends from embedded GLSL sources.

#include <cstdint>
#include <string_view>

namespace ovrlib {

// Compiles and links a vertex and a fragment shader named in the shader resources. Throws
// "Missing shader <name>" or "Shader build failed <name>" (the info log goes to stderr).
std::uint32_t buildProgram(std::string_view vertexName, std::string_view fragmentName);

}  // namespace ovrlib
