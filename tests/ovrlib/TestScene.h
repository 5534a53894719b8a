#pragma once
// What the headset GL tests draw: a green unit square at the world origin facing +z, on a
// dark blue sky, and the measures the tests take of the pictures that come out.

#include <epoxy/gl.h>

#include <glm/gtc/type_ptr.hpp>
#include <glm/mat4x4.hpp>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace ovrlib::test {

class GreenSquare {
public:
    GreenSquare() {
        const char* vs = R"(#version 430 core
uniform mat4 mvp;
void main() {
    vec2 c = vec2(gl_VertexID & 1, gl_VertexID >> 1) - 0.5;
    gl_Position = mvp * vec4(c, 0.0, 1.0);
})";
        const char* fs = R"(#version 430 core
out vec4 colour;
void main() { colour = vec4(0.0, 1.0, 0.0, 1.0); })";
        program_ = glCreateProgram();
        for (auto [type, source] : {std::pair{GL_VERTEX_SHADER, vs}, std::pair{GL_FRAGMENT_SHADER, fs}}) {
            const GLuint shader = glCreateShader(type);
            glShaderSource(shader, 1, &source, nullptr);
            glCompileShader(shader);
            glAttachShader(program_, shader);
            glDeleteShader(shader);
        }
        glLinkProgram(program_);
        GLint ok = 0;
        glGetProgramiv(program_, GL_LINK_STATUS, &ok);
        if (!ok) throw std::runtime_error("test square program did not link");
        glGenVertexArrays(1, &vao_);
    }
    ~GreenSquare() {
        glDeleteProgram(program_);
        glDeleteVertexArrays(1, &vao_);
    }

    void draw(const glm::mat4& projection, const glm::mat4& view, const glm::mat4& /*sky*/) const {
        glClearColor(0.0f, 0.0f, 0.2f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUseProgram(program_);
        const glm::mat4 mvp = projection * view;
        glUniformMatrix4fv(glGetUniformLocation(program_, "mvp"), 1, GL_FALSE, glm::value_ptr(mvp));
        glBindVertexArray(vao_);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glBindVertexArray(0);
        glUseProgram(0);
    }

private:
    GLuint program_ = 0;
    GLuint vao_ = 0;
};

struct Blob {
    int count = 0;
    double centreX = 0.0;  // in pixels from the region's left edge
    double centreY = 0.0;
};

// Green pixels of the region [x0, x0 + width) x [0, height) of an RGBA image.
inline Blob greenIn(const std::vector<std::uint8_t>& rgba, int imageWidth, int x0, int width, int height) {
    Blob b;
    for (int y = 0; y < height; ++y) {
        for (int x = x0; x < x0 + width; ++x) {
            const std::uint8_t* p = &rgba[(std::size_t(y) * imageWidth + x) * 4];
            if (p[1] > 200 && p[0] < 80 && p[2] < 80) {
                ++b.count;
                b.centreX += x - x0;
                b.centreY += y;
            }
        }
    }
    if (b.count > 0) {
        b.centreX /= b.count;
        b.centreY /= b.count;
    }
    return b;
}

inline std::vector<std::uint8_t> readTexture(GLuint texture, int width, int height) {
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return pixels;
}

}  // namespace ovrlib::test
