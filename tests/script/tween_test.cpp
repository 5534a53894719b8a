#include "script/Tween.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace earth {
namespace {

TEST(Tween, EasesWithCosineAndReportsFromBeforeAddingTheStep) {
    struct Case {
        float elapsedBefore;  // the value is taken at this time
        float expected;
    };
    // from 2 to 6 over 1 s: 2 + 4 * (1 - cos(pi s)) / 2
    const Case cases[] = {{0.0f, 2.0f}, {0.25f, 2.0f + 4.0f * 0.1464466f}, {0.5f, 4.0f},
                          {0.75f, 2.0f + 4.0f * 0.8535534f}};
    for (const Case& c : cases) {
        Tween t;
        t.arm(2.0f, 6.0f, 1.0f);
        if (c.elapsedBefore > 0.0f) {
            t.update(c.elapsedBefore);  // yields `from`, then elapsed = elapsedBefore
        }
        t.update(0.01f);
        EXPECT_NEAR(t.value, c.expected, 1e-5f) << "at s = " << c.elapsedBefore;
        EXPECT_TRUE(t.active);
    }
}

TEST(Tween, EndsExactlyOnTargetInTheUpdateAfterTheDurationHasPassed) {
    Tween t;
    t.arm(0.0f, 1.0f, 1.0f);
    t.update(0.5f);
    EXPECT_EQ(t.value, 0.0f);
    t.update(0.5f);
    EXPECT_NEAR(t.value, 0.5f, 1e-6f);
    EXPECT_TRUE(t.active);
    t.update(0.5f);
    EXPECT_EQ(t.value, 1.0f);
    EXPECT_FALSE(t.active);
    t.update(0.5f);  // an ended tween stays put
    EXPECT_EQ(t.value, 1.0f);
    EXPECT_FALSE(t.active);
}

TEST(Tween, EightSecondsAtSixtyFramesPerSecondEndsNearFrame481) {
    Tween t;
    t.arm(0.0f, 1.0f, 8.0f);
    int frames = 0;
    while (t.active && frames < 1000) {
        t.update(1.0f / 60.0f);
        ++frames;
    }
    EXPECT_GE(frames, 481);
    EXPECT_LE(frames, 482);
    EXPECT_EQ(t.value, 1.0f);
}

TEST(Tween, DegenerateDurationsEndOnTheFirstUpdate) {
    const float durations[] = {0.0f, -3.0f, std::numeric_limits<float>::quiet_NaN(),
                               std::numeric_limits<float>::infinity(),
                               -std::numeric_limits<float>::infinity()};
    for (float d : durations) {
        Tween t;
        t.arm(5.0f, 7.0f, d);
        EXPECT_TRUE(std::isfinite(t.duration)) << d;
        t.update(1.0f / 60.0f);
        EXPECT_FALSE(t.active) << "duration " << d;
        EXPECT_EQ(t.value, 7.0f) << "duration " << d;
    }
}

TEST(Tween, ANonNumberStepDoesNotStopTheTweenForEver) {
    Tween t;
    t.arm(0.0f, 1.0f, 0.1f);
    t.update(std::numeric_limits<float>::quiet_NaN());
    t.update(-1.0f);
    EXPECT_EQ(t.elapsed, 0.0f);
    for (int i = 0; i < 3 && t.active; ++i) {
        t.update(0.06f);
    }
    EXPECT_FALSE(t.active);
    EXPECT_EQ(t.value, 1.0f);
}

}  // namespace
}  // namespace earth
