#pragma once
// Raw input as the window system delivers it: key events from the key callback, game
// controllers polled once a frame. `snapshot` turns what arrived since the previous frame into
// the frame's one immutable FrameInput.

#include "script/FrameInput.h"

#include <bitset>
#include <vector>

namespace earth {

// One poll of a controller; the arrays belong to the source and stay valid until its next
// poll. A controller that vanished between the presence check and the poll reports nothing.
// `gamepad`: the window system knows the device and reports it in its standard gamepad layout
// (A B X Y, bumpers, Back, Start; axes left x/y, right x/y, left and right trigger resting at
// -1); otherwise the arrays are the device's raw layout.
struct JoystickReading {
    const float* axes = nullptr;
    int axisCount = 0;
    const unsigned char* buttons = nullptr;
    int buttonCount = 0;
    bool gamepad = false;
};

// Where controllers come from: the window system in the program, a scripted fake in tests.
class JoystickSource {
public:
    static constexpr int kSlots = 16;
    virtual bool present(int slot) = 0;
    virtual JoystickReading poll(int slot) = 0;

protected:
    ~JoystickSource() = default;
};

// The window system's joysticks (needs an initialised window system), through its gamepad
// mapping database where it knows the device.
class GlfwJoysticks final : public JoystickSource {
public:
    bool present(int slot) override;
    JoystickReading poll(int slot) override;

private:
    float axes_[6] = {};
    unsigned char buttons_[15] = {};
};

struct JoystickState {
    int id = 0;
    // Copied out of each poll: the window system frees its arrays when a controller goes.
    std::vector<float> axes;
    std::vector<unsigned char> buttons;
    std::vector<unsigned char> previous;
    bool gamepad = false;
};

// Which key and which controller button or axis means what. The buttons are the same in
// both layouts (A, B, X, Start, Back).
struct ControlMapping {
    int keys[kControlCount] = {32, 261, 257, 80, 82, 76};  // Space, Delete, Enter, P, R, L
    int buttons[kControlCount] = {0, 1, 2, 7, 6, -1};      // L has no button
    // A device without a mapping: its raw axes.
    int zoomAxis = 1;
    int rateAxis = 2;
    int pitchAxis = 3;
    int yawAxis = 4;
    float deadZone = 0.2f;
};

class InputState {
public:
    static constexpr int kKeys = 349;  // key codes of the window system (GLFW 3) go up to 348

    // `joysticks` may be null: keyboard only. Not owned; must outlive this object.
    explicit InputState(JoystickSource* joysticks);

    void recordKey(int key, int scancode, int action, int mods);

    // Once a frame: polls the controllers (taking up those plugged in since, dropping those
    // gone) and returns what the user did since the previous call. Presses that arrived
    // since then count once, even when released again before this call.
    FrameInput snapshot(float dt, const Ray& gaze);

    const std::vector<JoystickState>& joysticks() const { return joysticks_; }

    ControlMapping mapping;

private:
    void refreshSlots();
    bool keyDown(int code) const;
    float keyAxis(int negative, int positive) const;
    enum class Axis { Pitch, Yaw, Zoom, Rate };
    float stickAxis(Axis which) const;

    JoystickSource* source_;
    std::vector<JoystickState> joysticks_;
    std::bitset<kKeys> keysDown_;
    std::bitset<kKeys> keysPressed_;  // since the previous snapshot
    bool anyKeyPressed_ = false;
};

}  // namespace earth
