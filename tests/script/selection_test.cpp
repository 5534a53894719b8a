#include "script/Selection.h"

#include "ScriptFakes.h"

#include <gtest/gtest.h>

namespace earth {
namespace {

using test::makeSatellite;

// The look: time halts over half a second, the gaze selects while continue is held,
// release confirms and time comes back over half a second.
struct LookTest : ::testing::Test {
    LookTest() {
        sats.add(5, {0, 0, 2}).color = glm::vec4(0.1f, 0.2f, 0.3f, 1.0f);
        sats.records[5].size = 0.02f;
        sats.add(7, {0, 0.5f, 2});
        sats.add(9, {0.1f, 0, 2});
        look.start(ctx);
    }
    // Steps of 1/8 s, exact in binary: the half-second ramps take four steps.
    void frame(bool spaceDown, float dt = 0.125f) {
        ctx.input = spaceDown ? test::input(dt, {}, {Control::Continue}) : test::input(dt);
        ctx.input.gaze = gaze;
        result = look.update(dt, ctx);
    }
    std::vector<Satellite> catalogue{makeSatellite(5, "FIVE"), makeSatellite(7, "SEVEN"), makeSatellite(9, "NINE")};
    test::FakeSatellites sats;
    ScriptContext ctx{&sats, CameraFrame{}, 1000.0f, 0, nullptr};
    Selection selection{&catalogue};
    test::ProbeElement after{"after"};
    SelectWithLookElement look{&selection, &after};
    IScriptElement* result = nullptr;
    Ray gaze{{0, 0, 6}, {0, 0, -1}};
};

TEST_F(LookTest, HoverLabelsFollowThePointerAndLeaveTheSelectionsPanelAlone) {
    selection.hover(5, ctx);
    EXPECT_EQ(ctx.panels.at(5).details, 0u);
    selection.hover(7, ctx);
    EXPECT_EQ(ctx.panels.count(5), 0u) << "the old label goes";
    selection.select(9, ctx);
    selection.confirm(ctx, false);
    selection.hover(9, ctx);
    selection.hover(-1, ctx);
    EXPECT_EQ(ctx.panels.count(7), 0u);
    EXPECT_EQ(ctx.panels.at(9).details, 1u) << "the selection keeps its full panel";
    selection.hover(40, ctx);
    EXPECT_EQ(ctx.panels.count(40), 0u) << "not in the catalogue: no label";
}

TEST_F(LookTest, HaltsTimeSelectsWhileHeldAndRestoresTimeOnRelease) {
    frame(true);
    EXPECT_EQ(ctx.rate, 1000.0f);
    for (int i = 0; i < 3; ++i) {
        frame(true);
        EXPECT_GT(ctx.rate, 0.0f);
        EXPECT_EQ(selection.current, -1);  // nothing picked while slowing down
    }
    frame(true);  // half a second passed: halted, and picking starts in the same update
    EXPECT_EQ(ctx.rate, 0.0f);
    EXPECT_EQ(selection.current, 5);  // on the line of sight
    EXPECT_EQ(sats.records[5].color, glm::vec4(1, 0, 0, 1));  // highlighted: red, three times the size
    EXPECT_FLOAT_EQ(sats.records[5].size, 0.06f);

    // Picked again every update while held: a new pick gives the previous one its own look back.
    gaze.direction = glm::normalize(glm::vec3(0, 0.5f, -4));  // towards 7
    frame(true);
    EXPECT_EQ(selection.current, 7);
    EXPECT_EQ(sats.records[5].color, glm::vec4(0.1f, 0.2f, 0.3f, 1.0f));
    EXPECT_EQ(sats.records[5].size, 0.02f);
    EXPECT_EQ(ctx.panels.count(5), 0u);

    frame(false);  // released: confirm and speed up
    EXPECT_EQ(ctx.panels.at(7).details, 1u);
    EXPECT_FALSE(ctx.panels.at(7).nearView);
    EXPECT_EQ(ctx.rate, 0.0f);
    int frames = 0;
    for (; result == nullptr && frames < 20; ++frames) frame(false);
    EXPECT_EQ(result, &after);
    EXPECT_EQ(frames, 4);
    EXPECT_EQ(ctx.rate, 1000.0f);
    EXPECT_EQ(selection.current, 7);
}

TEST_F(LookTest, SkipWhileTimeComesBackClearsTheSelection) {
    for (int i = 0; i < 5; ++i) frame(true);
    frame(false);
    ASSERT_EQ(selection.current, 5);
    ctx.input = test::input(0.125f, {Control::Skip});
    result = look.update(0.125f, ctx);
    EXPECT_EQ(selection.current, -1) << "a press lasts one frame: the look must take it";
    EXPECT_TRUE(ctx.panels.empty());
}

TEST_F(LookTest, EmptySkyLeavesNothingSelectedAndStillRestoresTime) {
    selection.select(9, ctx);
    gaze.direction = glm::vec3(0, 0, 1);  // away from everything
    for (int i = 0; i < 8; ++i) frame(true);
    EXPECT_EQ(selection.current, -1);
    EXPECT_TRUE(ctx.panels.empty());
    EXPECT_EQ(sats.records[9].color, glm::vec4(1.0f));  // given back
    EXPECT_EQ(sats.records[9].size, 0.01f);
    for (int i = 0; i < 10 && result == nullptr; ++i) frame(false);
    EXPECT_EQ(result, &after);
    EXPECT_EQ(ctx.rate, 1000.0f);
    EXPECT_TRUE(ctx.panels.empty());
}

TEST_F(LookTest, HiddenSatellitesAndThoseBehindTheViewerAreNeverPicked) {
    gaze.origin = glm::vec3(0, 0, 1);  // between the Earth and the satellites at z = 2
    for (int i = 0; i < 8; ++i) frame(true);
    EXPECT_EQ(selection.current, -1);
    gaze.direction = glm::vec3(0, 0, 1);  // turn round: now they are in front
    frame(true);
    EXPECT_EQ(selection.current, 5);
    sats.setVisible({7});  // 5 lies on the line but is hidden
    frame(true);
    EXPECT_EQ(selection.current, 7);
}

TEST_F(LookTest, AQuickTapStillHaltsAndRestoresTime) {
    // Pressed and released before the halt: one pick, then confirm and back.
    frame(true);
    for (int i = 0; i < 30 && result == nullptr; ++i) frame(false);
    EXPECT_EQ(result, &after);
    EXPECT_EQ(ctx.rate, 1000.0f);
    EXPECT_EQ(selection.current, 5);
    EXPECT_EQ(ctx.panels.at(5).details, 1u);
}

}  // namespace
}  // namespace earth
