#include "script/InputState.h"

#include "ScriptFakes.h"

#include <gtest/gtest.h>

namespace earth {
namespace {

using test::FakeJoysticks;
constexpr auto P = ControlState::Pressed;
constexpr auto H = ControlState::Held;
constexpr auto U = ControlState::Up;

constexpr int kPress = 1;
constexpr int kRelease = 0;
constexpr int kRepeat = 2;

TEST(InputKeys, SequencesThroughPressedHeldUp) {
    // Per frame: key events arriving before the frame, then the state one query sees.
    struct Frame {
        std::vector<int> actions;
        ControlState expected;
    };
    struct Case {
        const char* name;
        std::vector<Frame> frames;
    };
    const Case cases[] = {
        {"tap held over frames", {{{kPress}, P}, {{}, H}, {{kRepeat}, H}, {{}, H}, {{kRelease}, U}}},
        {"press and release between frames", {{{kPress, kRelease}, P}, {{}, U}}},
        {"never pressed", {{{}, U}, {{kRelease}, U}}},
        {"second press after release", {{{kPress}, P}, {{kRelease}, U}, {{kPress}, P}, {{}, H}}},
        {"repeat alone reads held", {{{kRepeat}, H}, {{kRelease}, U}}},
    };
    for (const Case& c : cases) {
        InputState input(nullptr);
        for (std::size_t i = 0; i < c.frames.size(); ++i) {
            for (int action : c.frames[i].actions) {
                input.recordKey(InputState::kSpace, 0, action, 0);
            }
            input.update(1.0f / 60.0f);
            EXPECT_EQ(input.continueControl(), c.frames[i].expected) << c.name << ", frame " << i;
        }
    }
}

TEST(InputKeys, PressesAreSeenByEveryQueryOfTheFrameAndKeptUntilAsked) {
    InputState input(nullptr);
    EXPECT_FALSE(input.update(0.016f));
    input.recordKey(InputState::kDelete, 0, kPress, 0);
    EXPECT_TRUE(input.update(0.016f));  // any new press is reported once
    EXPECT_EQ(input.skipControl(), P);
    EXPECT_EQ(input.skipControl(), P);
    EXPECT_EQ(input.key(InputState::kDelete), P);
    EXPECT_FALSE(input.update(0.016f));  // still held, but not a new press
    EXPECT_EQ(input.skipControl(), H);

    // A press and release nobody asked about stays pending until first queried.
    input.recordKey(InputState::kEnter, 0, kPress, 0);
    input.recordKey(InputState::kEnter, 0, kRelease, 0);
    for (int frame = 0; frame < 600; ++frame) input.update(0.016f);
    EXPECT_EQ(input.selectControl(), P);
    input.update(0.016f);
    EXPECT_EQ(input.selectControl(), U);

    // Codes outside the table change nothing; the last one inside does.
    input.recordKey(-1, 0, kPress, 0);
    input.recordKey(348, 0, kPress, 0);
    EXPECT_FALSE(input.update(0.016f));
    EXPECT_EQ(input.key(-1), U);
    EXPECT_EQ(input.key(348), U);
    input.recordKey(347, 0, kPress, 0);
    EXPECT_TRUE(input.update(0.016f));
    EXPECT_EQ(input.key(347), P);
}

TEST(InputAxes, KeysDecideInTheirOrder) {
    struct Case {
        std::vector<int> held;
        float pitch, yaw, zoom, rate;
    };
    using I = InputState;
    const Case cases[] = {
        {{}, 0, 0, 0, 0},
        {{I::kUp}, 1, 0, 0, 0},
        {{I::kDown, I::kUp}, -1, 0, 0, 0},  // the first key wins
        {{I::kLeft}, 0, -1, 0, 0},
        {{I::kRight}, 0, 1, 0, 0},
        {{I::kPageUp}, 0, 0, -1, 0},
        {{I::kPageDown}, 0, 0, 1, 0},
        {{I::kLeftBracket}, 0, 0, 0, 1},
        {{I::kRightBracket}, 0, 0, 0, -1},
        {{I::kLeftBracket, I::kRightBracket}, 0, 0, 0, 1},
    };
    for (const Case& c : cases) {
        InputState input(nullptr);
        for (int key : c.held) input.recordKey(key, 0, kPress, 0);
        input.update(0.016f);
        EXPECT_EQ(input.pitchAxis(), c.pitch);
        EXPECT_EQ(input.yawAxis(), c.yaw);
        EXPECT_EQ(input.zoomAxis(), c.zoom);
        EXPECT_EQ(input.rateAxis(), c.rate);
    }
}

// One controller in slot 0, at rest.
struct OnePad : ::testing::Test {
    OnePad() { pads.pads[0]; }
    FakeJoysticks pads;
    InputState input{&pads};
};

TEST_F(OnePad, JoystickAxesHaveADeadZoneAndPitchIsInverted) {
    struct Case {
        float raw;
        float expected;
    };
    const Case cases[] = {{0.2f, 0.0f}, {-0.2f, 0.0f}, {0.21f, 0.21f}, {-0.7f, -0.7f}, {1.0f, 1.0f}};
    for (const Case& c : cases) {
        pads.pads[0].axes = {0.0f, c.raw, c.raw, c.raw, c.raw, 0.0f};
        input.update(0.016f);
        EXPECT_EQ(input.zoomAxis(), c.expected);
        EXPECT_EQ(input.rateAxis(), c.expected);
        EXPECT_EQ(input.yawAxis(), c.expected);
        EXPECT_EQ(input.pitchAxis(), -c.expected);
    }
    // A held key overrides the stick.
    input.recordKey(InputState::kPageUp, 0, kPress, 0);
    input.update(0.016f);
    EXPECT_EQ(input.zoomAxis(), -1.0f);
    // Axes the controller does not have read 0.
    pads.pads[0].axes = {0.9f};
    input.update(0.016f);
    EXPECT_EQ(input.yawAxis(), 0.0f);
    EXPECT_EQ(input.axis(-1), 0.0f);
}

TEST_F(OnePad, ButtonSequencesKeyPrecedenceAndUnqueriedPresses) {
    // Per frame: button 0 down?, space key action (-1 none), expected continue control.
    struct Frame {
        bool down;
        int key;
        ControlState expected;
    };
    const Frame frames[] = {
        {false, -1, U}, {true, -1, P}, {true, -1, H}, {true, -1, H}, {false, -1, U},
        {true, -1, P},  {true, kPress, P},  // the key answers first
        {true, -1, H},  {false, kRelease, U},
    };
    for (std::size_t i = 0; i < std::size(frames); ++i) {
        pads.pads[0].buttons[0] = frames[i].down ? 1 : 0;
        if (frames[i].key >= 0) input.recordKey(InputState::kSpace, 0, frames[i].key, 0);
        input.update(0.016f);
        EXPECT_EQ(input.continueControl(), frames[i].expected) << "frame " << i;
    }
    // A button press is seen even if nobody asked in the frame it went down.
    pads.pads[0].buttons[2] = 1;
    input.update(0.016f);
    input.update(0.016f);
    EXPECT_EQ(input.selectControl(), P);
    input.update(0.016f);
    EXPECT_EQ(input.selectControl(), H);
}

TEST_F(OnePad, EachNamedControlReadsItsButton) {
    struct Case {
        int button;
        ControlState (InputState::*control)();
    };
    const Case cases[] = {{0, &InputState::continueControl}, {1, &InputState::skipControl},
                          {2, &InputState::selectControl},   {7, &InputState::pauseControl},
                          {6, &InputState::recenterControl}};
    for (const Case& c : cases) {
        pads.pads[0].buttons.assign(12, 0);
        pads.pads[0].buttons[c.button] = 1;
        EXPECT_TRUE(input.update(0.016f));
        for (const Case& other : cases) {
            EXPECT_EQ((input.*other.control)(), other.button == c.button ? P : U)
                << "button " << c.button;
        }
    }
    EXPECT_EQ(input.button(40), U);
    EXPECT_EQ(input.button(-1), U);
}

TEST(InputJoysticks, ControllersPluggedInLaterAreTakenUpInSlotOrder) {
    FakeJoysticks pads;
    InputState input(&pads);
    input.update(0.016f);
    EXPECT_TRUE(input.joysticks().empty());
    EXPECT_EQ(input.continueControl(), U);

    pads.pads[4].buttons[0] = 1;
    pads.pads[4].axes[4] = 0.8f;
    EXPECT_TRUE(input.update(0.016f));
    ASSERT_EQ(input.joysticks().size(), 1u);
    EXPECT_EQ(input.joysticks()[0].id, 4);
    EXPECT_EQ(input.continueControl(), P);
    EXPECT_EQ(input.yawAxis(), 0.8f);

    // A second one in a lower slot comes first in the list.
    pads.pads[1];
    input.update(0.016f);
    ASSERT_EQ(input.joysticks().size(), 2u);
    EXPECT_EQ(input.joysticks()[0].id, 1);
    EXPECT_EQ(input.joysticks()[1].id, 4);
    EXPECT_EQ(input.continueControl(), H);  // pad 4's button is still held

    // The first controller outside the dead zone decides an axis.
    pads.pads[2].axes = {0, 0.1f, 0, 0, 0, 0};
    pads.pads[5].axes = {0, 0.5f, 0, 0, 0, 0};
    pads.pads[9].axes = {0, -0.9f, 0, 0, 0, 0};
    input.update(0.016f);
    EXPECT_EQ(input.zoomAxis(), 0.5f);
}

TEST(InputJoysticks, AControllerUnpluggedMidRunReleasesItsControls) {
    FakeJoysticks pads;
    pads.pads[0].buttons[1] = 1;
    pads.pads[0].axes[1] = -1.0f;
    InputState input(&pads);
    input.update(0.016f);
    EXPECT_EQ(input.skipControl(), P);
    input.update(0.016f);
    EXPECT_EQ(input.skipControl(), H);
    EXPECT_EQ(input.zoomAxis(), -1.0f);

    pads.pads.erase(0);
    EXPECT_FALSE(input.update(0.016f));
    EXPECT_TRUE(input.joysticks().empty());
    EXPECT_EQ(input.skipControl(), U);
    EXPECT_EQ(input.zoomAxis(), 0.0f);

    // Plugged back in with the button still down: a fresh press.
    pads.pads[0].buttons[1] = 1;
    input.update(0.016f);
    EXPECT_EQ(input.skipControl(), P);
}

TEST(InputJoysticks, SourcesThatGiveNoReadingsLeaveTheKeyboardInCharge) {
    // The presence check says yes but the poll returns no arrays.
    struct Flaky final : JoystickSource {
        bool present(int slot) override { return slot == 0; }
        JoystickReading poll(int) override { return {}; }
    } flaky;
    GlfwJoysticks glfw;  // no window system here: no joystick in any slot
    for (JoystickSource* source : std::initializer_list<JoystickSource*>{&flaky, &glfw}) {
        InputState input(source);
        input.recordKey(InputState::kP, 0, kPress, 0);
        EXPECT_TRUE(input.update(0.016f));
        EXPECT_EQ(input.pauseControl(), P);
        EXPECT_EQ(input.continueControl(), U);
        EXPECT_EQ(input.zoomAxis(), 0.0f);
    }
    InputState input(&glfw);
    input.update(0.016f);
    EXPECT_TRUE(input.joysticks().empty());
}

TEST(InputRate, RateControlRaisesAndLowersFromTheEffectiveRate) {
    ScriptContext ctx(nullptr, CameraFrame{}, 1000.0f, 0, nullptr);
    InputState input(nullptr);
    input.update(0.5f);
    applyRateControl(input, 0.5f, ctx);
    EXPECT_EQ(ctx.rate, 1000.0f);

    input.recordKey(InputState::kRightBracket, 0, kPress, 0);
    input.update(0.5f);
    applyRateControl(input, 0.5f, ctx);
    EXPECT_EQ(ctx.rate, 1125.0f);

    input.recordKey(InputState::kRightBracket, 0, kRelease, 0);
    input.recordKey(InputState::kLeftBracket, 0, kPress, 0);
    for (int i = 0; i < 10; ++i) {
        input.update(1.0f);
        applyRateControl(input, 1.0f, ctx);
    }
    EXPECT_EQ(ctx.rate, -1375.0f);  // no lower bound: time may run backwards

    ctx.togglePause();
    input.update(1.0f);
    applyRateControl(input, 1.0f, ctx);
    EXPECT_EQ(ctx.rate, -250.0f);  // from the effective rate, 0 while paused
}

}  // namespace
}  // namespace earth
