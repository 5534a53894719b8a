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

// Which keys and which controller button or axis mean what (key codes of the window system,
// GLFW 3; -1 none). The buttons are the same in both controller layouts (A, B, X, Start, Back).
struct ControlMapping {
    int keys[kControlCount][2] = {
        {32, -1},   {261, -1}, {257, 335}, {80, -1},  {82, -1},  {256, -1},
        {290, 72},  {67, -1},  {77, -1},   {300, -1}, {301, -1}, {47, -1},
        {76, -1},   {265, -1}, {264, -1},  {259, -1}};
    int buttons[kControlCount] = {0, 1, 2, 7, 6, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
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
    void recordChar(unsigned codepoint);
    // Window pixels from the top left; `inside` false when the pointer left the window.
    void recordPointer(double x, double y, bool inside = true);
    // Button 0 left, 1 right; `seconds` is the window system's time of the event.
    void recordMouseButton(int button, int action, double seconds);
    void recordScroll(double notches);

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
    char typed_[FrameInput::kMaxTyped] = {};
    std::size_t typedCount_ = 0;

    // The pointer between snapshots.
    PointerInput pointer_;
    glm::vec2 pressedAt_{0.0f};
    bool dragged_ = false;
    double lastClickSeconds_ = -1.0;
    glm::vec2 lastClickAt_{0.0f};
};

}  // namespace earth
