#include "script/CameraElements.h"

#include "ScriptFakes.h"
#include "script/ScriptElements.h"
#include "script/Selection.h"

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include <cmath>

// Timed moves to fixed poses and onto satellites, their end poses and lengths are rows of the
// tour's table; pausing any step is checked through SetRate.

namespace earth {
namespace {

using test::expectVec;
using test::finiteFrame;
using test::input;

constexpr float kPi = 3.14159265f;
constexpr float kDt = 1.0f / 60.0f;
const float kScale = 1.0f / 6378100.0f;

TEST(TransitionToSatellite, WaitsForTheSatelliteThenFollowsAndRidesIt) {
    test::FakeSatellites sats;
    StickToSatellite ride(42);
    TransitionToSatellite fly(42, 1.0f, &ride);
    ScriptContext ctx(&sats, fromAngles(0, 0, 3).frame, 1.0f, 0, &fly);
    for (int i = 0; i < 120; ++i) ctx.update(input(kDt));  // not found yet: the flight waits
    expectVec(ctx.camera.position, {0, 0, 3}, 0.0f, "waiting");
    glm::vec3 at, motion;
    for (float angle = 0.0f; angle < 2.0f && ctx.current == &fly; angle += 0.01f) {
        at = {2 * std::sin(angle), 0, 2 * std::cos(angle)};  // it moves; the flight follows it
        motion = {std::cos(angle), 0, -std::sin(angle)};
        sats.add(42, at, motion);
        ctx.update(input(kDt));
    }
    expectVec(ctx.camera.position, at, 1e-5f, "arrived where the satellite is now");
    expectVec(ctx.camera.up, lookFromPoint(at, motion).frame.up, 1e-5f, "in the ride's view");
    sats.add(42, {0, 3, 0}, {0, 0, 1});
    ctx.update(input(kDt));
    EXPECT_EQ(ctx.current, &ride) << "riding never hands over";
    expectVec(ctx.camera.position, {0, 3, 0}, 1e-6f, "on the satellite");
    expectVec(ctx.camera.forward, {0, -1, 0}, 1e-6f, "looking down");
    expectVec(ctx.camera.basis[0], {0, 0, 1}, 1e-6f, "motion to the right");
}

ControlSet only(Control c) { return ControlSet().set(static_cast<std::size_t>(c)); }

// The free-exploration loop wired as the builder wires it, driven by held controls.
struct Exploration : ::testing::Test {
    Exploration() { sats.add(5, {0, 0, 2}); sats.add(8, {0, 2, 0}); }  // both moving along +X
    const OrbitPose& pose() const { return free.controller().pose; }

    // One frame with `down` held (pressed where it was not held the frame before).
    void frame(ControlSet down = {}) {
        FrameInput in = input(kDt);
        in.held = down, in.pressed = down & ~previous, previous = down;
        in.pitch = pitch, in.yaw = yaw, in.zoom = zoom, in.rate = rate, in.gaze = gaze;
        ctx.update(in);
    }
    void tap(Control c) { frame(only(c)); frame(); }
    void steer(float& axis, float value, float seconds) {
        axis = value;
        for (int i = 0; i < static_cast<int>(std::lround(seconds / kDt)); ++i) frame();
        axis = 0.0f;
    }

