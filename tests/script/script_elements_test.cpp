#include "script/ScriptElements.h"

#include "ScriptFakes.h"
#include "script/Tween.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace earth {
namespace {

using test::input;
using test::ProbeElement;
using Log = std::vector<std::string>;

// Chains of instant steps, the splash and the shown sets are rows of the tour's table.
struct ScriptElements : ::testing::Test {
    test::FakeSatellites sats;
    Log log;
};

TEST_F(ScriptElements, ContextSurvivesNoElementAndReportsALoopOfHandOvers) {
    ScriptContext empty(&sats, CameraFrame{}, 1.0f, 0, nullptr);
    empty.update(input(1.0f, {Control::Continue, Control::Skip, Control::Pause}));
    EXPECT_EQ(empty.current, nullptr);
    EXPECT_TRUE(empty.paused);
    // Elements that only hand over to each other are reported, not looped through for ever.
    ProbeElement a("a"), b("b");
    a.onStart = &b;
    b.onStart = &a;
    EXPECT_THROW(ScriptContext(&sats, CameraFrame{}, 1.0f, 0, &a), std::logic_error);
}

TEST_F(ScriptElements, SetRateEasesFromTheEffectiveRateAndAPauseFreezesIt) {
    // Started while paused: it ramps from the effective rate 0 along a cosine, each update
    // taking the value from before its step.
    SetRate ramp(100.0f, 1.0f, nullptr);
    WaitForInput wait(&ramp);
    ScriptContext ctx(&sats, CameraFrame{}, 1000.0f, 0, &wait);
    ctx.togglePause();
    ctx.update(input(0.25f, {Control::Continue}));  // the wait hands over even while paused
    ctx.togglePause();
    ASSERT_EQ(ctx.current, &ramp);
    for (float expected : {0.0f, 14.64466f, 50.0f, 85.35534f, 100.0f}) {
        EXPECT_FALSE(ramp.isFinished());
        ctx.update(input(0.25f));
        EXPECT_NEAR(ctx.rate, expected, 1e-3f);
        if (expected != 50.0f) continue;
        ctx.togglePause();  // paused halfway: frozen, then on from the same place
        EXPECT_EQ(ctx.effectiveRate(), 0.0f);
        for (int i = 0; i < 100; ++i) ctx.update(input(0.25f));
        EXPECT_NEAR(ctx.rate, 50.0f, 1e-3f);
        ctx.togglePause();
    }
    EXPECT_TRUE(ramp.isFinished());
}

// The ramp behind every rate change and camera move; SetRate above checks its easing.
TEST(Tween, DegenerateDurationsAndStepsStillEnd) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (float d : {0.0f, -3.0f, nan, inf, -inf}) {
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
    t.update(nan);
    t.update(-1.0f);
    EXPECT_EQ(t.elapsed, 0.0f);
    for (int i = 0; i < 3 && t.active; ++i) t.update(0.06f);
    EXPECT_FALSE(t.active);
    EXPECT_EQ(t.value, 1.0f);
}

TEST_F(ScriptElements, CompoundFansEveryEventOutInSlotOrderAndOnlyContinueAndSkipWhilePaused) {
    ProbeElement a("a", &log), b("b", &log);
    CompoundScriptElement step({&a, &b}, nullptr);
    ScriptContext ctx(&sats, CameraFrame{}, 1.0f, 0, &step);
    ctx.update(input(0.1f, {Control::Pause}));
    EXPECT_EQ(ctx.effectiveRate(), 0.0f);
    ctx.update(input(0.1f, {Control::Continue}));
    ctx.update(input(0.1f, {Control::Skip}));
    ctx.update(input(0.1f, {Control::Pause}));  // resumed, and updated in the same frame
    EXPECT_EQ(log, (Log{"a.start", "b.start", "a.pause", "b.pause", "a.continue", "b.continue", "a.skip",
                        "b.skip", "a.resume", "b.resume", "a.update", "b.update"}));
}

TEST_F(ScriptElements, CompoundEndsOnlyWhenEverySlotHasFinished) {
    // Slot 0: a ramp of 1 s followed by a wait; slot 1: a ramp of 0.5 s. Chains of instant
    // steps inside a compound are rows of the tour's table.
    ProbeElement after("after");
    WaitForInput wait(nullptr);
    SetRate first(10.0f, 1.0f, &wait);
    SetRate second(20.0f, 0.5f, nullptr);
    CompoundScriptElement step({&first, &second}, &after);
    ScriptContext ctx(&sats, CameraFrame{}, 0.0f, 0, &step);
    for (int i = 0; i < 10; ++i) ctx.update(input(0.25f));
    EXPECT_EQ(step.children()[0], &wait);  // slot 0 has moved on in its own sequence
    EXPECT_EQ(step.children()[1], &second);
    EXPECT_TRUE(second.isFinished());
    EXPECT_EQ(ctx.current, &step);
    ctx.onContinue();  // reaches the wait inside the compound
    EXPECT_EQ(ctx.current, &after);
}

}  // namespace
}  // namespace earth
