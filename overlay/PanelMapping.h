#pragma once
// Turns the library's window triangles (display pixels, y down) into world-space panel
// vertices on a rectangle that stands in the scene.

#include "render/PanelVertex.h"

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <vector>

struct ImDrawList;

namespace earth {

struct PanelFrame {
    glm::vec2 windowOrigin{0.0f};  // top-left corner of the window, display pixels
    glm::vec2 windowSize{1.0f};    // display pixels
    glm::vec3 corner{0.0f};        // world position of the window's lower-left corner
    glm::vec3 right{1.0f, 0.0f, 0.0f};
    glm::vec3 up{0.0f, 1.0f, 0.0f};
    float width = 1.0f;   // world units along right
    float height = 1.0f;  // world units along up
};

// Appends three vertices per triangle whose corners all lie inside or on the edge of their
// command's clip rectangle; other triangles are dropped whole, so the list stays a list of
// triangles. Indexed draw lists are expanded into plain triangles, all with the winding of the
// library's glyph quads (clockwise once placed with y up).
void appendPanelTriangles(const ImDrawList* const* lists, int count, const PanelFrame& frame,
                          std::vector<PanelVertex>& out);

}  // namespace earth
