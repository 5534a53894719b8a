#pragma once
// The GLSL sources of the program, by file name ("orbit.vsh"). The texts are the files under
// render/shaders/, embedded at build time through render/shaders/shaders.txt.

#include <string>
#include <vector>

namespace earth {

// A copy of the source stored under the name; throws "Missing shader" for any other name.
std::string shaderSource(const std::string& name);

// Every name the catalogue holds, in ascending order.
std::vector<std::string> shaderNames();

}  // namespace earth
