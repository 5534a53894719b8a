#include "app/DesktopView.h"

#include "script/Camera.h"

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>

namespace earth {
namespace {

constexpr float kHighestRelief = 0.0014f;  // 8.9 km in Earth radii, above the sphere
constexpr float kFar = 100.0f;

}  // namespace

float desktopNearPlane(const glm::vec3& eye) {
    const float clearance = glm::length(eye) - 1.0f - kHighestRelief;
    return std::clamp(clearance * 0.5f, 1e-5f, 0.1f);
}

glm::mat4 desktopProjection(float aspect, float zNear) {
    return glm::perspective(kDesktopFieldOfView, aspect, zNear, kFar);
}

PointerInput pointerRay(PointerInput pointer, const CameraFrame& camera, glm::vec2 size) {
    if (!(size.x > 0.0f && size.y > 0.0f)) {
        pointer.inside = false;
        return pointer;
    }
    const float tanHalf = std::tan(kDesktopFieldOfView / 2.0f);
    const float aspect = size.x / size.y;
    // Normalised device coordinates of the pixel's centre, y up.
    const float x = (pointer.position.x + 0.5f) / size.x * 2.0f - 1.0f;
    const float y = 1.0f - (pointer.position.y + 0.5f) / size.y * 2.0f;
    const glm::vec3& right = camera.basis[0];
    const glm::vec3 direction = camera.forward + right * (x * tanHalf * aspect) + camera.up * (y * tanHalf);
    pointer.ray = Ray{camera.position, glm::normalize(direction)};
    // Angle per pixel at the centre; towards the edges pixels span a little less.
    pointer.pixelAngle = 2.0f * tanHalf / size.y;
    return pointer;
}

}  // namespace earth
