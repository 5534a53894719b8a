#include "data/GazePick.h"

#include <glm/geometric.hpp>

#include <cmath>

namespace earth {

GazePick::GazePick(const glm::vec3& origin, const glm::vec3& direction) : origin_(origin) {
    const float len = glm::length(direction);
    if (std::isfinite(len) && len > 0.0f && std::isfinite(origin.x) && std::isfinite(origin.y) &&
        std::isfinite(origin.z)) {
        direction_ = direction / len;
        usable_ = true;
    }
}

void GazePick::consider(std::int32_t catalogNumber, const glm::vec3& position) {
    if (!usable_) {
        return;
    }
    const glm::vec3 toSatellite = position - origin_;
    if (!(glm::dot(direction_, toSatellite) > 0.0f)) {
        return;
    }
    const float d = glm::length(glm::cross(direction_, toSatellite));
    if (d < best_) {
        best_ = d;
        result_ = catalogNumber;
    }
}

}  // namespace earth
