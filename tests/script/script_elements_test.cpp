#include "script/ScriptElements.h"

#include "ScriptFakes.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace earth {
namespace {

using test::FakeSatellites;
using test::ProbeElement;

struct ScriptElements : ::testing::Test {
    FakeSatellites sats;
    std::vector<std::string> log;
};

TEST_F(ScriptElements, ContextStartsTheFirstElementAndRunsItsChain) {
    WaitForInput wait(nullptr);
    SubsetVisible visible({5}, &wait);
    ShowSplashScreen splash(0, &visible);
    ScriptContext ctx(&sats, CameraFrame{}, 1000.0f, 1, &splash);
    EXPECT_EQ(ctx.current, &wait);
    EXPECT_EQ(ctx.splash, 0);
    ASSERT_EQ(sats.visibleCalls.size(), 1u);
    EXPECT_EQ(sats.visibleCalls[0], std::vector<int>{5});
    EXPECT_EQ(ctx.rate, 1000.0f);
    EXPECT_FALSE(ctx.paused);
    EXPECT_TRUE(ctx.panels.empty());
}

TEST_F(ScriptElements, WaitForInputHandsOverOnContinueEvenWhilePaused) {
    ProbeElement after("after", &log);
    WaitForInput wait(&after);
    ScriptContext ctx(&sats, CameraFrame{}, 1.0f, 0, &wait);
    ctx.update(1.0f);
    EXPECT_EQ(ctx.current, &wait);
    EXPECT_FALSE(wait.isFinished());
    ctx.togglePause();
    ctx.onContinue();
    EXPECT_EQ(ctx.current, &after);
    EXPECT_TRUE(wait.isFinished());
    EXPECT_EQ(log, std::vector<std::string>{"after.start"});
}

TEST_F(ScriptElements, PauseStopsUpdatesAndIsForwardedToTheElementInCharge) {
    ProbeElement probe("p", &log);
    ScriptContext ctx(&sats, CameraFrame{}, 1.0f, 0, &probe);
    ctx.togglePause();
    EXPECT_TRUE(ctx.paused);
    EXPECT_EQ(ctx.effectiveRate(), 0.0f);
    ctx.update(0.1f);
    ctx.onSkip();
    ctx.togglePause();
    ctx.update(0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"p.start", "p.pause", "p.skip", "p.resume",
                                             "p.update"}));
}

TEST_F(ScriptElements, ANullCurrentMakesEveryOperationANoOp) {
    ScriptContext ctx(&sats, CameraFrame{}, 1.0f, 0, nullptr);
    ctx.update(1.0f);
    ctx.onContinue();
    ctx.onSkip();
    ctx.togglePause();
    EXPECT_EQ(ctx.current, nullptr);
    EXPECT_TRUE(ctx.paused);
}

TEST_F(ScriptElements, ALoopOfElementsThatOnlyHandOverIsReportedNotHung) {
    ProbeElement a("a");
    ProbeElement b("b");
    a.onStart = &b;
    b.onStart = &a;
    EXPECT_THROW(ScriptContext(&sats, CameraFrame{}, 1.0f, 0, &a), std::logic_error);
}

TEST_F(ScriptElements, SetRateEasesFromTheEffectiveRateAndHandsOverOnArrival) {
    ProbeElement after("after");
    SetRate ramp(0.0f, 1.0f, &after);
    ScriptContext ctx(&sats, CameraFrame{}, 1000.0f, 0, &ramp);
    EXPECT_FALSE(ramp.isFinished());
    ctx.update(0.5f);
    EXPECT_EQ(ctx.rate, 1000.0f);
    ctx.update(0.5f);
    EXPECT_NEAR(ctx.rate, 500.0f, 1e-3f);
    ctx.update(0.5f);
    EXPECT_EQ(ctx.rate, 0.0f);
    EXPECT_EQ(ctx.current, &after);
    EXPECT_TRUE(ramp.isFinished());
}

TEST_F(ScriptElements, SetRateWithZeroDurationJumpsInItsFirstUpdate) {
    ProbeElement after("after");
    SetRate ramp(3.0f, 0.0f, &after);
    ScriptContext ctx(&sats, CameraFrame{}, 1000.0f, 0, &ramp);
    EXPECT_EQ(ctx.current, &ramp);
    ctx.update(1.0f / 60.0f);
    EXPECT_EQ(ctx.rate, 3.0f);
    EXPECT_EQ(ctx.current, &after);
}

TEST_F(ScriptElements, SetRateStartedWhilePausedRampsFromZero) {
    SetRate ramp(100.0f, 1.0f, nullptr);
    WaitForInput wait(&ramp);
    ScriptContext ctx(&sats, CameraFrame{}, 1000.0f, 0, &wait);
    ctx.togglePause();
    ctx.onContinue();  // starts the ramp while paused
    ctx.togglePause();
    ctx.update(0.5f);
    EXPECT_EQ(ctx.rate, 0.0f);
    ctx.update(0.5f);
    EXPECT_NEAR(ctx.rate, 50.0f, 1e-4f);
}

TEST_F(ScriptElements, PauseFreezesARampAndResumeContinuesFromTheSamePlace) {
    SetRate ramp(0.0f, 2.0f, nullptr);
    ScriptContext ctx(&sats, CameraFrame{}, 1000.0f, 0, &ramp);
    ctx.update(0.5f);
    ctx.update(0.5f);
    const float before = ctx.rate;
    ctx.togglePause();
    for (int i = 0; i < 100; ++i) {
        ctx.update(0.5f);
    }
    EXPECT_EQ(ctx.rate, before);
    ctx.togglePause();
    ctx.update(0.5f);  // value at 1.0 s of 2: halfway
    EXPECT_NEAR(ctx.rate, 500.0f, 1e-3f);
}

