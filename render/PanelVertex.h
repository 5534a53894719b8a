#pragma once
// One corner of an information-panel triangle, already placed in the world.

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include <cstddef>

namespace earth {

struct PanelVertex {
    glm::vec3 position;  // scene units
    glm::vec2 uv;        // into the overlay's font texture
    float padding[3];
    glm::vec4 colour;  // RGBA, 0..1
};
static_assert(sizeof(PanelVertex) == 48, "the panel vertex layout is described to GL with stride 48");
static_assert(offsetof(PanelVertex, uv) == 12 && offsetof(PanelVertex, colour) == 32);

}  // namespace earth
