#include "render/PanelPlacement.h"

#include <glm/geometric.hpp>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/mat3x3.hpp>

namespace earth {

namespace {

// Below this length a cross product's direction is rounding noise.
constexpr float kDegenerateLength = 1e-5f;

glm::vec3 normalizedOr(const glm::vec3& v, const glm::vec3& fallback) {
    const float length = glm::length(v);
    return length > kDegenerateLength ? v / length : fallback;
}

}  // namespace

PanelPlacement placePanel(const PanelCamera& camera, bool nearView, const glm::vec3& position,
                          const glm::vec3& motion) {
    PanelPlacement p;
    if (nearView) {
        const glm::vec3 axis = normalizedOr(camera.up, glm::vec3(0.0f, 1.0f, 0.0f));
        const glm::vec3 aside =
            glm::mat3(glm::rotate(glm::mat4(1.0f), -glm::quarter_pi<float>(), axis)) *
            camera.forward;
        p.centre = camera.position + 0.5f * aside;
        p.scale = kNearViewPanelScale;
    } else {
        p.centre = position + 0.2f * motion;
        p.scale = kSatellitePanelScale;
    }
    p.facing = normalizedOr(p.centre - camera.position, normalizedOr(camera.forward, p.facing));
    // Looking straight along the camera's up vector leaves N x up without a direction; the
    // camera's own right vector keeps the panel upright and readable instead of garbled.
    glm::vec3 right = glm::cross(p.facing, camera.up);
    if (glm::length(right) <= kDegenerateLength) {
        right = camera.right - glm::dot(camera.right, p.facing) * p.facing;
    }
    p.right = normalizedOr(right, glm::vec3(1.0f, 0.0f, 0.0f));
    p.up = glm::normalize(glm::cross(p.right, p.facing));
    return p;
}

}  // namespace earth
