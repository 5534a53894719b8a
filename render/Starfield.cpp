#include "render/Starfield.h"

#include "data/Resources.h"
#include "render/Textures.h"

#include <epoxy/gl.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace earth {

namespace {

std::array<std::uint16_t, 36> makeIndices() {
    std::array<std::uint16_t, 36> indices{};
    for (std::uint16_t f = 0; f < 6; ++f) {
        const std::uint16_t b = static_cast<std::uint16_t>(4 * f);
        const std::uint16_t face[6] = {b, static_cast<std::uint16_t>(b + 1),
                                       static_cast<std::uint16_t>(b + 2),
                                       static_cast<std::uint16_t>(b + 1),
                                       static_cast<std::uint16_t>(b + 3),
                                       static_cast<std::uint16_t>(b + 2)};
        for (int k = 0; k < 6; ++k) indices[6 * f + k] = face[k];
    }
    return indices;
}

}  // namespace

StarfieldProgram::StarfieldProgram()
    : program_(glcommon::ProgramDescription::drawing("starfield.vsh", "starfield.fsh")) {
    orientationLocation_ = glcommon::uniformLocation(program_, "uOrientationMatrix");
    textureLocation_ = glcommon::uniformLocation(program_, "uTexture");
}

void StarfieldProgram::use(const glm::mat4& matrix, int unit) const {
    glUseProgram(program_.id());
    glUniformMatrix4fv(orientationLocation_, 1, GL_FALSE, glm::value_ptr(matrix));
    glUniform1i(textureLocation_, unit);
}

const std::array<glm::vec3, 24>& Starfield::cubeVertices() {
    // Four corners per face; each face's two triangles face the cube's centre.
    static const std::array<glm::vec3, 24> vertices = {{
        {1, -1, -1}, {1, -1, 1}, {1, 1, -1}, {1, 1, 1},          // +X
        {-1, -1, 1}, {-1, -1, -1}, {-1, 1, 1}, {-1, 1, -1},      // -X
        {-1, 1, -1}, {1, 1, -1}, {-1, 1, 1}, {1, 1, 1},          // +Y
        {-1, -1, 1}, {1, -1, 1}, {-1, -1, -1}, {1, -1, -1},      // -Y
        {-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {1, 1, -1},      // -Z
        {1, -1, 1}, {-1, -1, 1}, {1, 1, 1}, {-1, 1, 1},          // +Z
    }};
    return vertices;
}

const std::array<std::uint16_t, 36>& Starfield::cubeIndices() {
    static const std::array<std::uint16_t, 36> indices = makeIndices();
    return indices;
}

glm::mat4 Starfield::fixedRotation() {
    glm::mat4 r = glm::rotate(glm::mat4(1.0f), 0.75f, glm::vec3(1.0f, 0.0f, 0.0f));
    r = glm::rotate(r, 0.6f, glm::vec3(0.0f, 1.0f, 0.0f));
    return glm::rotate(r, 1.4f, glm::vec3(0.0f, 0.0f, 1.0f));
}

namespace {

// The six images live only until their faces are uploaded.
glcommon::GlNameArray<1> starTexture(const StarfieldFaces& faces) {
    const Image px(faces.positiveX), nx(faces.negativeX), py(faces.positiveY),
        ny(faces.negativeY), pz(faces.positiveZ), nz(faces.negativeZ);
    return glcommon::CubeMapTexture(px, nx, py, ny, pz, nz);
}

}  // namespace

Starfield::Starfield(const StarfieldFaces& faces) : texture_(starTexture(faces)) {
    vertexArray_ = glcommon::GlNameArray<1>(glGenVertexArrays, glDeleteVertexArrays);
    glBindVertexArray(vertexArray_[0]);
    buffers_ = glcommon::GlNameArray<2>(glGenBuffers, glDeleteBuffers);
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[0]);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers_[1]);
    glBufferData(GL_ARRAY_BUFFER, sizeof(glm::vec3) * cubeVertices().size(),
                 cubeVertices().data(), GL_STATIC_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof(std::uint16_t) * cubeIndices().size(),
                 cubeIndices().data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(glm::vec3), nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

    rotation_ = fixedRotation();
}

void Starfield::draw(const glm::mat4& orientation) {
    glBindVertexArray(vertexArray_[0]);
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[0]);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers_[1]);
    program_.use(orientation * rotation_, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture_[0]);
    // At depth 1, where the clear left it: the depth test turns away the pixels already drawn
    // before their texture lookups, which is most of the cost on a software renderer.
    glDepthMask(GL_FALSE);
    glDepthFunc(GL_LEQUAL);
    glDrawElements(GL_TRIANGLES, 36, GL_UNSIGNED_SHORT, nullptr);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

}  // namespace earth
