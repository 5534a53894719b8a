#include "script/Camera.h"

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace earth {
namespace {

constexpr float kPi = 3.14159265f;
const float kNaN = std::numeric_limits<float>::quiet_NaN();

void expectVec(const glm::vec3& actual, const glm::vec3& expected, float tol, const char* what) {
    EXPECT_NEAR(actual.x, expected.x, tol) << what;
    EXPECT_NEAR(actual.y, expected.y, tol) << what;
    EXPECT_NEAR(actual.z, expected.z, tol) << what;
}

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool finitePose(const OrbitPose& p) {
    const CameraFrame& f = p.frame;
    return std::isfinite(p.elevation) && std::isfinite(p.azimuth) && std::isfinite(p.distance) &&
           finite(f.position) && finite(f.forward) && finite(f.up) && finite(f.basis[0]) &&
           finite(f.basis[1]) && finite(f.basis[2]);
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
}

TEST(CameraPose, FromAnglesKeepsExactlyTwoPiAndWrapsBeyondIt) {
    EXPECT_EQ(fromAngles(0, 6.2831855f, 3).azimuth, 6.2831855f);
    EXPECT_NEAR(fromAngles(0, 7.0f, 3).azimuth, 7.0f - 6.2831855f, 1e-6f);
    EXPECT_NEAR(fromAngles(0, -0.5f, 3).azimuth, 6.2831855f - 0.5f, 1e-6f);
    // Huge azimuths must not spin the wrapping loop for ever.
    EXPECT_TRUE(finitePose(fromAngles(0, 1e30f, 3)));
}

TEST(CameraPose, FromFrameRecoversTheSphereNumbers) {
    const OrbitPose z = fromFrame(fromAngles(0, 0, 3).frame);
    EXPECT_NEAR(z.elevation, 0.0f, 1e-6f);
    EXPECT_NEAR(z.azimuth, 0.0f, 1e-6f);
    EXPECT_NEAR(z.distance, 3.0f, 1e-6f);
    for (float e : {-1.2f, -0.3f, 0.0f, 0.7f, 1.5f}) {
        for (float a : {0.0f, 0.5f, 2.0f, 3.5f, 6.0f}) {
            const OrbitPose back = fromFrame(fromAngles(e, a, 2.5f).frame);
            EXPECT_NEAR(back.elevation, e, 1e-5f);
            EXPECT_NEAR(back.azimuth, a, 1e-4f);
            EXPECT_NEAR(back.distance, 2.5f, 1e-5f);
        }
    }
}

TEST(CameraPose, UpReferenceAlongTheViewStillGivesAnUprightLimit) {
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
    const glm::vec3 degenerate[] = {glm::vec3(0, 0, -1), glm::vec3(0, 0, 1), glm::vec3(0),
                                    glm::vec3(kNaN)};
    for (const glm::vec3& w : degenerate) {
        const OrbitPose p = fromAngles(0, 0, 3, w);
        ASSERT_TRUE(finitePose(p));
        expectOrthonormal(p.frame, "reference along the view");
    }
}

TEST(CameraPose, NonNumbersAndZeroDistanceGiveAFinitePose) {
    EXPECT_TRUE(finitePose(fromAngles(kNaN, 1, 3)));
    EXPECT_TRUE(finitePose(fromAngles(0, kNaN, 3)));
    EXPECT_TRUE(finitePose(fromAngles(0, std::numeric_limits<float>::infinity(), 3)));
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
}

TEST(CameraMotion, InterpolateTurnsTheUpVectorFromOneRollToTheOther) {
    const OrbitPose a = fromAngles(0, 0, 3);  // up +Y
    const OrbitPose b = fromAngles(0, 0, 3, {1, 0, 0});  // rolled: up +X
    const OrbitPose mid = interpolate(a, b, 0.5f);
    const float r2 = std::sqrt(0.5f);
    expectVec(mid.frame.up, {r2, r2, 0}, 1e-5f, "half roll");
    EXPECT_NEAR(upAngle(a, b), kPi / 2, 1e-5f);
}

TEST(CameraMotion, ParallelUpsThatDifferInTheLastBitKeepAsUp) {
    // A zoom along one direction: both ups point the same way but are not bitwise equal,
    // so their cross product is zero. Normalising it used to give a non-number view.
    // Rolled a quarter turn, so that falling back to an upright view would show.
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
    for (float t : {0.0f, 0.5f, 1.0f}) {
        EXPECT_TRUE(finitePose(interpolate(a, b, t))) << "t = " << t;
    }
}

TEST(CameraMotion, OppositeUpsRollAboutTheViewAndStayUsable) {
    const OrbitPose a = fromAngles(0, 0, 3);
    const OrbitPose b = fromAngles(0, 0, 3, {0, -1, 0});  // upside down
    ASSERT_NEAR(glm::dot(a.frame.up, b.frame.up), -1.0f, 1e-6f);
    for (float t : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f}) {
        const OrbitPose p = interpolate(a, b, t);
        ASSERT_TRUE(finitePose(p)) << "t = " << t;
        expectOrthonormal(p.frame, "opposite ups");
    }
    // Halfway the camera has rolled a quarter turn: its up is sideways.
    EXPECT_NEAR(std::fabs(interpolate(a, b, 0.5f).frame.up.x), 1.0f, 1e-5f);
    expectVec(interpolate(a, b, 1.0f).frame.up, {0, -1, 0}, 1e-5f, "t = 1");
    EXPECT_NEAR(upAngle(a, b), kPi, 1e-5f);
}

TEST(CameraMotion, PathLengthOfSimpleMoves) {
    struct Case {
        OrbitPose a, b;
        float expected;
    };
    const Case cases[] = {
        {fromAngles(0.3f, 2.0f, 4.0f), fromAngles(0.3f, 2.0f, 4.0f), 0.0f},
        {fromAngles(0.3f, 2.0f, 2.0f), fromAngles(0.3f, 2.0f, 5.0f), 3.0f},
        // A quarter turn on the equator at 2 and 4 radii: 2 + (pi/2) * 3.
        {fromAngles(0, 0, 2.0f), fromAngles(0, kPi / 2, 4.0f), 2.0f + kPi / 2 * 3.0f},
        {fromAngles(0, 0, 3.0f), fromAngles(0, kPi, 3.0f), kPi * 3.0f},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(pathLength(c.a, c.b), c.expected, 1e-4f);
    }
}

TEST(CameraMotion, PathLengthOfNearlyOppositeDirectionsIsFinite) {
    // Here rounding makes the half chord 1.0000001, and asin of it is not a number.
    const OrbitPose a = fromAngles(0.311434299f, 3.73382616f, 2.0f);
    OrbitPose b = a;
    b.elevation = -a.elevation;
    b.azimuth = a.azimuth + 3.14159265f;
    const float length = pathLength(a, b);
    ASSERT_TRUE(std::isfinite(length));
    EXPECT_NEAR(length, kPi * 2.0f, 1e-3f);

    int checked = 0;
    for (int i = 0; i < 5000; ++i) {
        OrbitPose p;
        p.elevation = static_cast<float>((i % 997) / 997.0 * 3.0 - 1.5);
        p.azimuth = static_cast<float>((i % 1013) / 1013.0 * 6.283);
        p.distance = 1.0f;
        OrbitPose q = p;
        q.elevation = -p.elevation;
        q.azimuth = p.azimuth + 3.14159265f;
        const float l = pathLength(p, q);
        ASSERT_TRUE(std::isfinite(l)) << p.elevation << " " << p.azimuth;
        EXPECT_LE(l, kPi + 1e-4f);
        ++checked;
    }
    EXPECT_EQ(checked, 5000);
}

TEST(CameraMotion, UpAngleOfEqualUpsIsZeroEvenWhenTheirDotRoundsAboveOne) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    for (int i = 0; i < 2000; ++i) {
        OrbitPose p;
        p.frame.up = glm::normalize(glm::vec3(u(rng), u(rng), u(rng)));
        const float angle = upAngle(p, p);
        ASSERT_TRUE(std::isfinite(angle));
        EXPECT_LT(angle, 1e-3f);
    }
}