TEST_F(ScriptElements, SubsetElementsPassTheirListsToTheRendererAndHandOverAtOnce) {
    sats.add(1);
    sats.add(3);
    sats.add(7);
    ProbeElement after("after");
    SubsetVisible visible({1, 7}, &after);
    SubsetSize sizesByPair({{1, 0.05f}, {3, 0.06f}}, &visible);
    SubsetSize sizes({3, 7}, 0.02f, &sizesByPair);
    SubsetColor colorsByPair({{3, glm::vec4(0, 0, 1, 1)}}, &sizes);
    SubsetColor colors({1, 3, 99}, glm::vec4(1, 0, 0, 0.3f), &colorsByPair);
    ScriptContext ctx(&sats, CameraFrame{}, 1.0f, 0, &colors);

    EXPECT_EQ(ctx.current, &after);
    EXPECT_EQ(sats.records[1].color, glm::vec4(1, 0, 0, 0.3f));
    EXPECT_EQ(sats.records[3].color, glm::vec4(0, 0, 1, 1));
    EXPECT_EQ(sats.records[7].color, glm::vec4(1.0f));
    EXPECT_EQ(sats.records[1].size, 0.05f);
    EXPECT_EQ(sats.records[3].size, 0.06f);
    EXPECT_EQ(sats.records[7].size, 0.02f);
    EXPECT_TRUE(sats.records[1].visible);
    EXPECT_FALSE(sats.records[3].visible);
    EXPECT_TRUE(sats.records[7].visible);
    for (const IScriptElement* e : std::initializer_list<const IScriptElement*>{
             &visible, &sizes, &sizesByPair, &colors, &colorsByPair}) {
        EXPECT_TRUE(e->isFinished());
    }
}

TEST_F(ScriptElements, CompoundOfInstantChildrenHandsOverFromStart) {
    sats.add(1);
    ProbeElement after("after", &log);
    SubsetVisible visible({1}, nullptr);
    SubsetSize size({1}, 0.03f, nullptr);
    CompoundScriptElement step({&visible, &size}, &after);
    ScriptContext ctx(&sats, CameraFrame{}, 1.0f, 0, &step);
    EXPECT_EQ(ctx.current, &after);
    EXPECT_EQ(log, std::vector<std::string>{"after.start"});
    EXPECT_TRUE(step.isFinished());
}

TEST_F(ScriptElements, EmptyCompoundHandsOverAtOnceAndIsFinished) {
    ProbeElement after("after");
    CompoundScriptElement step({}, &after);
    EXPECT_TRUE(step.isFinished());
    ScriptContext ctx(&sats, CameraFrame{}, 1.0f, 0, &step);
    EXPECT_EQ(ctx.current, &after);
}

TEST_F(ScriptElements, CompoundWithoutNextNeverHandsOverEvenWhenFinished) {
    sats.add(1);
    SubsetVisible visible({}, nullptr);  // an empty list hides every satellite
    CompoundScriptElement step({&visible}, nullptr);
    ScriptContext ctx(&sats, CameraFrame{}, 1.0f, 0, &step);
    ctx.update(1.0f);
    EXPECT_EQ(ctx.current, &step);
    EXPECT_TRUE(step.isFinished());
    EXPECT_FALSE(sats.records[1].visible);
}

TEST_F(ScriptElements, CompoundEndsOnlyWhenEverySlotHasFinished) {
    // Slot 0: a ramp of 1 s followed by a wait; slot 1: a ramp of 0.5 s.
    ProbeElement after("after", &log);
    WaitForInput wait(nullptr);
    SetRate first(10.0f, 1.0f, &wait);
    SetRate second(20.0f, 0.5f, nullptr);
    CompoundScriptElement step({&first, &second}, &after);
    ScriptContext ctx(&sats, CameraFrame{}, 0.0f, 0, &step);
    for (int i = 0; i < 10; ++i) {
        ctx.update(0.25f);
    }
    EXPECT_EQ(step.children()[0], &wait);  // slot 0 has moved on in its own sequence
    EXPECT_EQ(step.children()[1], &second);
    EXPECT_TRUE(second.isFinished());
    EXPECT_EQ(ctx.current, &step);
    ctx.onContinue();  // reaches the wait inside the compound
    EXPECT_EQ(ctx.current, &after);
}

TEST_F(ScriptElements, CompoundChildChainEndingInAnUnfinishedElementKeepsItRunning) {
    ProbeElement forever("forever", &log);
    SubsetVisible visible({}, &forever);
    SubsetVisible other({}, nullptr);
    ProbeElement after("after");
    CompoundScriptElement step({&visible, &other}, &after);
    ScriptContext ctx(&sats, CameraFrame{}, 1.0f, 0, &step);
    for (int i = 0; i < 5; ++i) {
        ctx.update(1.0f);
    }
    EXPECT_EQ(ctx.current, &step);
    EXPECT_EQ(step.children()[0], &forever);
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
    ctx.update(0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"a.start", "b.start", "a.continue", "b.continue",
                                             "a.skip", "b.skip", "a.pause", "b.pause",
                                             "a.resume", "b.resume", "a.update", "b.update"}));
}

}  // namespace
}  // namespace earth
