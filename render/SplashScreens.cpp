#include "render/SplashScreens.h"

#include "data/Resources.h"
#include "render/Textures.h"

#include <epoxy/gl.h>
#include <glm/gtc/type_ptr.hpp>

namespace earth {

namespace {

constexpr GLint kViewProjectionLocation = 0;
constexpr GLint kTextureLocation = 1;

glcommon::GlNameArray<1> splashTexture(std::uint16_t id) {
    const Image image(id);
    return glcommon::Texture2D(image, GL_RGBA);
}

}  // namespace

SplashScreens::SplashScreens(const glm::vec3& centre, float height, float width,
                             std::uint16_t firstImage, std::uint16_t secondImage) {
    program_ = glcommon::ShaderProgram(
        glcommon::ProgramDescription::drawing("textured-quad.vsh", "textured-quad.fsh"));
    firstSplash_ = splashTexture(firstImage);
    secondSplash_ = splashTexture(secondImage);

    vertexArray_ = glcommon::GlNameArray<1>(glGenVertexArrays, glDeleteVertexArrays);
    glBindVertexArray(vertexArray_[0]);
    vertexBuffer_ = glcommon::GlNameArray<1>(glGenBuffers, glDeleteBuffers);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_[0]);

    // A strip whose first row of the image (v = 0) is at the top; counter-clockwise from +Z.
    const float hw = width / 2.0f;
    const float hh = height / 2.0f;
    vertices_ = {{
        {{centre.x - hw, centre.y - hh, centre.z}, 0.0f, 1.0f},
        {{centre.x + hw, centre.y - hh, centre.z}, 1.0f, 1.0f},
        {{centre.x - hw, centre.y + hh, centre.z}, 0.0f, 0.0f},
        {{centre.x + hw, centre.y + hh, centre.z}, 1.0f, 0.0f},
    }};
    glBufferData(GL_ARRAY_BUFFER, sizeof vertices_, vertices_.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(SplashVertex), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(SplashVertex),
                          reinterpret_cast<const void*>(offsetof(SplashVertex, u)));
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

void SplashScreens::draw(int selector, const glm::mat4& projection, const glm::mat4& view) {
    // Any other selector would show whatever texture happens to be bound on unit 0.
    if (selector != 1 && selector != 2) return;
    glBindVertexArray(vertexArray_[0]);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_[0]);
    glUseProgram(program_.id());
    const glm::mat4 viewProjection = projection * view;
    glUniformMatrix4fv(kViewProjectionLocation, 1, GL_FALSE, glm::value_ptr(viewProjection));
    glUniform1i(kTextureLocation, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, selector == 1 ? firstSplash_[0] : secondSplash_[0]);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

}  // namespace earth
