#include "render/PanelRenderer.h"

#include <epoxy/gl.h>
#include <glm/gtc/type_ptr.hpp>

#include <cstddef>

namespace earth {

namespace {

constexpr GLint kProjectionLocation = 0;
constexpr GLint kViewLocation = 1;
constexpr GLint kTextureLocation = 2;

}  // namespace

PanelRenderer::PanelRenderer() {
    program_ = glcommon::ShaderProgram(
        glcommon::ProgramDescription::drawing("panel.vsh", "panel.fsh"));
    vertexArray_ = glcommon::GlNameArray<1>(glGenVertexArrays, glDeleteVertexArrays);
    glBindVertexArray(vertexArray_[0]);
    vertexBuffer_ = glcommon::GlNameArray<1>(glGenBuffers, glDeleteBuffers);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_[0]);
    const GLsizei stride = sizeof(PanelVertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(PanelVertex, position)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(PanelVertex, uv)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(PanelVertex, colour)));
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

PanelRenderer::~PanelRenderer() = default;

void PanelRenderer::upload() {
    glBindVertexArray(vertexArray_[0]);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_[0]);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices_.size() * sizeof(PanelVertex)),
                 vertices_.empty() ? nullptr : vertices_.data(), GL_DYNAMIC_DRAW);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void PanelRenderer::draw(const glm::mat4& projection, const glm::mat4& view, unsigned texture) {
    if (vertices_.empty()) return;
    glUseProgram(program_.id());
    glBindVertexArray(vertexArray_[0]);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_[0]);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glUniformMatrix4fv(kProjectionLocation, 1, GL_FALSE, glm::value_ptr(projection));
    glUniformMatrix4fv(kViewLocation, 1, GL_FALSE, glm::value_ptr(view));
    glUniform1i(kTextureLocation, 0);
    // The library's triangles are clockwise once placed with y up; panels never hide each
    // other or what comes after them.
    glDepthMask(GL_FALSE);
    glFrontFace(GL_CW);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices_.size()));
    glFrontFace(GL_CCW);
    glDepthMask(GL_TRUE);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

}  // namespace earth
