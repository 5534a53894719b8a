#include "script/CameraElements.h"

#include "ScriptFakes.h"
#include "script/ScriptElements.h"
#include "script/Selection.h"

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include <cmath>

namespace earth {
namespace {

using test::FakeSatellites;
using test::ProbeElement;

using test::expectVec;
using test::finiteFrame;

constexpr float kPi = 3.14159265f;
constexpr float kDt = 1.0f / 60.0f;
const float kScale = 1.0f / 6378100.0f;

// Runs the frame cycle's part that concerns the script: controls, then the update.
struct Driver {
    void frame(float dt = kDt) {
        input.update(dt);
        if (input.continueControl() == ControlState::Pressed) ctx->onContinue();
        if (input.skipControl() == ControlState::Pressed) ctx->onSkip();
        if (input.pauseControl() == ControlState::Pressed) ctx->togglePause();
        ctx->update(dt);
    }
    void key(int code, bool down) { input.recordKey(code, 0, down ? 1 : 0, 0); }
    void tap(int code) {
        key(code, true);
        frame();
        key(code, false);
        frame();
    }

    InputState input{nullptr};
    ScriptContext* ctx = nullptr;
};

TEST(CameraTransition, EightSecondsAtSixtyFramesEndsOnTheTargetNearFrame481) {
    FakeSatellites sats;
    ProbeElement after("after");
    const OrbitPose target = fromAngles(0.9f, 1.4f, 6.0f);
    CameraTransition move(target, 8.0f, &after);
    ScriptContext ctx(&sats, fromAngles(0, 0, 3).frame, 1.0f, 0, &move);
    for (int i = 0; i < 30; ++i) ctx.update(kDt);
    // Paused: frozen; resumed: one more step along the same path, not a restart nor a jump.
    const CameraFrame frozen = ctx.camera;
    ctx.togglePause();
    for (int i = 0; i < 300; ++i) ctx.update(kDt);
    EXPECT_EQ(ctx.camera.position, frozen.position);
    ctx.togglePause();
    ctx.update(kDt);
    EXPECT_LT(glm::length(ctx.camera.position - frozen.position), 0.2f);
    EXPECT_GT(glm::length(ctx.camera.position - frozen.position), 0.0f);
    int frames = 31;
    while (ctx.current == &move && frames < 1000) {
        ctx.update(kDt);
        ++frames;
        ASSERT_TRUE(finiteFrame(ctx.camera));
    }
    EXPECT_GE(frames, 481);
    EXPECT_LE(frames, 482);
    EXPECT_EQ(ctx.current, &after);
    EXPECT_TRUE(move.isFinished());
    expectVec(ctx.camera.position, target.frame.position, 1e-5f, "position");
    expectVec(ctx.camera.up, target.frame.up, 1e-5f, "up");
    // Single use: taking charge again, the spent tween is not re-armed and ends at once.
    ctx.camera = fromAngles(0, 0, 9).frame;
    move.start(ctx);
    EXPECT_EQ(move.update(kDt, ctx), &after);
    expectVec(ctx.camera.position, target.frame.position, 1e-5f, "target");
}

TEST(TransitionToSatellite, WaitsForTheSatelliteThenEndsRidingIt) {
    FakeSatellites sats;
    ProbeElement after("after");
    TransitionToSatellite fly(42, 1.0f, &after);
    const CameraFrame start = fromAngles(0, 0, 3).frame;
    ScriptContext ctx(&sats, start, 1.0f, 0, &fly);
    for (int i = 0; i < 120; ++i) ctx.update(kDt);  // not found yet: the flight waits
    EXPECT_EQ(ctx.camera.position, start.position);
    EXPECT_EQ(ctx.current, &fly);

    sats.add(42, {0, 0, 2}, {1, 0, 0});
    int frames = 0;
    float angle = 0.0f;
    while (ctx.current == &fly && frames < 200) {
        // The satellite moves on every frame; the flight follows it.
        angle += 0.01f;
        sats.records[42].position = SatellitePosition{
            {2 * std::sin(angle), 0, 2 * std::cos(angle)}, {std::cos(angle), 0, -std::sin(angle)}};
        ctx.update(kDt);
        ++frames;
    }
    EXPECT_EQ(ctx.current, &after);
    EXPECT_GE(frames, 61);
    EXPECT_LE(frames, 62);
    const SatellitePosition& at = *sats.records[42].position;
    expectVec(ctx.camera.position, at.position, 1e-5f, "on the satellite");
    expectVec(ctx.camera.forward, -glm::normalize(at.position), 1e-5f, "looking down");
}

TEST(StickToSatellite, RidesTheSatelliteAndNeverHandsOver) {
    FakeSatellites sats;
    StickToSatellite ride(7);
    EXPECT_TRUE(ride.isFinished());
    ScriptContext ctx(&sats, fromAngles(0, 0, 3).frame, 1.0f, 0, &ride);
    const CameraFrame before = ctx.camera;
    ctx.update(kDt);
    EXPECT_EQ(ctx.camera.position, before.position);  // not found: unchanged
    sats.add(7, {0, 3, 0}, {0, 0, 1});
    ctx.update(kDt);
    expectVec(ctx.camera.position, {0, 3, 0}, 1e-6f, "position");
    expectVec(ctx.camera.forward, {0, -1, 0}, 1e-6f, "forward");
    expectVec(ctx.camera.basis[0], {0, 0, 1}, 1e-6f, "motion to the right");
    EXPECT_EQ(ctx.current, &ride);
}

// The free-exploration loop wired as the builder wires it.
struct Exploration : ::testing::Test {
    Exploration() {
        catalogue = {test::makeSatellite(5, "FIVE"), test::makeSatellite(8, "EIGHT")};
        sats.add(5, {0, 0, 2}, {1, 0, 0});
        sats.add(8, {0, 2, 0}, {1, 0, 0});
        context = std::make_unique<ScriptContext>(&sats, fromAngles(0, 0, 3).frame, 1000.0f, 0,
                                                  &free);
        driver.ctx = context.get();
    }
    ScriptContext& ctx() { return *context; }
    const OrbitPose& pose() const { return free.controller().pose; }
    void hold(int code, float seconds) {
        driver.key(code, true);
        for (int i = 0; i < static_cast<int>(std::lround(seconds / kDt)); ++i) driver.frame();
        driver.key(code, false);
        driver.frame();
    }

