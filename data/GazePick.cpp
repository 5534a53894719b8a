#include "data/GazePick.h"

#include <glm/geometric.hpp>

#include <cmath>

namespace earth {
namespace {

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace

bool hiddenByGlobe(const glm::vec3& eye, const glm::vec3& point, float radius) {
    const glm::vec3 toPoint = point - eye;
    const float length = glm::length(toPoint);
    const float eyeSquared = glm::dot(eye, eye);
    if (!(length > 0.0f) || eyeSquared <= radius * radius) return false;
    const glm::vec3 u = toPoint / length;
    const float closest = -glm::dot(eye, u);  // along the ray, the point nearest the centre
    const float missSquared = eyeSquared - closest * closest;
    if (closest <= 0.0f || missSquared >= radius * radius) return false;
    const float entry = closest - std::sqrt(radius * radius - missSquared);
    return entry < length;
}

GazePick::GazePick(const glm::vec3& origin, const glm::vec3& direction, float maxAngle)
    : origin_(origin) {
    const float len = glm::length(direction);
    if (std::isfinite(len) && len > 0.0f && finite(origin) && std::isfinite(maxAngle)) {
        direction_ = direction / len;
        usable_ = true;
    }
    if (maxAngle > 0.0f) {
        pointer_ = true;
        cosMaxAngle_ = std::cos(maxAngle);
        best_ = -1.0f;  // the best cosine so far
    }
}

void GazePick::consider(std::int32_t catalogNumber, const glm::vec3& position) {
    if (!usable_) return;
    const glm::vec3 toSatellite = position - origin_;
    const float along = glm::dot(direction_, toSatellite);
    if (!(along > 0.0f) || hiddenByGlobe(origin_, position)) return;
    if (pointer_) {
        const float c = along / glm::length(toSatellite);
        if (c >= cosMaxAngle_ && c > best_) {
            best_ = c;
            result_ = catalogNumber;
        }
        return;
    }
    const float d = glm::length(glm::cross(direction_, toSatellite));
    if (d < best_) {
        best_ = d;
        result_ = catalogNumber;
    }
}

}  // namespace earth
