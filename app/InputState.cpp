#include "app/InputState.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#include <glm/geometric.hpp>

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

void InputState::recordChar(unsigned codepoint) {
    if (codepoint >= 32 && codepoint < 127 && typedCount_ < FrameInput::kMaxTyped) {
        typed_[typedCount_++] = static_cast<char>(codepoint);
    }
}

void InputState::recordPointer(double x, double y, bool inside) {
    const glm::vec2 at(static_cast<float>(x), static_cast<float>(y));
    if (pointer_.leftHeld && inside) {
        pointer_.drag += at - pointer_.position;
        // A few pixels of jitter still make a click.
        if (glm::length(at - pressedAt_) > 4.0f) dragged_ = true;
    }
    pointer_.position = at;
    pointer_.inside = inside;
}

void InputState::recordMouseButton(int button, int action, double seconds) {
    anyKeyPressed_ = anyKeyPressed_ || action == GLFW_PRESS;
    if (button == GLFW_MOUSE_BUTTON_RIGHT && action == GLFW_PRESS) pointer_.rightClick = true;
    if (button != GLFW_MOUSE_BUTTON_LEFT) return;
    if (action == GLFW_PRESS) {
        pointer_.leftHeld = true;
        pressedAt_ = pointer_.position;
        dragged_ = false;
    } else if (action == GLFW_RELEASE && pointer_.leftHeld) {
        pointer_.leftHeld = false;
        if (!dragged_) {
            pointer_.click = true;
            constexpr double kDoubleClickSeconds = 0.4;
            if (lastClickSeconds_ >= 0.0 && seconds - lastClickSeconds_ < kDoubleClickSeconds &&
                glm::length(pointer_.position - lastClickAt_) <= 4.0f) {
                pointer_.doubleClick = true;
                lastClickSeconds_ = -1.0;  // a third click starts a new pair
            } else {
                lastClickSeconds_ = seconds;
                lastClickAt_ = pointer_.position;
            }
        }
    }
}

void InputState::recordScroll(double notches) { pointer_.wheel += static_cast<float>(notches); }

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
    auto keyPressed = [&](int key) {
        return key >= 0 && key < kKeys && keysPressed_.test(static_cast<std::size_t>(key));
    };
    for (std::size_t c = 0; c < kControlCount; ++c) {
        const int button = mapping.buttons[c];
        bool pressed = false;
        bool held = false;
        for (int key : mapping.keys[c]) {
            pressed = pressed || keyPressed(key);
            held = held || keyDown(key);
        }
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

    // Ctrl+F opens the search as "/" does.
    constexpr int kF = 70, kLeftControl = 341, kRightControl = 345;
    if (keyPressed(kF) && (keyDown(kLeftControl) || keyDown(kRightControl))) {
        in.pressed.set(static_cast<std::size_t>(Control::Search));
        in.held.set(static_cast<std::size_t>(Control::Search));
    }
    std::copy(typed_, typed_ + typedCount_, in.typed);
    in.typedCount = typedCount_;
    in.pointer = pointer_;

    keysPressed_.reset();
    anyKeyPressed_ = false;
    typedCount_ = 0;
    pointer_.drag = glm::vec2(0.0f);
    pointer_.wheel = 0.0f;
    pointer_.click = pointer_.doubleClick = pointer_.rightClick = false;
    return in;
}

}  // namespace earth
