#pragma once
// Measures of a perspective view that decide how much detail is worth drawing.

#include <glm/mat4x4.hpp>
#include <glm/vec4.hpp>

#include <array>

namespace earth {

// Pixels covered by one scene unit at distance one from the eye, for a perspective
// projection drawn into the viewport (x, y, width, height); the larger of the two axes.
float pixelsPerUnitAtUnitDistance(const glm::mat4& projection, const glm::vec4& viewport);

// The six planes that bound what a view-projection matrix shows (left, right, bottom, top,
// near, far) as (unit normal pointing inwards, offset): a point p is inside all of them
// where dot(normal, p) + offset >= 0.
std::array<glm::vec4, 6> frustumPlanes(const glm::mat4& viewProjection);

}  // namespace earth
