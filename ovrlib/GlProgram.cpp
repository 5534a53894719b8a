#include "ovrlib/GlProgram.h"

#include "data/ResourceRegistry.h"

#include <epoxy/gl.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace ovrlib {
namespace {

std::string infoLog(GLuint object, bool program) {
    GLint length = 0;
    if (program) glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    if (program) glGetProgramInfoLog(object, length, nullptr, text.data());
    else glGetShaderInfoLog(object, length, nullptr, text.data());
    return text.data();
}

GLuint compile(GLenum type, std::string_view name) {
    const auto source = earth::findResource("SHADER", name);
    if (!source) throw std::runtime_error("Missing shader " + std::string(name));
    const GLuint shader = glCreateShader(type);
    const GLchar* text = source->data();
    const GLint length = static_cast<GLint>(source->size());
    glShaderSource(shader, 1, &text, &length);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        std::fprintf(stderr, "%s:\n%s\n", std::string(name).c_str(), infoLog(shader, false).c_str());
        glDeleteShader(shader);
        throw std::runtime_error("Shader build failed " + std::string(name));
    }
    return shader;
}

}  // namespace

std::uint32_t buildProgram(std::string_view vertexName, std::string_view fragmentName) {
    const GLuint vertex = compile(GL_VERTEX_SHADER, vertexName);
    GLuint fragment = 0;
    try {
        fragment = compile(GL_FRAGMENT_SHADER, fragmentName);
    } catch (...) {
        glDeleteShader(vertex);
        throw;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        std::fprintf(stderr, "%s + %s:\n%s\n", std::string(vertexName).c_str(),
                     std::string(fragmentName).c_str(), infoLog(program, true).c_str());
        glDeleteProgram(program);
        throw std::runtime_error("Shader build failed " + std::string(fragmentName));
    }
    return program;
}

}  // namespace ovrlib
