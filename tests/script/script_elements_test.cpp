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

TEST_F(ScriptElements, SetRateEasesFromTheEffectiveRateAndHandsOverOnArrival) {
    ProbeElement after("after");
    SetRate ramp(0.0f, 1.0f, &after);
    ScriptContext ctx(&sats, CameraFrame{}, 1000.0f, 0, &ramp);
    EXPECT_FALSE(ramp.isFinished());
    ctx.update(test::input(0.5f));
    EXPECT_EQ(ctx.rate, 1000.0f);
    ctx.update(test::input(0.5f));
    EXPECT_NEAR(ctx.rate, 500.0f, 1e-3f);
    ctx.update(test::input(0.5f));
    EXPECT_EQ(ctx.rate, 0.0f);
    EXPECT_EQ(ctx.current, &after);
    EXPECT_TRUE(ramp.isFinished());

    // Zero duration: the jump happens in the first update, not at the start.
    SetRate jump(3.0f, 0.0f, &after);
    ScriptContext ctx2(&sats, CameraFrame{}, 1000.0f, 0, &jump);
    EXPECT_EQ(ctx2.current, &jump);
    ctx2.update(test::input(1.0f / 60.0f));
    EXPECT_EQ(ctx2.rate, 3.0f);
    EXPECT_EQ(ctx2.current, &after);
}

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
    const struct {
        int number;
        glm::vec4 color;
        float size;
        bool visible;
    } expected[] = {{1, glm::vec4(1, 0, 0, 0.3f), 0.05f, true},
                    {3, glm::vec4(0, 0, 1, 1), 0.06f, false},
                    {7, glm::vec4(1.0f), 0.02f, true}};
    for (const auto& e : expected) {
        EXPECT_EQ(sats.records[e.number].color, e.color) << e.number;
        EXPECT_EQ(sats.records[e.number].size, e.size) << e.number;
        EXPECT_EQ(sats.records[e.number].visible, e.visible) << e.number;
    }
    for (const IScriptElement* e : std::initializer_list<const IScriptElement*>{
             &visible, &sizes, &sizesByPair, &colors, &colorsByPair}) {
        EXPECT_TRUE(e->isFinished());
    }
}

TEST_F(ScriptElements, CompoundOfInstantOrNoChildrenHandsOverFromStart) {
    sats.add(1);
    ProbeElement after("after", &log);
    SubsetVisible visible({1}, nullptr);
    SubsetSize size({1}, 0.03f, nullptr);
    CompoundScriptElement step({&visible, &size}, &after);
    ScriptContext ctx(&sats, CameraFrame{}, 1.0f, 0, &step);
    EXPECT_EQ(ctx.current, &after);
    EXPECT_EQ(log, Log{"after.start"});
    EXPECT_TRUE(step.isFinished());

    CompoundScriptElement none({}, &after);
    EXPECT_TRUE(none.isFinished());
    ScriptContext ctx2(&sats, CameraFrame{}, 1.0f, 0, &none);
    EXPECT_EQ(ctx2.current, &after);
}

TEST_F(ScriptElements, CompoundWithoutNextNeverHandsOverEvenWhenFinished) {
    sats.add(1);
    SubsetVisible visible({}, nullptr);  // an empty list hides every satellite
    CompoundScriptElement step({&visible}, nullptr);
    ScriptContext ctx(&sats, CameraFrame{}, 1.0f, 0, &step);
    ctx.update(test::input(1.0f));
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
