#include "render/ViewGeometry.h"

#include <glm/geometric.hpp>
#include <glm/matrix.hpp>

#include <algorithm>
#include <cmath>

namespace earth {

float pixelsPerUnitAtUnitDistance(const glm::mat4& projection, const glm::vec4& viewport) {
    // Clip x over w runs -1..1 across the viewport: half the width per unit of x / w, and
    // x / w of a length l at depth d is projection[0][0] l / d.
    return std::max(std::fabs(projection[0][0]) * viewport[2],
                    std::fabs(projection[1][1]) * viewport[3]) / 2.0f;
}

std::array<glm::vec4, 6> frustumPlanes(const glm::mat4& viewProjection) {
    // Clip coordinates satisfy -w <= x, y, z <= w inside: each bound is a row sum or difference.
    const glm::mat4 rows = glm::transpose(viewProjection);
    const glm::vec4 w = rows[3];
    std::array<glm::vec4, 6> planes = {w + rows[0], w - rows[0], w + rows[1],
                                       w - rows[1], w + rows[2], w - rows[2]};
    for (glm::vec4& plane : planes) {
        const float length = glm::length(glm::vec3(plane));
        if (length > 0.0f) plane /= length;
    }
    return planes;
}

}  // namespace earth
