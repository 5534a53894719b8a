#include "app/InputState.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

namespace earth {
namespace {

constexpr auto P = ControlState::Pressed;
constexpr auto H = ControlState::Held;
constexpr auto U = ControlState::Up;
constexpr int kPress = 1, kRelease = 0, kRepeat = 2;
constexpr int kSpace = 32, kPageUp = 266, kUp = 265, kDown = 264, kRightBracket = 93;

// Controllers that tests plug in, unplug and move at will.
struct FakeJoysticks final : JoystickSource {
    struct Pad {
        std::vector<float> axes = std::vector<float>(6, 0.0f);
        std::vector<unsigned char> buttons = std::vector<unsigned char>(12, 0);
        bool gamepad = false;
    };
    bool present(int slot) override { return pads.count(slot) != 0; }
    JoystickReading poll(int slot) override {
        if (!present(slot)) return {};
        Pad& p = pads[slot];
        return {p.axes.data(), int(p.axes.size()), p.buttons.data(), int(p.buttons.size()), p.gamepad};
    }
    std::map<int, Pad> pads;
};

FrameInput next(InputState& input) { return input.snapshot(0.016f, Ray{}); }

TEST(InputKeys, EachPressCountsInExactlyOneFrame) {
    // Per frame: key events arriving before it, then the continue control the frame reads.
    struct Frame {
        std::vector<int> actions;
        ControlState expected;
    };
    const std::vector<std::vector<Frame>> cases = {
        {{{kPress}, P}, {{}, H}, {{kRepeat}, H}, {{kRelease}, U}},
        {{{kPress, kRelease}, P}, {{}, U}},  // a tap between two frames is not lost
        {{{}, U}, {{kRelease}, U}, {{kRepeat}, H}, {{kRelease}, U}},
        {{{kPress}, P}, {{kRelease, kPress}, P}, {{}, H}},
    };
    for (std::size_t c = 0; c < cases.size(); ++c) {
        InputState input(nullptr);
        for (std::size_t i = 0; i < cases[c].size(); ++i) {
            for (int action : cases[c][i].actions) input.recordKey(kSpace, 0, action, 0);
            const FrameInput in = next(input);
            EXPECT_EQ(in.state(Control::Continue), cases[c][i].expected) << c << ", frame " << i;
            EXPECT_EQ(in.anyPressed, cases[c][i].expected == P) << c << ", frame " << i;
        }
    }
    InputState input(nullptr);
    input.recordKey(-1, 0, kPress, 0);
    input.recordKey(349, 0, kPress, 0);
    EXPECT_FALSE(next(input).anyPressed);
}

TEST(InputAxes, KeysBeatSticksAndSticksHaveADeadZone) {
    FakeJoysticks pads;
    pads.pads[0];
    InputState input(&pads);
    for (const auto& [raw, expected] : {std::pair{0.2f, 0.0f}, {-0.2f, 0.0f}, {0.21f, 0.21f}, {-0.7f, -0.7f}}) {
        pads.pads[0].axes = {0.0f, raw, raw, raw, raw, 0.0f};
        const FrameInput in = next(input);
        EXPECT_EQ(in.zoom, expected);
        EXPECT_EQ(in.rate, expected);
        EXPECT_EQ(in.yaw, expected);
        EXPECT_EQ(in.pitch, -expected) << "stick forward looks up";
    }
    input.recordKey(kPageUp, 0, kPress, 0);
    input.recordKey(kUp, 0, kPress, 0);
    input.recordKey(kDown, 0, kPress, 0);
    input.recordKey(kRightBracket, 0, kPress, 0);
    const FrameInput keys = next(input);
    EXPECT_EQ(keys.zoom, -1.0f);
    EXPECT_EQ(keys.pitch, -1.0f) << "down decides over up";
    EXPECT_EQ(keys.rate, -1.0f);
}

TEST(InputJoysticks, GamepadLayoutMapsRightStickTriggersAndButtonsButNeverTheLight) {
    FakeJoysticks pads;
    auto& pad = pads.pads[0];
    pad.gamepad = true;
    pad.axes = {0.0f, 0.0f, 0.6f, -0.8f, -1.0f, -1.0f};  // triggers at rest
    InputState input(&pads);
    FrameInput in = next(input);
    EXPECT_EQ(in.yaw, 0.6f);
    EXPECT_EQ(in.pitch, 0.8f);
    EXPECT_EQ(in.rate, 0.0f) << "resting triggers leave time alone";
    pad.axes[5] = 1.0f;  // right trigger pulled: faster
    pad.buttons[7] = 1;  // Start
    in = next(input);
    EXPECT_EQ(in.rate, -1.0f);
    EXPECT_EQ(in.state(Control::Pause), P);
    EXPECT_EQ(next(input).state(Control::Pause), H);
    // The light switch is a key alone: no button may toggle it by accident.
    pad.buttons.assign(12, 1);
    EXPECT_FALSE(next(input).isHeld(Control::Light));
    input.recordKey(76, 0, kPress, 0);
    EXPECT_TRUE(next(input).wasPressed(Control::Light));
}

TEST(InputJoysticks, PluggingAndUnpluggingTakesUpAndReleasesControls) {
    FakeJoysticks pads;
    InputState input(&pads);
    EXPECT_TRUE(input.joysticks().empty());
    pads.pads[4].buttons[1] = 1;
    pads.pads[4].axes[1] = -1.0f;
    pads.pads[1];
    FrameInput in = next(input);
    ASSERT_EQ(input.joysticks().size(), 2u);
    EXPECT_EQ(input.joysticks()[0].id, 1) << "slot order";
    EXPECT_EQ(in.state(Control::Skip), P);
    EXPECT_EQ(in.zoom, -1.0f);

    pads.pads.erase(4);
    in = next(input);
    EXPECT_EQ(in.state(Control::Skip), U);
    EXPECT_EQ(in.zoom, 0.0f);
    pads.pads[4].buttons[1] = 1;  // back in with the button still down: a fresh press
    EXPECT_EQ(next(input).state(Control::Skip), P);

    // A presence check that says yes but a poll that gives nothing leaves the keyboard working.
    struct Flaky final : JoystickSource {
        bool present(int slot) override { return slot == 0; }
        JoystickReading poll(int) override { return {}; }
    } flaky;
    InputState keyboard(&flaky);
    keyboard.recordKey(80, 0, kPress, 0);
    EXPECT_EQ(next(keyboard).state(Control::Pause), P);
}

}  // namespace
}  // namespace earth