    std::vector<Satellite> catalogue;
    FakeSatellites sats;
    Selection selection{&catalogue};
    Driver driver;
    FreeCameraElement free{&selection, &driver.input, &kScale, &look, &stick};
    SelectWithLookElement look{&selection, &driver.input, &free};
    StickToSelection stick{&selection, &driver.input, 1.0f, kPi / 8, &reorient};
    ReorientToFixedCamera reorient{&selection, kPi / 8, &free};
    std::unique_ptr<ScriptContext> context;
};

TEST_F(Exploration, HeldKeysTurnZoomAndChangeTheRateWithinTheirLimits) {
    hold(InputState::kUp, 10.0f);  // stops just short of the pole
    EXPECT_EQ(pose().elevation, 1.5697963f);
    EXPECT_TRUE(finiteFrame(ctx().camera));
    hold(InputState::kDown, 30.0f);
    EXPECT_EQ(pose().elevation, -1.5697963f);

    hold(InputState::kRight, 1.0f);
    EXPECT_NEAR(pose().azimuth, 0.04f * 2 * kPi, 2e-3f);
    hold(InputState::kLeft, 2.0f);
    EXPECT_NEAR(pose().azimuth, 2 * kPi - 0.04f * 2 * kPi, 2e-3f);  // wrapped into 0..2pi
    EXPECT_NEAR(glm::dot(ctx().camera.basis[0], glm::vec3(0, 1, 0)), 0.0f, 1e-6f);  // upright

    const float start = pose().distance;
    hold(InputState::kPageDown, 1.0f);  // 5000 km a second away from the Earth
    EXPECT_NEAR(pose().distance, start + 5000000.0f / 6378100.0f, 0.02f);
    hold(InputState::kPageDown, 60.0f);
    EXPECT_NEAR(pose().distance, 10.0f, 1e-5f);
    EXPECT_NEAR(glm::length(ctx().camera.position), 10.0f, 1e-5f);
    hold(InputState::kPageUp, 60.0f);
    EXPECT_NEAR(pose().distance, 1.3f, 1e-5f);

    hold(InputState::kRightBracket, 2.0f);
    EXPECT_NEAR(ctx().rate, 1500.0f, 5.0f);
}

TEST_F(Exploration, AContinueStillHeldOnEntryDoesNotLeaveUntilPressedAnew) {
    // Enter the free camera from a wait in the frame the space bar goes down.
    WaitForInput wait(&free);
    ScriptContext entry(&sats, fromAngles(0, 0, 3).frame, 1000.0f, 0, &wait);
    driver.ctx = &entry;
    driver.key(InputState::kSpace, true);
    driver.frame();
    EXPECT_EQ(entry.current, &free);
    for (int i = 0; i < 30; ++i) driver.frame();
    EXPECT_EQ(entry.current, &free);
    driver.key(InputState::kSpace, false);
    driver.frame();
    EXPECT_EQ(entry.current, &free);
    driver.key(InputState::kSpace, true);
    driver.frame();
    EXPECT_EQ(entry.current, &look);
}

TEST_F(Exploration, SelectDoesNothingWithoutASelectionAndSkipDeselects) {
    driver.tap(InputState::kEnter);
    EXPECT_EQ(ctx().current, &free);
    selection.select(5, ctx());
    driver.tap(InputState::kDelete);
    EXPECT_EQ(selection.current, -1);
    EXPECT_EQ(sats.records[5].color, glm::vec4(1.0f));
    EXPECT_EQ(ctx().current, &free);
}

TEST_F(Exploration, FullLoopLookFlyRideAndReturn) {
    driver.frame();  // continue is up: armed
    // Look at satellite 5 (on +Z) while holding the space bar.
    ctx().gazeOrigin = glm::vec3(0, 0, 3);
    ctx().gazeDirection = glm::vec3(0, 0, -1);
    driver.key(InputState::kSpace, true);
    driver.frame();
    EXPECT_EQ(ctx().current, &look);
    for (int i = 0; i < 40; ++i) driver.frame();
    EXPECT_EQ(selection.current, 5);
    EXPECT_EQ(ctx().rate, 0.0f);
    driver.key(InputState::kSpace, false);
    for (int i = 0; i < 40 && ctx().current != &free; ++i) driver.frame();
    ASSERT_EQ(ctx().current, &free);
    EXPECT_EQ(ctx().rate, 1000.0f);
    EXPECT_EQ(ctx().panels.at(5).details, 1u);

    // Fly to it: time stands still, the orbits fade, the panel goes.
    driver.key(InputState::kEnter, true);
    driver.frame();
    EXPECT_EQ(ctx().current, &stick);
    EXPECT_EQ(ctx().rate, 0.0f);
    EXPECT_EQ(sats.orbitAlpha(), 0.1f);
    EXPECT_TRUE(ctx().panels.empty());
    driver.key(InputState::kEnter, false);
    // From (0, 0, 3) to the satellite at (0, 0, 2): one Earth radius at one radius a second.
    EXPECT_NEAR(stick.progress().duration, 1.0f, 1e-4f);
    driver.tap(InputState::kDelete);  // ignored during the flight
    EXPECT_EQ(ctx().current, &stick);
    for (int i = 0; i < 70 && stick.progress().active; ++i) driver.frame();
    driver.frame();
    EXPECT_EQ(ctx().rate, 1000.0f);  // restored on arrival
    expectVec(ctx().camera.position, {0, 0, 2}, 1e-5f, "riding");
    EXPECT_TRUE(ctx().panels.at(5).nearView);
    EXPECT_EQ(ctx().panels.at(5).details, 1u);

    // Skip: turn upright again (already upright here, so at once) and back to free flight.
    driver.key(InputState::kDelete, true);
    driver.frame();
    driver.key(InputState::kDelete, false);
    EXPECT_EQ(ctx().current, &reorient);
    driver.frame();
    EXPECT_EQ(ctx().current, &free);
    EXPECT_EQ(sats.orbitAlpha(), 1.0f);
    EXPECT_FALSE(ctx().panels.at(5).nearView);
    EXPECT_EQ(ctx().rate, 1000.0f);
    EXPECT_EQ(selection.current, 5);
}

TEST_F(Exploration, FlightToASatelliteThatVanishesGoesStraightOn) {
    selection.select(5, ctx());
    sats.records.erase(5);
    driver.key(InputState::kEnter, true);
    driver.frame();
    driver.key(InputState::kEnter, false);
    EXPECT_EQ(ctx().current, &reorient);  // the flight handed over from its start
    EXPECT_EQ(sats.orbitAlpha(), 1.0f);
    driver.frame();
    EXPECT_EQ(ctx().current, &free);
    sats.add(5, {0, 0, 2}, {1, 0, 0});
    selection.select(8, ctx());
    driver.tap(InputState::kEnter);
    ASSERT_EQ(ctx().current, &stick);
    sats.records.erase(8);  // gone mid-flight: the saved rate is not restored
    driver.frame();
    EXPECT_EQ(ctx().current, &reorient);
    EXPECT_EQ(ctx().rate, 0.0f);
}

TEST_F(Exploration, FlightTakesTheTurnTimeWhenTheRollDominates) {
    // Satellite right below the camera moving along +Y: the ride view is rolled a quarter
    // turn, so the flight lasts (pi/2) / (pi/8) = 4 s although the path is short.
    sats.records[8].position = SatellitePosition{{0, 0, 2.9f}, {0, 1, 0}};
    selection.select(8, ctx());
    driver.tap(InputState::kEnter);
    ASSERT_EQ(ctx().current, &stick);
    EXPECT_NEAR(stick.progress().duration, 4.0f, 1e-4f);
}

TEST_F(Exploration, FlightToTheFarSideAlwaysHasAFiniteDurationAndEnds) {
    // Satellites straight behind the Earth from the camera: nearly opposite directions.
    // At the first four places rounding pushes the half chord of the arc above 1, where
    // the arc length, and with it the flight's duration, used to be a non-number.
    const float places[][2] = {{-0.314999938f, 2.59050012f}, {0.0937999487f, 4.33634043f},
                               {0.534100056f, 0.485130012f}, {-0.0497000217f, 5.41178989f},
                               {0.0f, 0.0f}, {1.2f, 3.0f}, {-1.3f, 6.0f}};
    for (const auto& place : places) {
        const OrbitPose from = fromAngles(place[0], place[1], 3.0f);
        sats.records[8].position = SatellitePosition{-from.frame.position * (2.0f / 3.0f),
                                                     from.frame.basis[0]};
        selection.select(8, ctx());
        ctx().camera = from.frame;
        ctx().current = &stick;
        ASSERT_EQ(stick.start(ctx()), nullptr);
        ASSERT_TRUE(std::isfinite(stick.progress().duration)) << place[0] << " " << place[1];
        EXPECT_NEAR(stick.progress().duration, 1.0f + kPi * 2.5f, 0.01f) << place[0];
        int frames = 0;
        while (stick.progress().active && frames < 2000) {
            driver.frame();
            ASSERT_TRUE(finiteFrame(ctx().camera)) << place[0];
            ++frames;
        }
        EXPECT_FALSE(stick.progress().active) << place[0];
        driver.tap(InputState::kDelete);
        for (int i = 0; i < 1000 && ctx().current != &free; ++i) driver.frame();
        ASSERT_EQ(ctx().current, &free) << place[0];
    }
}

TEST_F(Exploration, ReorientTurnsARolledViewUprightKeepingItsPlace) {
    ctx().camera = lookFromPoint({0, 0, 2}, {0, 1, 0}).frame;  // rolled a quarter turn
    selection.select(5, ctx());
    ctx().current = &reorient;
    reorient.start(ctx());
    EXPECT_EQ(ctx().rate, 0.0f);
    EXPECT_TRUE(ctx().panels.empty());
    EXPECT_NEAR(reorient.progress().duration, 4.0f, 1e-4f);
    int frames = 0;
    while (ctx().current == &reorient && frames < 1000) {
        driver.frame();
        ++frames;
    }
    EXPECT_EQ(ctx().current, &free);
    EXPECT_GE(frames, 240);
    EXPECT_LE(frames, 242);
    expectVec(ctx().camera.position, {0, 0, 2}, 1e-5f, "same place");
    expectVec(ctx().camera.up, {0, 1, 0}, 1e-5f, "upright");
    EXPECT_EQ(ctx().rate, 1000.0f);
    EXPECT_FALSE(ctx().panels.at(5).nearView);
}

}  // namespace
}  // namespace earth
