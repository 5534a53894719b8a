#pragma once
// Draws the triangles of this frame's information panels inside the scene.

#include "render/GlName.h"
#include "render/PanelVertex.h"
#include "render/ShaderProgram.h"

#include <glm/mat4x4.hpp>

#include <vector>

namespace earth {

class Overlay;

class PanelRenderer {
public:
    // Holds the overlay's font texture until destroyed, which the scene does while the
    // context still exists.
    explicit PanelRenderer(Overlay& overlay);
    PanelRenderer();  // the program's single overlay
    ~PanelRenderer();
    PanelRenderer(const PanelRenderer&) = delete;
    PanelRenderer& operator=(const PanelRenderer&) = delete;

    void clear() { vertices_.clear(); }
    // Re-specifies the whole buffer, also when empty.
    void upload();
    // Depth writes off and clockwise front faces only while the panels are drawn.
    void draw(const glm::mat4& projection, const glm::mat4& view);

    std::vector<PanelVertex>& vertices() { return vertices_; }
    const std::vector<PanelVertex>& vertices() const { return vertices_; }

private:
    Overlay& overlay_;
    glcommon::ShaderProgram program_;
    std::vector<PanelVertex> vertices_;
    glcommon::GlNameArray<1> vertexArray_;
    glcommon::GlNameArray<1> vertexBuffer_;
};

}  // namespace earth
