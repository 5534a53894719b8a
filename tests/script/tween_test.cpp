#include "script/Tween.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace earth {
namespace {

// The 8 s at 60 frames per second count is checked through CameraTransition.
TEST(Tween, EasesWithCosineReportingTheValueFromBeforeTheStep) {
    // from 2 to 6 over 1 s: 2 + 4 * (1 - cos(pi s)) / 2, taken at s before the step is added
    const float cases[][2] = {{0.0f, 2.0f}, {0.25f, 2.0f + 4.0f * 0.1464466f}, {0.5f, 4.0f},
                              {0.75f, 2.0f + 4.0f * 0.8535534f}};
    for (const auto& [elapsedBefore, expected] : cases) {
        Tween t;
        t.arm(2.0f, 6.0f, 1.0f);
        if (elapsedBefore > 0.0f) t.update(elapsedBefore);
        t.update(0.01f);
        EXPECT_NEAR(t.value, expected, 1e-5f) << "at s = " << elapsedBefore;
        EXPECT_TRUE(t.active);
    }
    // Exactly on target in the update after the duration has passed, and it stays there.
    Tween t;
    t.arm(0.0f, 1.0f, 1.0f);
    const float values[] = {0.0f, 0.5f, 1.0f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        t.update(0.5f);
        EXPECT_NEAR(t.value, values[i], i == 1 ? 1e-6f : 0.0f) << "update " << i;
        EXPECT_EQ(t.active, i < 2) << "update " << i;
    }
}

TEST(Tween, DegenerateDurationsAndStepsStillEnd) {
    for (float d : {0.0f, -3.0f, std::numeric_limits<float>::quiet_NaN(),
                    std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()}) {
        Tween t;
        t.arm(5.0f, 7.0f, d);
        EXPECT_TRUE(std::isfinite(t.duration)) << d;
        t.update(1.0f / 60.0f);
        EXPECT_FALSE(t.active) << "duration " << d;
        EXPECT_EQ(t.value, 7.0f) << "duration " << d;
    }
    // A non-number or negative step must not stop the tween for ever.
    Tween t;
    t.arm(0.0f, 1.0f, 0.1f);
    t.update(std::numeric_limits<float>::quiet_NaN());
    t.update(-1.0f);
    EXPECT_EQ(t.elapsed, 0.0f);
    for (int i = 0; i < 3 && t.active; ++i) t.update(0.06f);
    EXPECT_FALSE(t.active);
    EXPECT_EQ(t.value, 1.0f);
}

}  // namespace
}  // namespace earth
