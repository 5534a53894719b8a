#include "render/PanelPlacement.h"

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace earth {
namespace {

void expectVec(const glm::vec3& actual, const glm::vec3& expected, const std::string& what,
               float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

void expectOrthonormal(const PanelPlacement& p, const std::string& what) {
    EXPECT_TRUE(std::isfinite(p.right.x) && std::isfinite(p.up.x)) << what;
    EXPECT_NEAR(glm::length(p.facing), 1.0f, 1e-5f) << what;
    EXPECT_NEAR(glm::length(p.right), 1.0f, 1e-5f) << what;
    EXPECT_NEAR(glm::length(p.up), 1.0f, 1e-5f) << what;
    EXPECT_NEAR(glm::dot(p.right, p.facing), 0.0f, 1e-5f) << what;
    EXPECT_NEAR(glm::dot(p.up, p.facing), 0.0f, 1e-5f) << what;
    EXPECT_NEAR(glm::dot(p.right, p.up), 0.0f, 1e-5f) << what;
}

// A camera at (0, 0, 5) looking at the origin, upright.
PanelCamera uprightCamera() {
    PanelCamera c;
    c.position = {0.0f, 0.0f, 5.0f};
    c.forward = {0.0f, 0.0f, -1.0f};
    c.up = {0.0f, 1.0f, 0.0f};
    c.right = {1.0f, 0.0f, 0.0f};
    return c;
}

TEST(PanelPlacementTest, NearViewPanelSitsFortyFiveDegreesToTheRight) {
    const PanelPlacement p = placePanel(uprightCamera(), true, {9.0f, 9.0f, 9.0f}, {1, 0, 0});
    const float s = std::sqrt(0.5f);
    expectVec(p.centre, glm::vec3(0.5f * s, 0.0f, 5.0f - 0.5f * s), "centre");
    expectVec(p.facing, glm::vec3(s, 0.0f, -s), "facing");
    expectVec(p.right, glm::vec3(s, 0.0f, s), "right");
    expectVec(p.up, glm::vec3(0.0f, 1.0f, 0.0f), "up");
    EXPECT_FLOAT_EQ(p.scale, 0.05f);
}

TEST(PanelPlacementTest, SatellitePanelLeadsTheSatellite) {
    const PanelPlacement p = placePanel(uprightCamera(), false, {0.0f, 1.5f, 0.0f}, {0, 0, 1});
    expectVec(p.centre, glm::vec3(0.0f, 1.5f, 0.2f), "centre");
    expectVec(p.facing, glm::normalize(glm::vec3(0.0f, 1.5f, -4.8f)), "facing");
    EXPECT_FLOAT_EQ(p.scale, 0.3f);
    expectOrthonormal(p, "satellite");
    EXPECT_GT(p.up.y, 0.9f);   // upright for an upright camera
    EXPECT_GT(p.right.x, 0.99f);  // the text reads left to right for the viewer
}

TEST(PanelPlacementTest, PanelAlongTheCameraUpAxisFallsBackToTheCameraRight) {
    struct Case {
        const char* name;
        glm::vec3 satellite;
    };
    // The camera looks down at the Earth from above the north pole with up = +Y: a satellite
    // straight above or below it makes N parallel to up, where N x up has no direction.
    const Case cases[] = {
        {"exactly above", {0.0f, 7.0f, 0.0f}},
        {"exactly below", {0.0f, 1.2f, 0.0f}},
        {"within rounding of the axis", {1e-7f, 7.0f, 0.0f}},
    };
    PanelCamera camera;
    camera.position = {0.0f, 3.0f, 0.0f};
    camera.forward = {0.0f, -1.0f, 0.0f};
    camera.up = {0.0f, 1.0f, 0.0f};  // not perpendicular to forward: the case that breaks
    camera.right = {1.0f, 0.0f, 0.0f};
    for (const Case& c : cases) {
        const PanelPlacement p = placePanel(camera, false, c.satellite, {0, 0, 0});
        expectOrthonormal(p, c.name);
        expectVec(p.right, camera.right, c.name);
    }
}

TEST(PanelPlacementTest, PanelsFaceTheCameraFromAnyDirection) {
    const glm::vec3 positions[] = {{3, 0, 0}, {-2, 1, 0.5f}, {0, -4, 1}, {0.3f, 0.2f, -6}};
    for (const glm::vec3& sat : positions) {
        const PanelPlacement p = placePanel(uprightCamera(), false, sat, {0, 1, 0});
        const std::string what = "satellite at " + std::to_string(sat.x) + "," +
                                 std::to_string(sat.y) + "," + std::to_string(sat.z);
        expectOrthonormal(p, what);
        // right x up points back at the camera: the front of the panel is towards the viewer.
        EXPECT_NEAR(glm::dot(glm::cross(p.right, p.up), p.facing), -1.0f, 1e-5f) << what;
    }
}

}  // namespace
}  // namespace earth
