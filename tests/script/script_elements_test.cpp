#include "script/ScriptElements.h"

#include "ScriptFakes.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace earth {
namespace {

using test::FakeSatellites;
using test::ProbeElement;
using Log = std::vector<std::string>;

struct ScriptElements : ::testing::Test {
    FakeSatellites sats;
    Log log;
};

TEST_F(ScriptElements, ContextStartsTheFirstElementRunsItsChainAndSurvivesNullAndLoops) {
    WaitForInput wait(nullptr);
    SubsetVisible visible({5}, &wait);
    ShowSplashScreen splash(0, &visible);
    ScriptContext ctx(&sats, CameraFrame{}, 1000.0f, 1, &splash);
    EXPECT_EQ(ctx.current, &wait);
    EXPECT_EQ(ctx.splash, 0);
    EXPECT_EQ(sats.visibleCalls, std::vector<std::vector<int>>{{5}});
    EXPECT_EQ(ctx.rate, 1000.0f);
    EXPECT_FALSE(ctx.paused);
    EXPECT_TRUE(ctx.panels.empty());

    ScriptContext empty(&sats, CameraFrame{}, 1.0f, 0, nullptr);
    empty.update(test::input(1.0f));
    empty.onContinue();
    empty.onSkip();
    empty.togglePause();
    EXPECT_EQ(empty.current, nullptr);
    EXPECT_TRUE(empty.paused);

    // Elements that only hand over to each other are reported, not looped through for ever.
    ProbeElement a("a"), b("b");
    a.onStart = &b;
    b.onStart = &a;
    EXPECT_THROW(ScriptContext(&sats, CameraFrame{}, 1.0f, 0, &a), std::logic_error);
}

TEST_F(ScriptElements, WaitForInputHandsOverOnContinueEvenWhilePaused) {
    ProbeElement after("after", &log);
    WaitForInput wait(&after);
    ScriptContext ctx(&sats, CameraFrame{}, 1.0f, 0, &wait);
    ctx.update(test::input(1.0f));
    EXPECT_EQ(ctx.current, &wait);
    EXPECT_FALSE(wait.isFinished());
    ctx.togglePause();
    ctx.onContinue();
    EXPECT_EQ(ctx.current, &after);
    EXPECT_TRUE(wait.isFinished());
    EXPECT_EQ(log, Log{"after.start"});
}

TEST_F(ScriptElements, PauseStopsUpdatesAndIsForwardedToTheElementInCharge) {
    ProbeElement probe("p", &log);
    ScriptContext ctx(&sats, CameraFrame{}, 1.0f, 0, &probe);
    ctx.togglePause();
    EXPECT_TRUE(ctx.paused);
    EXPECT_EQ(ctx.effectiveRate(), 0.0f);
    ctx.update(test::input(0.1f));
    ctx.onSkip();
    ctx.togglePause();
    ctx.update(test::input(0.1f));
    EXPECT_EQ(log, (Log{"p.start", "p.pause", "p.skip", "p.resume", "p.update"}));
}

// Ramps, subsets and compounds of instant steps are checked step by step in the tour's table.
TEST_F(ScriptElements, SetRateUnderPause) {
    // Started while paused: it ramps from the effective rate 0.
    SetRate ramp(100.0f, 1.0f, nullptr);
    WaitForInput wait(&ramp);
    ScriptContext ctx(&sats, CameraFrame{}, 1000.0f, 0, &wait);
    ctx.togglePause();
    ctx.onContinue();
    ctx.togglePause();
    ctx.update(test::input(0.5f));
    EXPECT_EQ(ctx.rate, 0.0f);
    ctx.update(test::input(0.5f));
    EXPECT_NEAR(ctx.rate, 50.0f, 1e-4f);

    // Paused mid-ramp: frozen, then it goes on from the same place.
    SetRate slow(0.0f, 2.0f, nullptr);
    ScriptContext ctx2(&sats, CameraFrame{}, 1000.0f, 0, &slow);
    ctx2.update(test::input(0.5f));
    ctx2.update(test::input(0.5f));
    const float before = ctx2.rate;
    ctx2.togglePause();
    for (int i = 0; i < 100; ++i) ctx2.update(test::input(0.5f));
    EXPECT_EQ(ctx2.rate, before);
    ctx2.togglePause();
    ctx2.update(test::input(0.5f));  // value at 1.0 s of 2: halfway
    EXPECT_NEAR(ctx2.rate, 500.0f, 1e-3f);
}

TEST_F(ScriptElements, CompoundEndsOnlyWhenEverySlotHasFinished) {
    // Slot 0: a ramp of 1 s followed by a wait; slot 1: a ramp of 0.5 s.
    ProbeElement after("after", &log);
    WaitForInput wait(nullptr);
    SetRate first(10.0f, 1.0f, &wait);
    SetRate second(20.0f, 0.5f, nullptr);
    CompoundScriptElement step({&first, &second}, &after);
    ScriptContext ctx(&sats, CameraFrame{}, 0.0f, 0, &step);
    for (int i = 0; i < 10; ++i) ctx.update(test::input(0.25f));
    EXPECT_EQ(step.children()[0], &wait);  // slot 0 has moved on in its own sequence
    EXPECT_EQ(step.children()[1], &second);
    EXPECT_TRUE(second.isFinished());
    EXPECT_EQ(ctx.current, &step);
    ctx.onContinue();  // reaches the wait inside the compound
    EXPECT_EQ(ctx.current, &after);

    // A child chain ending in an unfinished element keeps it running.
    log.clear();
    ProbeElement forever("forever", &log);
    SubsetVisible leadsOn({}, &forever), other({}, nullptr);
    CompoundScriptElement step2({&leadsOn, &other}, &after);
    ScriptContext ctx2(&sats, CameraFrame{}, 1.0f, 0, &step2);
    for (int i = 0; i < 5; ++i) ctx2.update(test::input(1.0f));
    EXPECT_EQ(ctx2.current, &step2);
    EXPECT_EQ(step2.children()[0], &forever);
    EXPECT_EQ(log.size(), 6u);  // started once, updated five times
}

TEST_F(ScriptElements, CompoundForwardsEveryEventToEveryChildInOrder) {
    ProbeElement a("a", &log);
    ProbeElement b("b", &log);
    CompoundScriptElement step({&a, &b}, nullptr);
    ScriptContext ctx(&sats, CameraFrame{}, 1.0f, 0, &step);
    ctx.onContinue();
    ctx.onSkip();
    ctx.togglePause();
    ctx.togglePause();
    ctx.update(test::input(0.1f));
    EXPECT_EQ(log, (Log{"a.start", "b.start", "a.continue", "b.continue", "a.skip", "b.skip",
                        "a.pause", "b.pause", "a.resume", "b.resume", "a.update", "b.update"}));
}

}  // namespace
}  // namespace earth
