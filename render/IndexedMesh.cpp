#include "render/IndexedMesh.h"

#include <epoxy/gl.h>

namespace earth {

IndexedMesh::IndexedMesh(const IGeometryProvider& provider)
    : vertexCount_(provider.vertices().size()), indexCount_(provider.indices().size()) {
    vertexArray_ = glcommon::GlNameArray<1>(glGenVertexArrays, glDeleteVertexArrays);
    glBindVertexArray(vertexArray_[0]);
    buffers_ = glcommon::GlNameArray<2>(glGenBuffers, glDeleteBuffers);
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[0]);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers_[1]);
    // The lists go straight from the provider; no second copy is kept on this side.
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexCount_ * sizeof(MeshVertex)),
                 provider.vertices().data(), GL_STATIC_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(indexCount_ * sizeof(std::uint32_t)),
                 provider.indices().data(), GL_STATIC_DRAW);
}

void IndexedMesh::bind() const {
    glBindVertexArray(vertexArray_[0]);
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[0]);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers_[1]);
}

void IndexedMesh::draw() const {
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indexCount_), GL_UNSIGNED_INT, nullptr);
}

}  // namespace earth
