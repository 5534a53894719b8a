#include "app/InputState.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <iterator>
#include <cmath>

namespace earth {
namespace {

// Key codes of the window system (GLFW 3) for the steering axes.
constexpr int kLeftBracket = 91;
constexpr int kRightBracket = 93;
constexpr int kRight = 262;
constexpr int kLeft = 263;
constexpr int kDown = 264;
constexpr int kUp = 265;
constexpr int kPageUp = 266;
constexpr int kPageDown = 267;

}  // namespace

bool GlfwJoysticks::present(int slot) { return glfwJoystickPresent(GLFW_JOYSTICK_1 + slot) == GLFW_TRUE; }

JoystickReading GlfwJoysticks::poll(int slot) {
    JoystickReading r;
    GLFWgamepadstate state;
    if (glfwJoystickIsGamepad(GLFW_JOYSTICK_1 + slot) == GLFW_TRUE &&
        glfwGetGamepadState(GLFW_JOYSTICK_1 + slot, &state) == GLFW_TRUE) {
        std::copy(std::begin(state.axes), std::end(state.axes), axes_);
        std::copy(std::begin(state.buttons), std::end(state.buttons), buttons_);
        return {axes_, 6, buttons_, 15, true};
    }
    r.axes = glfwGetJoystickAxes(GLFW_JOYSTICK_1 + slot, &r.axisCount);
    r.buttons = glfwGetJoystickButtons(GLFW_JOYSTICK_1 + slot, &r.buttonCount);
    if (r.axes == nullptr) r.axisCount = 0;
    if (r.buttons == nullptr) r.buttonCount = 0;
    return r;
}

InputState::InputState(JoystickSource* joysticks) : source_(joysticks) {
    joysticks_.reserve(JoystickSource::kSlots);
    refreshSlots();
}

void InputState::recordKey(int key, int /*scancode*/, int action, int /*mods*/) {
    if (key < 0 || key >= kKeys) return;
    const auto bit = static_cast<std::size_t>(key);
    if (action == GLFW_PRESS) {
        keysPressed_.set(bit);
        anyKeyPressed_ = true;
    }
    keysDown_.set(bit, action == GLFW_PRESS || action == GLFW_REPEAT);
}

void InputState::refreshSlots() {
    if (source_ == nullptr) return;
    for (int slot = 0; slot < JoystickSource::kSlots; ++slot) {
        const bool here = source_->present(slot);
        auto it = std::lower_bound(joysticks_.begin(), joysticks_.end(), slot,
                                   [](const JoystickState& j, int s) { return j.id < s; });
        const bool known = it != joysticks_.end() && it->id == slot;
        if (here && !known) {
            JoystickState fresh;
            fresh.id = slot;
            joysticks_.insert(it, std::move(fresh));
        } else if (!here && known) {
            // Dropping the state releases whatever was down on the vanished controller.
            joysticks_.erase(it);
        }
    }
}

bool InputState::keyDown(int code) const {
    return code >= 0 && code < kKeys &&
           (keysDown_.test(static_cast<std::size_t>(code)) ||
            keysPressed_.test(static_cast<std::size_t>(code)));
}

float InputState::keyAxis(int negative, int positive) const {
    if (keyDown(negative)) return -1.0f;
    if (keyDown(positive)) return 1.0f;
    return 0.0f;
}

float InputState::stickAxis(Axis which) const {
    // Gamepad layout: zoom on the left stick, looking on the right one, time on the triggers
    // (left slower, right faster; both rest at -1).
    constexpr int kLeftY = 1, kRightX = 2, kRightY = 3, kLeftTrigger = 4, kRightTrigger = 5;
    for (const JoystickState& j : joysticks_) {
        auto at = [&](int index) {
            return index >= 0 && index < static_cast<int>(j.axes.size())
                       ? j.axes[static_cast<std::size_t>(index)]
                       : (j.gamepad && index >= kLeftTrigger ? -1.0f : 0.0f);
        };
        float v = 0.0f;
        switch (which) {
            case Axis::Pitch: v = -at(j.gamepad ? kRightY : mapping.pitchAxis); break;
            case Axis::Yaw: v = at(j.gamepad ? kRightX : mapping.yawAxis); break;
            case Axis::Zoom: v = at(j.gamepad ? kLeftY : mapping.zoomAxis); break;
            case Axis::Rate:
                v = j.gamepad ? (at(kLeftTrigger) - at(kRightTrigger)) / 2.0f
                              : at(mapping.rateAxis);
                break;
        }
        if (std::fabs(v) > mapping.deadZone) return v;
    }
    return 0.0f;
}

FrameInput InputState::snapshot(float dt, const Ray& gaze) {
    refreshSlots();
    FrameInput in;
    in.dt = dt;
    in.gaze = gaze;
    in.anyPressed = anyKeyPressed_;
    for (JoystickState& j : joysticks_) {
        j.previous = j.buttons;
        const JoystickReading r = source_->poll(j.id);
        j.axes.assign(r.axes, r.axes + std::max(r.axisCount, 0));
        j.buttons.assign(r.buttons, r.buttons + std::max(r.buttonCount, 0));
        j.gamepad = r.gamepad;
        j.previous.resize(j.buttons.size(), 0);
        for (std::size_t b = 0; b < j.buttons.size(); ++b) {
            if (j.buttons[b] != 0 && j.previous[b] == 0) in.anyPressed = true;
        }
    }
    for (std::size_t c = 0; c < kControlCount; ++c) {
        const int key = mapping.keys[c];
        const int button = mapping.buttons[c];
        bool pressed = key >= 0 && key < kKeys && keysPressed_.test(static_cast<std::size_t>(key));
        bool held = keyDown(key);
        for (const JoystickState& j : joysticks_) {
            if (button < 0 || button >= static_cast<int>(j.buttons.size())) continue;
            const auto b = static_cast<std::size_t>(button);
            held = held || j.buttons[b] != 0;
            pressed = pressed || (j.buttons[b] != 0 && j.previous[b] == 0);
        }
        in.pressed.set(c, pressed);
        in.held.set(c, held || pressed);
    }
    // Keys decide over sticks; the first key of a pair wins when both are down.
    auto axis = [&](int negative, int positive, Axis stick) {
        const float k = keyAxis(negative, positive);
        return k != 0.0f ? k : stickAxis(stick);
    };
    in.pitch = axis(kDown, kUp, Axis::Pitch);
    in.yaw = axis(kLeft, kRight, Axis::Yaw);
    in.zoom = axis(kPageUp, kPageDown, Axis::Zoom);
    in.rate = axis(kRightBracket, kLeftBracket, Axis::Rate);

    keysPressed_.reset();
    anyKeyPressed_ = false;
    return in;
}

}  // namespace earth
