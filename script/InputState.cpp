#include "script/InputState.h"

#include "script/ScriptElement.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>

namespace earth {

bool GlfwJoysticks::present(int slot) { return glfwJoystickPresent(GLFW_JOYSTICK_1 + slot) == GLFW_TRUE; }

JoystickReading GlfwJoysticks::poll(int slot) {
    JoystickReading r;
    r.axes = glfwGetJoystickAxes(GLFW_JOYSTICK_1 + slot, &r.axisCount);
    r.buttons = glfwGetJoystickButtons(GLFW_JOYSTICK_1 + slot, &r.buttonCount);
    if (r.axes == nullptr) {
        r.axisCount = 0;
    }
    if (r.buttons == nullptr) {
        r.buttonCount = 0;
    }
    return r;
}

InputState::InputState(JoystickSource* joysticks) : source_(joysticks) {
    // Room for every key at once, so that queries never allocate.
    keyboard_.pendingClear.reserve(KeyboardState::kKeys);
    joysticks_.reserve(JoystickSource::kSlots);
    refreshSlots();
}

void InputState::recordKey(int key, int /*scancode*/, int action, int /*mods*/) {
    if (key < 0 || key >= KeyboardState::kKeys) {
        return;
    }
    keyboard_.actions[key] = static_cast<unsigned char>(action);
    if (action == 1) {
        keyboard_.pressedBits.set(static_cast<std::size_t>(key));
        keyboard_.anyKeyPressed = true;
    }
}

void InputState::refreshSlots() {
    if (source_ == nullptr) {
        return;
    }
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

bool InputState::update(float /*dt*/) {
    refreshSlots();
    for (JoystickState& j : joysticks_) {
        j.previous = j.lastSeen;
        JoystickReading r = source_->poll(j.id);
        const int axisCount = r.axes != nullptr ? std::max(r.axisCount, 0) : 0;
        const int buttonCount = r.buttons != nullptr ? std::max(r.buttonCount, 0) : 0;
        j.axes.assign(r.axes, r.axes + axisCount);
        j.buttons.assign(r.buttons, r.buttons + buttonCount);
        if (std::any_of(j.buttons.begin(), j.buttons.end(), [](unsigned char b) { return b != 0; })) {
            j.anyButtonDown = true;
        }
        j.previous.resize(j.buttons.size(), 0);
        j.lastSeen.resize(j.buttons.size(), 0);
    }

    for (int code : keyboard_.pendingClear) {
        keyboard_.pressedBits.reset(static_cast<std::size_t>(code));
    }
    keyboard_.pendingClear.clear();

    bool any = false;
    for (JoystickState& j : joysticks_) {
        any = any || j.anyButtonDown;
        j.anyButtonDown = false;
    }
    any = any || keyboard_.anyKeyPressed;
    keyboard_.anyKeyPressed = false;
    return any;
}

ControlState InputState::key(int code) {
    if (code < 0 || code >= KeyboardState::kKeys) {
        return ControlState::Up;
    }
    if (keyboard_.pressedBits.test(static_cast<std::size_t>(code))) {
        auto& pending = keyboard_.pendingClear;
        if (std::find(pending.begin(), pending.end(), code) == pending.end()) {
            pending.push_back(code);
        }
        return ControlState::Pressed;
    }
    const unsigned char action = keyboard_.actions[code];
    return action == 1 || action == 2 ? ControlState::Held : ControlState::Up;
}

ControlState InputState::joystickButton(JoystickState& joystick, int index) {
    if (index < 0 || index >= static_cast<int>(joystick.buttons.size())) {
        return ControlState::Up;
    }
    const unsigned char down = joystick.buttons[index] != 0 ? 1 : 0;
    const bool wasDown = joystick.previous[index] != 0;
    joystick.lastSeen[index] = down;
    if (!down) {
        return ControlState::Up;
    }
    return wasDown ? ControlState::Held : ControlState::Pressed;
}

ControlState InputState::button(int index) {
    for (JoystickState& j : joysticks_) {
        const ControlState s = joystickButton(j, index);
        if (s != ControlState::Up) {
            return s;
        }
    }
    return ControlState::Up;
}

float InputState::axis(int index) const {
    for (const JoystickState& j : joysticks_) {
        if (index < 0 || index >= static_cast<int>(j.axes.size())) {
            continue;
        }
        const float v = j.axes[index];
        if (std::fabs(v) > deadZone) {
            return v;
        }
    }
    return 0.0f;
}

ControlState InputState::control(int keyCode, int buttonIndex) {
    const ControlState k = key(keyCode);
    return k != ControlState::Up ? k : button(buttonIndex);
}

ControlState InputState::continueControl() { return control(kSpace, continueButton); }
ControlState InputState::skipControl() { return control(kDelete, skipButton); }
ControlState InputState::selectControl() { return control(kEnter, selectButton); }
ControlState InputState::pauseControl() { return control(kP, pauseButton); }
ControlState InputState::recenterControl() { return control(kR, recenterButton); }

std::optional<float> InputState::keyAxis(int first, float firstValue, int second,
                                         float secondValue) {
    if (key(first) != ControlState::Up) {
        return firstValue;
    }
    if (key(second) != ControlState::Up) {
        return secondValue;
    }
    return std::nullopt;
}

float InputState::pitchAxis() {
    const std::optional<float> k = keyAxis(kDown, -1.0f, kUp, 1.0f);
    return k ? *k : -axis(pitchAxisIndex);
}

float InputState::yawAxis() {
    const std::optional<float> k = keyAxis(kLeft, -1.0f, kRight, 1.0f);
    return k ? *k : axis(yawAxisIndex);
}

float InputState::zoomAxis() {
    const std::optional<float> k = keyAxis(kPageUp, -1.0f, kPageDown, 1.0f);
    return k ? *k : axis(zoomAxisIndex);
}

float InputState::rateAxis() {
    const std::optional<float> k = keyAxis(kLeftBracket, 1.0f, kRightBracket, -1.0f);
    return k ? *k : axis(rateAxisIndex);
}

void applyRateControl(InputState& input, float dt, ScriptContext& ctx) {
    const float v = input.rateAxis();
    if (v != 0.0f) {
        ctx.rate = ctx.effectiveRate() - dt * 250.0f * v;
    }
}

}  // namespace earth
