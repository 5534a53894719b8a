#pragma once
// Draws the triangles of this frame's information panels inside the scene.

#include "render/GlName.h"
#include "render/PanelVertex.h"
#include "render/ShaderProgram.h"

#include <glm/mat4x4.hpp>

#include <vector>

namespace earth {

class PanelRenderer {
public:
    PanelRenderer();
    ~PanelRenderer();
    PanelRenderer(const PanelRenderer&) = delete;
    PanelRenderer& operator=(const PanelRenderer&) = delete;

    void clear() { vertices_.clear(); }
    // Re-specifies the whole buffer, also when empty.
    void upload();
    // Depth writes off and clockwise front faces only while the panels are drawn. `texture`
    // is the GL name of the texture the vertices' coordinates refer to (the overlay's font).
    void draw(const glm::mat4& projection, const glm::mat4& view, unsigned texture);

    std::vector<PanelVertex>& vertices() { return vertices_; }
    const std::vector<PanelVertex>& vertices() const { return vertices_; }

private:
    glcommon::ShaderProgram program_;
    std::vector<PanelVertex> vertices_;
    glcommon::GlNameArray<1> vertexArray_;
    glcommon::GlNameArray<1> vertexBuffer_;
};

}  // namespace earth
