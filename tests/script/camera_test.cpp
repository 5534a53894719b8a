#include "script/Camera.h"

#include "ScriptFakes.h"

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <tuple>

namespace earth {
namespace {

using test::expectVec;
using test::finiteFrame;

constexpr float kPi = 3.14159265f;
const float kNaN = std::numeric_limits<float>::quiet_NaN();

bool finitePose(const OrbitPose& p) {
    return std::isfinite(p.elevation) && std::isfinite(p.azimuth) && std::isfinite(p.distance) &&
           finiteFrame(p.frame);
}

// A usable view: unit forward and up at right angles, right-handed basis.
void expectOrthonormal(const CameraFrame& f, const char* what) {
    EXPECT_NEAR(glm::length(f.forward), 1.0f, 1e-5f) << what;
    EXPECT_NEAR(glm::length(f.up), 1.0f, 1e-5f) << what;
    EXPECT_NEAR(glm::dot(f.forward, f.up), 0.0f, 1e-5f) << what;
    expectVec(glm::cross(f.basis[0], f.basis[1]), f.basis[2], 1e-5f, what);
}

TEST(CameraPose, FromAnglesMatchesHandComputedPoses) {
    const float r2 = std::sqrt(0.5f);
    struct Case {
        float elevation, azimuth, distance;
        glm::vec3 position, forward, right, up;
    };
    const Case cases[] = {
        {0, 0, 3, {0, 0, 3}, {0, 0, -1}, {1, 0, 0}, {0, 1, 0}},
        {0, kPi / 2, 2, {2, 0, 0}, {-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
        {0, kPi, 4, {0, 0, -4}, {0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},
        {kPi / 4, 0, std::sqrt(2.0f), {0, 1, 1}, {0, -r2, -r2}, {1, 0, 0}, {0, r2, -r2}},
        {-kPi / 4, kPi / 2, std::sqrt(2.0f), {1, -1, 0}, {-r2, r2, 0}, {0, 0, -1}, {r2, r2, 0}},
        // A negative azimuth is brought into 0..2pi: -pi/2 is the same place as 3pi/2.
        {0, -kPi / 2, 1, {-1, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
    };
    for (const Case& c : cases) {
        const OrbitPose p = fromAngles(c.elevation, c.azimuth, c.distance);
        expectVec(p.frame.position, c.position, 1e-5f, "position");
        expectVec(p.frame.forward, c.forward, 1e-5f, "forward");
        expectVec(p.frame.basis[0], c.right, 1e-5f, "right");
        expectVec(p.frame.up, c.up, 1e-5f, "up");
        expectVec(p.frame.basis[1], c.up, 1e-5f, "basis up");
        expectVec(p.frame.basis[2], -c.forward, 1e-5f, "basis back");
        EXPECT_GE(p.azimuth, 0.0f);
        EXPECT_LE(p.azimuth, 6.2831855f);
    }
    EXPECT_EQ(fromAngles(0, 6.2831855f, 3).azimuth, 6.2831855f);  // exactly 2pi is kept
    EXPECT_NEAR(fromAngles(0, 7.0f, 3).azimuth, 7.0f - 6.2831855f, 1e-6f);
    EXPECT_NEAR(fromAngles(0, -0.5f, 3).azimuth, 6.2831855f - 0.5f, 1e-6f);
    // Huge azimuths must not spin the wrapping loop for ever; non-numbers give a pose.
    for (const auto& [e, a, d] : {std::tuple{0.0f, 1e30f, 3.0f}, std::tuple{kNaN, 1.0f, 3.0f},
                                  std::tuple{0.0f, kNaN, 3.0f},
                                  std::tuple{0.0f, std::numeric_limits<float>::infinity(), 3.0f}}) {
        EXPECT_TRUE(finitePose(fromAngles(e, a, d))) << e << " " << a;
    }
}

TEST(CameraPose, FromFrameRecoversTheSphereNumbers) {
    for (float e : {-1.2f, -0.3f, 0.0f, 0.7f, 1.5f}) {
        for (float a : {0.0f, 0.5f, 2.0f, 3.5f, 6.0f}) {
            const OrbitPose back = fromFrame(fromAngles(e, a, 2.5f).frame);
            EXPECT_NEAR(back.elevation, e, 1e-5f);
            EXPECT_NEAR(back.azimuth, a, 1e-4f);
            EXPECT_NEAR(back.distance, 2.5f, 1e-5f);
        }
    }
}

TEST(CameraPose, DegenerateReferencesStillGiveAnUprightView) {
    // Over a pole world up is parallel to the view; the right vector is the one the pose
    // tends to as the camera nears the pole, so the view does not jump there.
    for (float a : {0.0f, 1.0f, 4.0f}) {
        for (float e : {kPi / 2, -kPi / 2}) {
            const OrbitPose pole = fromAngles(e, a, 3);
            const OrbitPose near = fromAngles(e > 0 ? e - 1e-3f : e + 1e-3f, a, 3);
            ASSERT_TRUE(finitePose(pole));
            expectOrthonormal(pole.frame, "pole");
            expectVec(pole.frame.basis[0], near.frame.basis[0], 1e-3f, "right near the pole");
        }
    }
    for (const glm::vec3& w : {glm::vec3(0, 0, -1), glm::vec3(0, 0, 1), glm::vec3(0), glm::vec3(kNaN)}) {
        const OrbitPose p = fromAngles(0, 0, 3, w);
        ASSERT_TRUE(finitePose(p));
        expectOrthonormal(p.frame, "reference along the view");
    }
    const OrbitPose centre = fromAngles(0.3f, 1.0f, 0.0f);
    ASSERT_TRUE(finitePose(centre));
    expectOrthonormal(centre.frame, "at the centre");
}

TEST(CameraPose, LookFromPointLooksDownWithTheMotionToTheRight) {
    const OrbitPose p = lookFromPoint({0, 0, 2}, {1, 0, 0});
    expectVec(p.frame.forward, {0, 0, -1}, 1e-6f, "forward");
    expectVec(p.frame.up, {0, 1, 0}, 1e-6f, "up");
    expectVec(p.frame.basis[0], {1, 0, 0}, 1e-6f, "right");
    EXPECT_NEAR(p.distance, 2.0f, 1e-6f);
    EXPECT_NEAR(p.elevation, 0.0f, 1e-6f);
    // Motion straight along the line of sight, or no position at all, still gives a view.
    EXPECT_TRUE(finitePose(lookFromPoint({0, 0, 2}, {0, 0, 1})));
    EXPECT_TRUE(finitePose(lookFromPoint({0, 0, 0}, {1, 0, 0})));
}

TEST(CameraMotion, InterpolateReproducesItsEndsAndTakesTheShortWayRound) {
    const OrbitPose a = fromAngles(0.2f, 0.1f, 3.0f);
    const OrbitPose b = fromAngles(0.6f, 6.2f, 5.0f);
    const OrbitPose at0 = interpolate(a, b, 0.0f);
    const OrbitPose at1 = interpolate(a, b, 1.0f);
    expectVec(at0.frame.position, a.frame.position, 1e-5f, "t = 0");
    expectVec(at0.frame.up, a.frame.up, 1e-5f, "t = 0 up");
    expectVec(at1.frame.position, b.frame.position, 1e-5f, "t = 1");
    expectVec(at1.frame.up, b.frame.up, 1e-5f, "t = 1 up");
    expectVec(at1.frame.forward, b.frame.forward, 1e-5f, "t = 1 forward");
    EXPECT_NEAR(at1.distance, 5.0f, 1e-5f);

    // Halfway from azimuth 0.1 to 6.2 lies near azimuth 0 (through +Z), not near pi.
    const OrbitPose mid = interpolate(a, b, 0.5f);
    EXPECT_GT(mid.frame.position.z, 0.0f);
    EXPECT_NEAR(mid.distance, 4.0f, 1e-5f);
    EXPECT_NEAR(mid.elevation, 0.4f, 1e-5f);

    // A roll from up +Y to up +X is halved at t = 0.5.
    const OrbitPose upright = fromAngles(0, 0, 3);
    const OrbitPose rolled = fromAngles(0, 0, 3, {1, 0, 0});
    expectVec(interpolate(upright, rolled, 0.5f).frame.up, {std::sqrt(0.5f), std::sqrt(0.5f), 0},
              1e-5f, "half roll");
    EXPECT_NEAR(upAngle(upright, rolled), kPi / 2, 1e-5f);
}

TEST(CameraMotion, ParallelUpsThatDifferInTheLastBitKeepAsUp) {
    // Both ups point the same way but are not bitwise equal, so their cross product is zero;
    // normalising it used to give a non-number view. Rolled, so an upright fallback shows.
    const glm::vec3 roll(1.0f, 0.0f, 0.0f);
    OrbitPose a = fromAngles(0.0f, 0.0f, 2.0f, roll);
    OrbitPose b = fromAngles(0.0f, 0.0f, 6.0f, roll);
    ASSERT_EQ(a.frame.up, roll);
    b.frame.up.x = std::nextafter(1.0f, 0.0f);
    ASSERT_NE(a.frame.up, b.frame.up);
    ASSERT_EQ(glm::length(glm::cross(a.frame.up, b.frame.up)), 0.0f);
    for (float t : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f}) {
        const OrbitPose p = interpolate(a, b, t);
        ASSERT_TRUE(finitePose(p)) << "t = " << t;
        expectVec(p.frame.up, a.frame.up, 1e-5f, "up kept");
    }
    EXPECT_EQ(upAngle(a, b), 0.0f);
    // The same with a component nudged by one ulp: a tiny but non-zero cross product.
    a = fromAngles(0.3f, 1.0f, 2.0f);
    b = fromAngles(0.3f, 1.0f, 6.0f);
    b.frame.up.x = std::nextafter(a.frame.up.x, 1.0f);
    for (float t : {0.0f, 0.5f, 1.0f}) EXPECT_TRUE(finitePose(interpolate(a, b, t))) << "t = " << t;
}

TEST(CameraMotion, PathLengthOfSimpleAndNearlyOppositeMoves) {
    const struct {
        OrbitPose a, b;
        float expected;
    } cases[] = {
        {fromAngles(0.3f, 2.0f, 4.0f), fromAngles(0.3f, 2.0f, 4.0f), 0.0f},
        {fromAngles(0.3f, 2.0f, 2.0f), fromAngles(0.3f, 2.0f, 5.0f), 3.0f},
        // A quarter turn on the equator at 2 and 4 radii: 2 + (pi/2) * 3.
        {fromAngles(0, 0, 2.0f), fromAngles(0, kPi / 2, 4.0f), 2.0f + kPi / 2 * 3.0f},
        {fromAngles(0, 0, 3.0f), fromAngles(0, kPi, 3.0f), kPi * 3.0f},
    };
    for (const auto& c : cases) EXPECT_NEAR(pathLength(c.a, c.b), c.expected, 1e-4f);

    // Here rounding makes the half chord 1.0000001, and asin of it is not a number.
    const OrbitPose a = fromAngles(0.311434299f, 3.73382616f, 2.0f);
    OrbitPose b = a;
    b.elevation = -a.elevation;
    b.azimuth = a.azimuth + 3.14159265f;
    ASSERT_TRUE(std::isfinite(pathLength(a, b)));
    EXPECT_NEAR(pathLength(a, b), kPi * 2.0f, 1e-3f);
}

// Random and degenerate poses: every blend and measure stays a number, and equal ups give
// an up angle of zero even when their dot product rounds above one.
TEST(CameraMotion, RandomAndDegeneratePosesNeverGiveNonNumbers) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> angle(-7.0f, 7.0f);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> dist(0.0f, 12.0f);
    const auto randomVec = [&] { return glm::vec3(unit(rng), unit(rng), unit(rng)); };
    auto randomPose = [&](int kind) -> OrbitPose {
        switch (kind % 7) {
            case 0: return fromAngles(angle(rng), angle(rng), dist(rng));
            case 1: return fromAngles(kPi / 2, angle(rng), dist(rng));   // over a pole
            case 2: return fromAngles(-kPi / 2, angle(rng), dist(rng));
            case 3: return fromAngles(angle(rng), angle(rng), 0.0f);    // at the centre
            case 4: return OrbitPose{};                                 // all-zero frame
            case 5: return fromFrame(fromAngles(angle(rng), angle(rng), dist(rng), randomVec()).frame);
            default: return lookFromPoint(randomVec() * dist(rng), randomVec());
        }
    };
    for (int i = 0; i < 3000; ++i) {
        const OrbitPose a = randomPose(i);
        OrbitPose b = (i % 5 == 0) ? a : randomPose(i / 7 + 3);
        if (i % 11 == 0) b.frame.up = -a.frame.up;  // opposite ups: a roll about the view
        for (float t : {0.0f, 0.3f, 0.5f, 1.0f}) {
            ASSERT_TRUE(finitePose(interpolate(a, b, t))) << "case " << i << " t " << t;
        }
        ASSERT_TRUE(std::isfinite(upAngle(a, b))) << i;
        ASSERT_TRUE(std::isfinite(pathLength(a, b))) << i;
        OrbitPose p;
        p.frame.up = glm::normalize(randomVec());
        ASSERT_LT(upAngle(p, p), 1e-3f) << i;  // also false for a non-number
    }
}

}  // namespace
}  // namespace earth