    std::vector<Satellite> catalogue{test::makeSatellite(5, "FIVE"), test::makeSatellite(8, "EIGHT")};
    test::FakeSatellites sats;
    Selection selection{&catalogue};
    FreeCameraElement free{&selection, &kScale, &look, &stick};
    SelectWithLookElement look{&selection, &free};
    StickToSelection stick{&selection, 1.0f, kPi / 8, &reorient};
    ReorientToFixedCamera reorient{&selection, kPi / 8, &free};
    ScriptContext ctx{&sats, fromAngles(0, 0, 3).frame, 1000.0f, 0, &free};
    ControlSet previous;
    float pitch = 0, yaw = 0, zoom = 0, rate = 0;
    Ray gaze;
};

TEST_F(Exploration, AxesTurnZoomAndChangeTheRateWithinTheirLimits) {
    const OrbitController& c = free.controller();
    steer(pitch, -1.0f, 10.0f);  // stops just short of the pole, where the view would flip
    EXPECT_EQ(pose().elevation, -OrbitController::kMaxElevation);
    EXPECT_TRUE(finiteFrame(ctx.camera));
    steer(yaw, -1.0f, 1.0f);
    EXPECT_NEAR(pose().azimuth, (1.0f - c.turnRate) * 2 * kPi, 2e-3f);  // wrapped into 0..2pi
    const float start = pose().distance;
    steer(zoom, 1.0f, 1.0f);
    EXPECT_NEAR(pose().distance, start + c.zoomRate * kScale, 0.02f);
    steer(zoom, 1.0f, 60.0f);
    EXPECT_NEAR(pose().distance, c.maxDistance * kScale, 1e-5f);
    steer(zoom, -1.0f, 60.0f);
    EXPECT_NEAR(pose().distance, c.minDistance * kScale, 1e-5f);
    steer(rate, 1.0f, 14.0f);  // 250 simulated seconds a second slower, each second
    EXPECT_NEAR(ctx.rate, 1000.0f - 14 * 250.0f, 10.0f) << "no lower bound: time may run backwards";
}

TEST_F(Exploration, NoPressActsTwiceAcrossAHandOver) {
    // Entered from a wait in the frame Space goes down, with Enter and Delete pressed too:
    // the wait takes the Space; the free camera must neither start looking nor react to the
    // others, and only a new press of Space, after its release, starts the look.
    WaitForInput wait(&free);
    ScriptContext entry(&sats, fromAngles(0, 0, 3).frame, 1000.0f, 0, &wait);
    selection.select(5, entry);
    entry.update(input(kDt, {Control::Continue, Control::Select, Control::Skip}));
    EXPECT_EQ(entry.current, &free);
    EXPECT_EQ(selection.current, 5) << "Delete of the wait's frame kept";
    for (int i = 0; i < 30; ++i) entry.update(input(kDt, {}, {Control::Continue}));
    EXPECT_EQ(entry.current, &free) << "a held Space is not a new press";
    entry.update(input(kDt));
    entry.update(input(kDt, {Control::Continue}));
    EXPECT_EQ(entry.current, &look);
}

TEST_F(Exploration, FullLoopLookFlyRideAndReturn) {
    tap(Control::Select);
    EXPECT_EQ(ctx.current, &free) << "nothing to fly to";
    // Look at satellite 5 (on +Z) while holding the space bar.
    gaze = Ray{{0, 0, 3}, {0, 0, -1}};
    frame(only(Control::Continue));
    EXPECT_EQ(ctx.current, &look);
    for (int i = 0; i < 40; ++i) frame(only(Control::Continue));
    EXPECT_EQ(selection.current, 5);
    EXPECT_EQ(ctx.rate, 0.0f);
    for (int i = 0; i < 40 && ctx.current != &free; ++i) frame();
    ASSERT_EQ(ctx.current, &free);
    EXPECT_EQ(ctx.rate, 1000.0f);
    EXPECT_EQ(ctx.panels.at(5).details, 1u);

    // Fly to it: time stands still, the orbits fade, the panel goes.
    tap(Control::Select);
    EXPECT_EQ(ctx.current, &stick);
    EXPECT_EQ(ctx.rate, 0.0f);
    EXPECT_EQ(sats.orbitAlpha(), 0.1f);
    EXPECT_TRUE(ctx.panels.empty());
    // From (0, 0, 3) to the satellite at (0, 0, 2): one Earth radius at one radius a second.
    EXPECT_NEAR(stick.progress().duration, 1.0f, 1e-4f);
    tap(Control::Skip);  // ignored during the flight
    EXPECT_EQ(ctx.current, &stick);
    for (int i = 0; i < 70 && stick.progress().active; ++i) frame();
    frame();
    EXPECT_EQ(ctx.rate, 1000.0f);  // restored on arrival
    expectVec(ctx.camera.position, {0, 0, 2}, 1e-5f, "riding");
    EXPECT_TRUE(ctx.panels.at(5).nearView);

    // Skip: turn upright again (already upright here, so at once) and back to free flight.
    tap(Control::Skip);
    EXPECT_EQ(ctx.current, &free);
    EXPECT_EQ(sats.orbitAlpha(), 1.0f);
    EXPECT_FALSE(ctx.panels.at(5).nearView);
    EXPECT_EQ(selection.current, 5);
    tap(Control::Skip);
    EXPECT_EQ(selection.current, -1) << "skip in free flight deselects";
    EXPECT_EQ(sats.records[5].color, glm::vec4(1.0f));
}

TEST_F(Exploration, ARolledRideTakesTheTurnTimeThereAndBackToAnUprightView) {
    // Below the camera moving along +Y: the ride view is rolled a quarter turn, so the
    // flight lasts (pi/2) / (pi/8) = 4 s although the path is short, and so does the turn
    // back upright, which keeps the camera's place.
    sats.add(8, {0, 0, 2.9f}, {0, 1, 0});
    selection.select(8, ctx);
    tap(Control::Select);
    ASSERT_EQ(ctx.current, &stick);
    EXPECT_NEAR(stick.progress().duration, 4.0f, 1e-4f);
    for (int i = 0; i < 300 && stick.progress().active; ++i) frame();
    tap(Control::Skip);
    ASSERT_EQ(ctx.current, &reorient);
    EXPECT_EQ(ctx.rate, 0.0f);
    EXPECT_NEAR(reorient.progress().duration, 4.0f, 1e-4f);
    for (int i = 0; i < 300 && ctx.current == &reorient; ++i) frame();
    expectVec(ctx.camera.position, {0, 0, 2.9f}, 1e-5f, "same place");
    expectVec(ctx.camera.up, {0, 1, 0}, 1e-5f, "upright");
    EXPECT_EQ(ctx.rate, 1000.0f);
}

TEST_F(Exploration, FlightToASatelliteThatVanishesGoesStraightOn) {
    selection.select(5, ctx);
    sats.records.erase(5);
    tap(Control::Select);
    EXPECT_EQ(ctx.current, &free) << "the flight handed over from its start";
    EXPECT_EQ(sats.orbitAlpha(), 1.0f);
    selection.select(8, ctx);
    frame(only(Control::Select));
    ASSERT_EQ(ctx.current, &stick);
    sats.records.erase(8);  // gone mid-flight: the saved rate is not restored
    frame();
    EXPECT_EQ(ctx.current, &reorient);
    EXPECT_EQ(ctx.rate, 0.0f);
}

TEST_F(Exploration, FlightToTheFarSideHasAFiniteDuration) {
    // Straight behind the Earth: at the first four places rounding pushed the half chord of
    // the arc above 1, where the duration used to be a non-number.
    const float places[][2] = {{-0.314999938f, 2.59050012f}, {0.0937999487f, 4.33634043f},
                               {0.534100056f, 0.485130012f}, {-0.0497000217f, 5.41178989f},
                               {0.0f, 0.0f}, {-1.3f, 6.0f}};
    selection.select(8, ctx);
    for (const auto& place : places) {
        const OrbitPose from = fromAngles(place[0], place[1], 3.0f);
        sats.add(8, -from.frame.position * (2.0f / 3.0f), from.frame.basis[0]);
        ctx.camera = from.frame;
        ctx.current = &stick;
        ASSERT_EQ(stick.start(ctx), nullptr);
        EXPECT_NEAR(stick.progress().duration, 1.0f + kPi * 2.5f, 0.01f) << place[0];
        for (int i = 0; i < 2000 && stick.progress().active; ++i) {
            frame();
            ASSERT_TRUE(finiteFrame(ctx.camera)) << place[0];
        }
        EXPECT_FALSE(stick.progress().active) << place[0];
    }
}

}  // namespace
}  // namespace earth
