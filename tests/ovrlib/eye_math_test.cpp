#include "ovrlib/EyeMath.h"

#include <gtest/gtest.h>

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <random>
#include <string>

namespace ovrlib {
namespace {

constexpr float kPi = glm::pi<float>();
const glm::vec3 kX{1, 0, 0}, kY{0, 1, 0}, kZ{0, 0, 1};

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance,
                const std::string& what) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

glm::vec3 ndc(const glm::mat4& m, const glm::vec3& p) {
    const glm::vec4 clip = m * glm::vec4(p, 1.0f);
    return glm::vec3(clip) / clip.w;
}

// A camera looking along `forward` with `up`; basis columns right, up, backward.
EyeCamera camera(const glm::vec3& position, const glm::vec3& forward, const glm::vec3& up) {
    EyeCamera c;
    c.position = position;
    c.forward = glm::normalize(forward);
    const glm::vec3 right = glm::normalize(glm::cross(c.forward, up));
    c.up = glm::cross(right, c.forward);
    c.basis = glm::mat3(right, c.up, -c.forward);
    return c;
}

TEST(ProjectionFromFov, FrustumEdgesAndPlanesLandOnTheClipBorders) {
    const FovPort cases[] = {
        {1.0f, 1.0f, 1.0f, 1.0f},    // square 90 degrees
        {1.3f, 0.9f, 1.1f, 0.7f},    // asymmetric like a lens
        {0.5f, 1.5f, 0.25f, 2.0f},   // strongly off-centre
    };
    const float zNear = 0.2f, zFar = 100.0f;
    for (const FovPort& fov : cases) {
        const glm::mat4 p = projectionFromFov(fov, zNear, zFar);
        const float d = 7.0f;
        const std::string what = "fov " + std::to_string(fov.up) + "/" + std::to_string(fov.down) +
                                 "/" + std::to_string(fov.left) + "/" + std::to_string(fov.right);
        EXPECT_NEAR(ndc(p, {-fov.left * d, 0, -d}).x, -1.0f, 1e-5f) << what;
        EXPECT_NEAR(ndc(p, {fov.right * d, 0, -d}).x, 1.0f, 1e-5f) << what;
        EXPECT_NEAR(ndc(p, {0, fov.up * d, -d}).y, 1.0f, 1e-5f) << what;
        EXPECT_NEAR(ndc(p, {0, -fov.down * d, -d}).y, -1.0f, 1e-5f) << what;
        EXPECT_NEAR(ndc(p, {0, 0, -zNear}).z, -1.0f, 1e-4f) << what;
        EXPECT_NEAR(ndc(p, {0, 0, -zFar}).z, 1.0f, 1e-4f) << what;
    }
}

TEST(ProjectionFromFov, SymmetricViewMatchesTheUsualPerspective) {
    const glm::mat4 ours = projectionFromFov({1, 1, 1, 1}, 0.2f, 100.0f);
    const glm::mat4 usual = glm::perspective(kPi / 2, 1.0f, 0.2f, 100.0f);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) EXPECT_NEAR(ours[c][r], usual[c][r], 1e-5f) << c << "," << r;
}

TEST(EyePositions, TenCentimetresOfHeadMotionMoveTheEyeByATenthOfAUnit) {
    const EyeCamera cameras[] = {
        camera({0, 0, 3}, -kZ, kY),
        camera({2, 1, 0}, -kX, kY),                       // turned a quarter
        camera({0, 4, 0}, {0, -1, 0}, -kZ),               // looking down on the pole
        camera({1, 2, 3}, {1, -2, 0.5f}, {0.3f, 0.2f, 0.9f}),
    };
    const glm::vec3 moves[] = {{0.1f, 0, 0}, {0, 0.1f, 0}, {0, 0, -0.1f}, glm::vec3(0.1f) / 1.7320508f};
    for (const EyeCamera& c : cameras) {
        for (const glm::vec3& move : moves) {
            const glm::vec3 eye{-0.032f, 0.01f, 0.02f};
            const glm::vec3 before = trackedToWorld(c, eye);
            const glm::vec3 after = trackedToWorld(c, eye + move);
            EXPECT_NEAR(glm::length(after - before), 0.1f, 1e-5f);
            // Tracking right/up/back are the camera's right/up/back.
            expectNear(after - before, move.x * c.basis[0] + move.y * c.basis[1] - move.z * c.forward,
                       1e-5f, "direction of the move");
        }
    }
}

TEST(HeadGaze, OriginIsTheMidpointOfTheEyesInTheWorld) {
    const EyeCamera c = camera({0, 0, 3}, -kX, kY);
    Pose left, right;
    left.position = {-0.032f, 0.1f, 0.0f};
    right.position = {0.032f, 0.1f, 0.2f};
    const Gaze g = headGaze(c, left, right);
    expectNear(g.origin, c.position + 0.1f * c.basis[1] + 0.1f * c.basis[2], 1e-6f, "origin");
}

struct GazeCase {
    const char* name;
    glm::quat orientation;
    glm::vec3 forward, up;
    glm::vec3 expected;
};

