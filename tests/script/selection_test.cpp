#include "script/Selection.h"

#include "ScriptFakes.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace earth {
namespace {

using test::FakeSatellites;
using test::makeSatellite;

struct SelectionTest : ::testing::Test {
    SelectionTest() {
        catalogue = {makeSatellite(5, "FIVE"), makeSatellite(7, "SEVEN"), makeSatellite(9, "NINE")};
        sats.add(5, {0, 0, 2}).color = glm::vec4(0.1f, 0.2f, 0.3f, 1.0f);
        sats.records[5].size = 0.02f;
        sats.add(7, {0, 0.5f, 2}).color = glm::vec4(0.4f, 0.5f, 0.6f, 0.3f);
        sats.records[7].size = 0.05f;
        sats.add(9, {0.1f, 0, 2});
    }
    std::vector<Satellite> catalogue;
    FakeSatellites sats;
    ScriptContext ctx{&sats, CameraFrame{}, 1000.0f, 0, nullptr};
    Selection selection{&catalogue};
};

TEST_F(SelectionTest, SelectHighlightsAndANewSelectionRestoresThePreviousLookExactly) {
    selection.select(5, ctx);
    EXPECT_EQ(selection.current, 5);
    EXPECT_EQ(sats.records[5].color, glm::vec4(1, 0, 0, 1));
    EXPECT_FLOAT_EQ(sats.records[5].size, 0.06f);
    ASSERT_EQ(ctx.panels.count(5), 1u);
    EXPECT_EQ(ctx.panels.at(5).details, 0u);
    EXPECT_FALSE(ctx.panels.at(5).nearView);
    // The same number again changes nothing: the saved look is not the red.
    const int colorCalls = sats.colorCalls;
    selection.select(5, ctx);
    EXPECT_EQ(sats.colorCalls, colorCalls);
    EXPECT_EQ(selection.savedColor, glm::vec4(0.1f, 0.2f, 0.3f, 1.0f));
    EXPECT_EQ(selection.savedSize, 0.02f);

    selection.select(7, ctx);
    EXPECT_EQ(sats.records[5].color, glm::vec4(0.1f, 0.2f, 0.3f, 1.0f));
    EXPECT_EQ(sats.records[5].size, 0.02f);
    EXPECT_EQ(ctx.panels.count(5), 0u);
    EXPECT_EQ(sats.records[7].color, glm::vec4(1, 0, 0, 1));
    EXPECT_FLOAT_EQ(sats.records[7].size, 0.15f);
    EXPECT_EQ(ctx.panels.count(7), 1u);
    selection.deselect(ctx);
    EXPECT_EQ(sats.records[7].color, glm::vec4(0.4f, 0.5f, 0.6f, 0.3f));
    EXPECT_EQ(sats.records[7].size, 0.05f);
    EXPECT_TRUE(ctx.panels.empty());
    EXPECT_EQ(selection.current, -1);
}

TEST_F(SelectionTest, ConfirmAndDropPanel) {
    selection.confirm(ctx, true);  // nothing selected: nothing happens
    EXPECT_TRUE(ctx.panels.empty());
    selection.select(9, ctx);
    selection.confirm(ctx, true);
    ASSERT_EQ(ctx.panels.count(9), 1u);
    EXPECT_EQ(ctx.panels.at(9).details, 1u);
    EXPECT_TRUE(ctx.panels.at(9).nearView);
    selection.confirm(ctx, false);
    EXPECT_FALSE(ctx.panels.at(9).nearView);
    selection.dropPanel(ctx);
    EXPECT_TRUE(ctx.panels.empty());
    EXPECT_EQ(selection.current, 9);
    EXPECT_EQ(sats.records[9].color, glm::vec4(1, 0, 0, 1));  // still highlighted
}

TEST_F(SelectionTest, ANumberTheCatalogueLacksIsAnErrorAndOneTheRendererLacksSavesZeros) {
    sats.add(11);
    try {
        selection.select(11, ctx);
        FAIL() << "expected an error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Invalid satellite");
    }
    EXPECT_TRUE(ctx.panels.empty());
    EXPECT_EQ(sats.records[11].color, glm::vec4(1.0f));

    catalogue.push_back(makeSatellite(12, "TWELVE"));
    selection.select(12, ctx);
    EXPECT_EQ(selection.savedColor, glm::vec4(0.0f));
    EXPECT_EQ(selection.savedSize, 0.0f);
}

TEST_F(SelectionTest, HoverLabelsFollowThePointerAndLeaveTheSelectionsPanelAlone) {
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

// The look: time halts over half a second, the gaze selects while continue is held,
// release confirms and time comes back over half a second.
struct LookTest : SelectionTest {
    LookTest() {
        look.start(ctx);
    }
    // Steps of 1/8 s, exact in binary: the half-second ramps take four steps.
    void frame(bool spaceDown, float dt = 0.125f) {
        ctx.input = spaceDown ? test::input(dt, {}, {Control::Continue}) : test::input(dt);
        ctx.input.gaze = gaze;
        result = look.update(dt, ctx);
    }
    test::ProbeElement after{"after"};
    SelectWithLookElement look{&selection, &after};
    IScriptElement* result = nullptr;
    Ray gaze{{0, 0, 6}, {0, 0, -1}};
};

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
    EXPECT_EQ(look.phase(), 1);
    EXPECT_EQ(selection.current, 5);  // on the line of sight
    EXPECT_EQ(ctx.panels.at(5).details, 0u);

    gaze.direction = glm::normalize(glm::vec3(0, 0.5f, -4));  // towards 7
    frame(true);
    EXPECT_EQ(selection.current, 7);
    EXPECT_EQ(sats.records[5].color, glm::vec4(0.1f, 0.2f, 0.3f, 1.0f));

    frame(false);  // released: confirm and speed up
    EXPECT_EQ(look.phase(), 2);
    EXPECT_EQ(ctx.panels.at(7).details, 1u);
    EXPECT_FALSE(ctx.panels.at(7).nearView);
    EXPECT_EQ(ctx.rate, 0.0f);
    EXPECT_EQ(result, nullptr);
    int frames = 0;
    while (result == nullptr && frames < 20) {
        frame(false);
        ++frames;
    }
    EXPECT_EQ(result, &after);
    EXPECT_EQ(frames, 4);
    EXPECT_EQ(ctx.rate, 1000.0f);
    EXPECT_EQ(selection.current, 7);
}

TEST_F(LookTest, EmptySkyLeavesNothingSelectedAndStillRestoresTime) {
    selection.select(9, ctx);
    gaze.direction = glm::vec3(0, 0, 1);  // away from everything
    for (int i = 0; i < 8; ++i) frame(true);
    EXPECT_EQ(selection.current, -1);
    EXPECT_TRUE(ctx.panels.empty());
    EXPECT_EQ(sats.records[9].color, glm::vec4(1.0f));  // given back
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

TEST_F(LookTest, StartedWhilePausedSlowsFromZeroAndReturnsToZero) {
    ctx.paused = true;
    look.start(ctx);
    ctx.paused = false;  // updates only run unpaused; the saved rate is what counts
    for (int i = 0; i < 20 && result == nullptr; ++i) {
        frame(false);
        EXPECT_EQ(ctx.rate, 0.0f);
    }
    EXPECT_EQ(result, &after);
}

}  // namespace
}  // namespace earth
