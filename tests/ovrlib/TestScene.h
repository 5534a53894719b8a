#pragma once
// What the headset GL tests draw (a green unit square at the world origin facing +z, on a dark
// blue sky), the scene's side of a headset as the program sets it up, and the measure the tests
// take of the pictures that come out.

#include "ovrlib/Headset.h"
#include "render/ShaderProgram.h"
#include "support/GlTestContext.h"

#include <epoxy/gl.h>

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace ovrlib::test {

class GreenSquare {
public:
    void draw(const glm::mat4& projection, const glm::mat4& view, const glm::mat4& /*sky*/) const {
        glClearColor(0.0f, 0.0f, 0.2f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUseProgram(program_.id());
        glUniformMatrix4fv(glGetUniformLocation(program_.id(), "mvp"), 1, GL_FALSE, glm::value_ptr(projection * view));
        glBindVertexArray(vao_[0]);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }

private:
    static glcommon::ShaderProgram build() {
        glcommon::ProgramDescription d = glcommon::ProgramDescription::drawing("square.vsh", "green.fsh");
        d.sources = [](const std::string& name) -> std::string {
            return name == "square.vsh" ? "#version 430 core\nuniform mat4 mvp;\nvoid main() { gl_Position = mvp * "
                                          "vec4(vec2(gl_VertexID & 1, gl_VertexID >> 1) - 0.5, 0.0, 1.0); }\n"
                                        : "#version 430 core\nout vec4 colour;\nvoid main() { colour = vec4(0, 1, 0, 1); }\n";
        };
        return glcommon::ShaderProgram(d);
    }
    glcommon::ShaderProgram program_ = build();
    glcommon::GlNameArray<1> vao_{glGenVertexArrays, glDeleteVertexArrays};
};

// The headset objects in the order the program makes them, viewing the square from 3 units.
struct HeadsetRig {
    HeadsetRig(int width, int height, std::unique_ptr<HeadsetContext> made) : gl(width, height), context(std::move(made)) {
        for (int eye = 0; eye < 2; ++eye) eyes.emplace_back(state->eyeTextureSize[eye].width, state->eyeTextureSize[eye].height);
        bound = state->bind(eyes[0].colorTexture(), eyes[1].colorTexture());
        headset.recenter();
        camera.position = {0.0f, 0.0f, 3.0f};
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
    }
    Gaze frame() {
        return renderHeadsetFrame(*bound, headset, eyes, frameIndex++, camera,
                                  [&](const glm::mat4& p, const glm::mat4& v, const glm::mat4& s) { square.draw(p, v, s); });
    }
    // The scene's teardown: rendering is given back while the GL context is current.
    void release() {
        bound.reset();
        state.reset();
    }
    earth::test::GlTestContext gl;
    std::unique_ptr<HeadsetContext> context;
    Headset headset{context.get()};
    std::shared_ptr<GlRenderState> state = headset.makeRenderState(gl.window());
    std::vector<Framebuffer> eyes;
    std::shared_ptr<BoundGlRenderState> bound;
    GreenSquare square;
    EyeCamera camera;
    std::uint32_t frameIndex = 0;
};

struct Blob { int count = 0; double centreX = 0.0; /* pixels from the region's left edge */ };

// Green pixels of the region [x0, x0 + width) x [0, height) of an RGBA image.
inline Blob greenIn(const std::vector<std::uint8_t>& rgba, int imageWidth, int x0, int width, int height) {
    Blob b;
    for (int y = 0; y < height; ++y) {
        for (int x = x0; x < x0 + width; ++x) {
            const std::uint8_t* p = &rgba[(std::size_t(y) * imageWidth + x) * 4];
            const bool green = p[1] > 200 && p[0] < 80 && p[2] < 80;
            b.count += green;
            b.centreX += green ? x - x0 : 0;
        }
    }
    b.centreX /= std::max(b.count, 1);
    return b;
}

inline std::vector<std::uint8_t> readTexture(GLuint texture, int width, int height) {
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());  // rows of 4-byte pixels: no padding
    glBindTexture(GL_TEXTURE_2D, 0);
    return pixels;
}

}  // namespace ovrlib::test