TEST(GazeDirection, FollowsTheLeftEyeOrientation) {
    const glm::quat yawLeft = glm::angleAxis(kPi / 2, kY);
    const GazeCase cases[] = {
        {"no rotation", glm::quat(1, 0, 0, 0), -kZ, kY, -kZ},
        {"quarter turn left", yawLeft, -kZ, kY, -kX},
        {"same turn with negative w (angle beyond pi)", -yawLeft, -kZ, kY, -kX},
        {"three quarters left is a quarter right", glm::angleAxis(3 * kPi / 2, kY), -kZ, kY, kX},
        {"just beyond half a turn", glm::angleAxis(kPi + 0.2f, kY), -kZ, kY,
         glm::angleAxis(kPi + 0.2f, kY) * -kZ},
        {"looking up", glm::angleAxis(kPi / 2, kX), -kZ, kY, kY},
        {"camera along +x, head turned left", yawLeft, kX, kY, -kZ},
        {"camera looking down, head turned left", yawLeft, -kY, -kZ, -kX},
        {"tiny rotation is none", glm::quat(1.0f, 1e-6f, 0.0f, 0.0f), -kZ, kY, -kZ},
    };
    for (const GazeCase& c : cases) {
        expectNear(gazeDirection(camera({0, 0, 0}, c.forward, c.up), c.orientation), c.expected,
                   1e-5f, c.name);
    }
}

TEST(GazeDirection, EqualsTheHeadRotationCarriedIntoTheWorld) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    for (int i = 0; i < 200; ++i) {
        const glm::quat q = glm::normalize(glm::quat(u(random), u(random), u(random), u(random)));
        const EyeCamera c = camera({u(random), u(random), u(random)},
                                   {u(random), u(random), u(random) + 2.0f}, {0.1f, 1.0f, 0.2f});
        // In camera coordinates the forward is -z; turn it, then carry it into the world.
        const glm::vec3 expected = c.basis * (q * glm::vec3(0, 0, -1));
        const glm::vec3 actual = gazeDirection(c, q);
        expectNear(actual, expected, 2e-4f, "random orientation " + std::to_string(i));
        EXPECT_NEAR(glm::length(actual), 1.0f, 1e-5f);
    }
}

TEST(EyeMatrices, ViewLooksAlongTheTurnedGazeFromTheEye) {
    const EyeCamera c = camera({0, 0, 3}, -kZ, kY);
    const glm::mat4 p = projectionFromFov({1.3f, 1.3f, 1.2f, 0.95f}, 0.2f, 100.0f);
    struct Case {
        const char* name;
        Pose eye;
    } cases[] = {
        {"straight", {glm::quat(1, 0, 0, 0), {-0.032f, 0, 0}}},
        {"turned left", {glm::angleAxis(kPi / 2, kY), {0, 0, -0.032f}}},
        {"looking up and moved", {glm::angleAxis(0.4f, kX), {0.1f, 0.2f, 0.3f}}},
    };
    for (const Case& k : cases) {
        const EyeMatrices m = eyeMatrices(c, k.eye, p);
        const glm::vec3 eyeWorld = trackedToWorld(c, k.eye.position);
        const glm::vec3 gaze = c.basis * (k.eye.orientation * glm::vec3(0, 0, -1));
        // Two units along the gaze lie two units straight ahead of the eye.
        expectNear(glm::vec3(m.view * glm::vec4(eyeWorld + 2.0f * gaze, 1.0f)), {0, 0, -2}, 1e-4f, k.name);
        // The eye's up (its orientation applied to the camera's up) stays up in the view.
        const glm::vec3 upWorld = c.basis * (k.eye.orientation * kY);
        expectNear(glm::vec3(m.view * glm::vec4(upWorld, 0.0f)), kY, 1e-4f, k.name);
        EXPECT_EQ(m.projection, p);
        // The sky sees directions as the view does, without the eye's position.
        for (const glm::vec3& d : {kX, kY, -kZ, glm::vec3(0.3f, -0.2f, -0.9f)}) {
            const glm::vec4 sky = m.sky * glm::vec4(d, 0.0f);
            const glm::vec4 viewed = p * m.view * glm::vec4(d, 0.0f);
            for (int i = 0; i < 4; ++i) EXPECT_NEAR(sky[i], viewed[i], 1e-4f) << k.name;
        }
    }
}

TEST(EyeMatrices, AnotherNearPlaneKeepsTheFieldOfViewAndTheFarPlane) {
    const glm::mat4 frustum = projectionFromFov({0.9f, 1.1f, 1.0f, 0.8f}, 0.2f, 100.0f);
    const glm::mat4 close = withNearPlane(frustum, 0.004f);
    auto ndc = [&](const glm::vec3& p) {
        const glm::vec4 c = close * glm::vec4(p, 1.0f);
        return glm::vec3(c) / c.w;
    };
    EXPECT_NEAR(ndc({0, 0, -0.004f}).z, -1.0f, 1e-4f);
    EXPECT_NEAR(ndc({0, 0, -100.0f}).z, 1.0f, 1e-4f);
    const glm::vec4 before = frustum * glm::vec4(0.5f, -0.3f, -2.0f, 1.0f);
    const glm::vec3 after = ndc({0.5f, -0.3f, -2.0f});
    EXPECT_NEAR(after.x, before.x / before.w, 1e-5f);
    EXPECT_NEAR(after.y, before.y / before.w, 1e-5f);
}

}  // namespace
}  // namespace ovrlib
