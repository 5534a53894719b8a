// The headset's pure geometry: eye projections, the line of sight, the window's letterbox.

#include "ovrlib/EyeMath.h"
#include "ovrlib/Letterbox.h"

#include <gtest/gtest.h>

#include <glm/gtc/constants.hpp>

#include <tuple>

namespace ovrlib {
namespace {

constexpr float kPi = glm::pi<float>();
const glm::vec3 kX{1, 0, 0}, kY{0, 1, 0}, kZ{0, 0, 1};

TEST(ProjectionFromFov, FrustumEdgesAndPlanesLandOnTheClipBorders) {
    const auto ndc = [](const glm::mat4& m, float x, float y, float z) { const glm::vec4 c = m * glm::vec4(x, y, z, 1.0f); return glm::vec3(c) / c.w; };
    for (const FovPort& fov : {FovPort{1.0f, 1.0f, 1.0f, 1.0f}, FovPort{1.3f, 0.9f, 1.1f, 0.7f}, FovPort{0.5f, 1.5f, 0.25f, 2.0f}}) {
        const glm::mat4 p = projectionFromFov(fov, 0.2f, 100.0f), close = withNearPlane(p, 0.004f);
        const float d = 7.0f;
        EXPECT_NEAR(ndc(p, -fov.left * d, 0, -d).x, -1.0f, 1e-5f) << fov.left;
        EXPECT_NEAR(ndc(p, fov.right * d, 0, -d).x, 1.0f, 1e-5f) << fov.right;
        EXPECT_NEAR(ndc(p, 0, fov.up * d, -d).y, 1.0f, 1e-5f) << fov.up;
        EXPECT_NEAR(ndc(p, 0, -fov.down * d, -d).y, -1.0f, 1e-5f) << fov.down;
        EXPECT_NEAR(glm::length(glm::vec2(ndc(p, 0, 0, -0.2f).z, ndc(p, 0, 0, -100.0f).z) - glm::vec2(-1, 1)), 0.0f, 1e-4f);
        // Another near plane keeps the field of view and the far plane.
        EXPECT_NEAR(glm::length(glm::vec2(ndc(close, 0, 0, -0.004f).z, ndc(close, 0, 0, -100.0f).z) - glm::vec2(-1, 1)), 0.0f, 1e-4f);
        EXPECT_NEAR(glm::length(glm::vec2(ndc(close, 0.5f, -0.3f, -2.0f) - ndc(p, 0.5f, -0.3f, -2.0f))), 0.0f, 1e-5f);
    }
}

TEST(GazeDirection, FollowsTheLeftEyeOrientationCarriedIntoTheWorld) {
    const glm::quat yawLeft = glm::angleAxis(kPi / 2, kY);
    struct Case {
        const char* name;
        glm::quat orientation;
        glm::vec3 forward, up, expected;
    } cases[] = {
        {"no rotation", glm::quat(1, 0, 0, 0), -kZ, kY, -kZ},
        {"quarter turn left", yawLeft, -kZ, kY, -kX},
        {"same turn with negative w (angle beyond pi)", -yawLeft, -kZ, kY, -kX},
        {"just beyond half a turn", glm::angleAxis(kPi + 0.2f, kY), -kZ, kY, glm::angleAxis(kPi + 0.2f, kY) * -kZ},
        {"looking up", glm::angleAxis(kPi / 2, kX), -kZ, kY, kY},
        {"camera looking down, head turned left", yawLeft, -kY, -kZ, -kX},
        {"tiny rotation is none", glm::quat(1.0f, 1e-6f, 0.0f, 0.0f), -kZ, kY, -kZ},
    };
    for (const Case& c : cases) {
        EyeCamera camera;
        camera.forward = c.forward;
        camera.up = c.up;
        camera.basis = glm::mat3(glm::cross(c.forward, c.up), c.up, -c.forward);  // right, up, back
        EXPECT_NEAR(glm::length(gazeDirection(camera, c.orientation) - c.expected), 0.0f, 1e-5f) << c.name;
    }
}

TEST(Letterbox, KeepsThePicturesProportionsCentredInAnyWindow) {
    struct Case {
        Sizei window;
        PixelRect expected;
    } cases[] = {
        {{2160, 1200}, {0, 0, 2160, 1200}},   // the display's own size
        {{1400, 500}, {250, 0, 900, 500}},    // wide: bars left and right
        {{1080, 1200}, {0, 300, 1080, 600}},  // tall: bars above and below
        {{16384, 3}, {8189, 0, 5, 3}},        // extreme, without overflow
        {{1, 1}, {0, 0, 1, 1}},               // never empty
        {{0, 500}, {0, 0, 0, 0}},             // minimised: nothing to draw
    };
    for (const Case& c : cases) {
        const PixelRect r = letterbox({2160, 1200}, c.window), e = c.expected;
        EXPECT_EQ(std::tie(r.x, r.y, r.width, r.height), std::tie(e.x, e.y, e.width, e.height))
            << c.window.width << "x" << c.window.height;
    }
}

}  // namespace
}  // namespace ovrlib
