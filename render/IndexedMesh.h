#pragma once
// A provider's vertices and 32-bit indices uploaded once, drawn with one indexed draw.

#include "render/GeometryProvider.h"
#include "render/GlName.h"

#include <cstddef>

namespace earth {

class IndexedMesh {
public:
    IndexedMesh() = default;
    // Leaves the vertex array and both buffers bound, ready for the attribute layout.
    explicit IndexedMesh(const IGeometryProvider& provider);

    void bind() const;
    void draw() const;

    std::size_t vertexCount() const { return vertexCount_; }
    std::size_t indexCount() const { return indexCount_; }

private:
    glcommon::GlNameArray<1> vertexArray_;
    glcommon::GlNameArray<2> buffers_;  // vertices, indices
    std::size_t vertexCount_ = 0;
    std::size_t indexCount_ = 0;
};

}  // namespace earth
