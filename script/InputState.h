#pragma once
// All user input: keys recorded from the window system's key callback, game controllers
// polled once a frame, turned into named controls with edge detection and steering axes.

#include <bitset>
#include <cstdint>
#include <optional>
#include <vector>

namespace earth {

enum class ControlState { Pressed = 0, Held = 1, Up = 2 };

// One poll of a controller; the arrays belong to the source and stay valid until its next
// poll. A controller that vanished between the presence check and the poll reports nothing.
struct JoystickReading {
    const float* axes = nullptr;
    int axisCount = 0;
    const unsigned char* buttons = nullptr;
    int buttonCount = 0;
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

// The window system's joysticks (needs an initialised window system).
class GlfwJoysticks final : public JoystickSource {
public:
    bool present(int slot) override;
    JoystickReading poll(int slot) override;
};

struct KeyboardState {
    static constexpr int kKeys = 348;
    unsigned char actions[kKeys] = {};
    std::bitset<kKeys> pressedBits;
    std::vector<int> pendingClear;
    bool anyKeyPressed = false;
};

struct JoystickState {
    int id = 0;
    // Copied out of each poll: the window system frees its arrays when a controller goes.
    std::vector<float> axes;
    std::vector<unsigned char> buttons;
    std::vector<unsigned char> previous;
    std::vector<unsigned char> lastSeen;
    bool anyButtonDown = false;
};

class InputState {
public:
    // Key codes of the window system (GLFW 3).
    static constexpr int kSpace = 32;
    static constexpr int kLeftBracket = 91;
    static constexpr int kRightBracket = 93;
    static constexpr int kP = 80;
    static constexpr int kR = 82;
    static constexpr int kEnter = 257;
    static constexpr int kDelete = 261;
    static constexpr int kRight = 262;
    static constexpr int kLeft = 263;
    static constexpr int kDown = 264;
    static constexpr int kUp = 265;
    static constexpr int kPageUp = 266;
    static constexpr int kPageDown = 267;

    // `joysticks` may be null: keyboard only. Not owned; must outlive this object.
    explicit InputState(JoystickSource* joysticks);

    void recordKey(int key, int scancode, int action, int mods);

    // Once a frame before any query. Controllers plugged into any slot since the last
    // update are taken up; those unplugged are dropped, so their controls read Up and 0.
    // Returns whether any key was pressed or any button is down.
    bool update(float dt);

    ControlState key(int code);
    ControlState button(int index);
    float axis(int index) const;

    ControlState continueControl();
    ControlState skipControl();
    ControlState selectControl();
    ControlState pauseControl();
    ControlState recenterControl();

    float pitchAxis();
    float yawAxis();
    float zoomAxis();
    float rateAxis();

    const std::vector<JoystickState>& joysticks() const { return joysticks_; }

    int zoomAxisIndex = 1;
    int pitchAxisIndex = 3;
    int yawAxisIndex = 4;
    int rateAxisIndex = 2;
    int continueButton = 0;
    int skipButton = 1;
    int selectButton = 2;
    int pauseButton = 7;
    int recenterButton = 6;
    float deadZone = 0.2f;

private:
    void refreshSlots();
    ControlState control(int keyCode, int buttonIndex);
    std::optional<float> keyAxis(int first, float firstValue, int second, float secondValue);
    static ControlState joystickButton(JoystickState& joystick, int index);

    JoystickSource* source_;
    std::vector<JoystickState> joysticks_;
    KeyboardState keyboard_;
};

struct ScriptContext;

// Holding "]" raises the rate by 250 simulated seconds per second each second, "[" lowers it;
// unbounded, so time may run backwards.
void applyRateControl(InputState& input, float dt, ScriptContext& ctx);

}  // namespace earth
