#include "script/Camera.h"

#include "ScriptFakes.h"

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace earth {
namespace {

using test::expectVec;

constexpr float kPi = 3.14159265f;
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

bool finitePose(const OrbitPose& p) {
    return std::isfinite(p.elevation) && std::isfinite(p.azimuth) && std::isfinite(p.distance) &&
           test::finiteFrame(p.frame);
}

// A usable view: unit forward and up at right angles, the basis columns right, up and back.
void expectView(const CameraFrame& f, const char* what) {
    EXPECT_NEAR(glm::length(f.forward), 1.0f, 1e-5f) << what;
    EXPECT_NEAR(glm::length(f.up), 1.0f, 1e-5f) << what;
    EXPECT_NEAR(glm::dot(f.forward, f.up), 0.0f, 1e-5f) << what;
    expectVec(f.basis[1], f.up, 1e-5f, what);
    expectVec(f.basis[2], -f.forward, 1e-5f, what);
    expectVec(glm::cross(f.basis[0], f.up), -f.forward, 1e-5f, what);
}

// Positions, orientations and the fromFrame round trip at ordinary poses show in the tour's
// end poses and the exploration flights and rides; these are the places where they can fail.
TEST(CameraPose, DegenerateInputsStillGiveAnUprightView) {
    // Over a pole world up is parallel to the view; the right vector is the one the pose
    // tends to as the camera nears the pole, so the view does not jump there.
    for (float a : {0.0f, 1.0f, 4.0f}) {
        for (float e : {kPi / 2, -kPi / 2}) {
            const OrbitPose pole = fromAngles(e, a, 3);
            ASSERT_TRUE(finitePose(pole));
            expectView(pole.frame, "pole");
            expectVec(pole.frame.basis[0], fromAngles(e - std::copysign(1e-3f, e), a, 3).frame.basis[0], 1e-3f,
                      "right near the pole");
        }
    }
    // A reference along the view, none or a non-number, or a camera at the centre.
    for (const OrbitPose& p : {fromAngles(0, 0, 3, {0, 0, -1}), fromAngles(0, 0, 3, {0, 0, 1}),
                               fromAngles(0, 0, 3, glm::vec3(0)), fromAngles(0, 0, 3, glm::vec3(kNaN)),
                               fromAngles(0.3f, 1.0f, 0.0f)}) {
        ASSERT_TRUE(finitePose(p));
        expectView(p.frame, "degenerate reference or place");
    }
    EXPECT_NEAR(fromAngles(0, 7.0f, 3).azimuth, 7.0f - 2 * kPi, 1e-6f);  // kept within 0..2pi
    // Huge azimuths must not spin the wrapping loop for ever; non-numbers, motion along the
    // line of sight or no position at all still give a pose.
    for (const OrbitPose& p : {fromAngles(0, 1e30f, 3), fromAngles(kNaN, 1, 3), fromAngles(0, kNaN, 3),
                               fromAngles(0, kInf, 3), lookFromPoint({0, 0, 2}, {0, 0, 1}),
                               lookFromPoint({0, 0, 0}, {1, 0, 0})}) {
        EXPECT_TRUE(finitePose(p));
    }
}

// The ends of a blend show in the tour's end poses and the exploration tests' flights.
TEST(CameraMotion, InterpolateTakesTheShortWayRound) {
    // Halfway from azimuth 0.1 to 6.2 lies near azimuth 0 (through +Z), not near pi.
    const OrbitPose mid = interpolate(fromAngles(0.2f, 0.1f, 3.0f), fromAngles(0.6f, 6.2f, 5.0f), 0.5f);
    EXPECT_GT(mid.frame.position.z, 0.0f);
    EXPECT_NEAR(mid.distance, 4.0f, 1e-5f);
    EXPECT_NEAR(mid.elevation, 0.4f, 1e-5f);
}

TEST(CameraMotion, ParallelUpsThatDifferInTheLastBitKeepAsUp) {
    // Both ups point the same way but are not bitwise equal, so their cross product is zero;
    // normalising it used to give a non-number view. Rolled, so an upright fallback shows.
    OrbitPose a = fromAngles(0.0f, 0.0f, 2.0f, {1, 0, 0});
    OrbitPose b = fromAngles(0.0f, 0.0f, 6.0f, {1, 0, 0});
    b.frame.up.x = std::nextafter(a.frame.up.x, 0.0f);
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

// Simple lengths show in the flight durations of the exploration tests.
TEST(CameraMotion, PathLengthStaysANumberWhenTheHalfChordRoundsAboveOne) {
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
    std::uniform_real_distribution<float> angle(-7.0f, 7.0f), unit(-1.0f, 1.0f), dist(0.0f, 12.0f);
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