// Random and degenerate poses: every blend and measure stays a number, and a move timed
// by them always ends.
TEST(CameraMotion, RandomAndDegeneratePosesNeverGiveNonNumbers) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> angle(-7.0f, 7.0f);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> dist(0.0f, 12.0f);
    auto randomPose = [&](int kind) -> OrbitPose {
        switch (kind % 7) {
            case 0: return fromAngles(angle(rng), angle(rng), dist(rng));
            case 1: return fromAngles(kPi / 2, angle(rng), dist(rng));   // over a pole
            case 2: return fromAngles(-kPi / 2, angle(rng), dist(rng));
            case 3: return fromAngles(angle(rng), angle(rng), 0.0f);    // at the centre
            case 4: return OrbitPose{};                                 // all-zero frame
            case 5: return fromFrame(fromAngles(angle(rng), angle(rng), dist(rng),
                                                glm::vec3(unit(rng), unit(rng), unit(rng)))
                                         .frame);
            default: {
                const glm::vec3 p(unit(rng), unit(rng), unit(rng));
                return lookFromPoint(p * dist(rng), glm::vec3(unit(rng), unit(rng), unit(rng)));
            }
        }
    };
    for (int i = 0; i < 3000; ++i) {
        const OrbitPose a = randomPose(i);
        OrbitPose b = (i % 5 == 0) ? a : randomPose(i / 7 + 3);
        if (i % 11 == 0) {
            b.frame.up = -a.frame.up;  // opposite ups
        }
        for (float t : {0.0f, 0.3f, 0.5f, 1.0f}) {
            ASSERT_TRUE(finitePose(interpolate(a, b, t))) << "case " << i << " t " << t;
        }
        ASSERT_TRUE(std::isfinite(upAngle(a, b))) << i;
        ASSERT_TRUE(std::isfinite(pathLength(a, b))) << i;
    }
}

}  // namespace
}  // namespace earth
