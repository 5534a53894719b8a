// Information panels face the camera, upright, wherever they stand; beside the viewer they sit
// 45 degrees to the right; along the camera's up axis they fall back to its right vector.
#include "render/PanelPlacement.h"

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include <cmath>

namespace earth {
namespace {

TEST(PanelPlacementTest, PanelsFaceTheCameraUprightFromAnyPlace) {
    const PanelCamera upright{{0, 0, 5}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}};
    // Looking down from above the north pole with up = +Y, not perpendicular to forward: a
    // satellite straight above or below makes the facing vector parallel to up.
    const PanelCamera overPole{{0, 3, 0}, {0, -1, 0}, {0, 1, 0}, {1, 0, 0}};
    const float s = std::sqrt(0.5f);
    const struct {
        const PanelCamera& camera;
        bool nearView;
        glm::vec3 satellite, motion, centre, right;  // right (0, 0, 0): any
    } cases[] = {
        {upright, true, {9, 9, 9}, {1, 0, 0}, {0.5f * s, 0, 5 - 0.5f * s}, {s, 0, s}},
        {upright, false, {0, 1.5f, 0}, {0, 0, 1}, {0, 1.5f, 0.2f}, {0, 0, 0}},
        {upright, false, {0.3f, 0.2f, -6}, {0, 1, 0}, {0.3f, 0.4f, -6}, {0, 0, 0}},
        {overPole, false, {0, 7, 0}, {0, 0, 0}, {0, 7, 0}, {1, 0, 0}},
        {overPole, false, {0, 1.2f, 0}, {0, 0, 0}, {0, 1.2f, 0}, {1, 0, 0}},
        {overPole, false, {1e-7f, 7, 0}, {0, 0, 0}, {1e-7f, 7, 0}, {1, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.satellite.x << "," << c.satellite.y << "," << c.satellite.z);
        const PanelPlacement p = placePanel(c.camera, c.nearView, c.satellite, c.motion);
        EXPECT_LT(glm::length(p.centre - c.centre), 1e-5f);
        EXPECT_LT(std::fabs(glm::length(p.right) - 1) + std::fabs(glm::length(p.up) - 1) + std::fabs(glm::dot(p.right, p.up)), 3e-5f);
        // right x up points back at the camera: the front of the panel is towards the viewer.
        EXPECT_NEAR(glm::dot(glm::cross(p.right, p.up), glm::normalize(p.centre - c.camera.position)), -1.0f, 1e-5f);
        // Given a right vector, that one; for an upright camera, upright.
        EXPECT_TRUE((glm::length(c.right) == 0.0f || glm::length(p.right - c.right) < 1e-5f) && (&c.camera != &upright || p.up.y > 0.9f));
    }
}

}  // namespace
}  // namespace earth
