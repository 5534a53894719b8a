#pragma once
// What the user did, as one value per frame: the app builds it from the window system's
// events and controllers, and the script reads it. Reading it changes nothing, so the order in
// which elements look at it does not matter.

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <bitset>
#include <cstddef>

namespace earth {

enum class ControlState { Pressed = 0, Held = 1, Up = 2 };

// The named controls; each is one or two keys and, for the first five, a controller button.
enum class Control {
    Continue,    // Space, A: start, continue; in exploration hold to select by looking
    Skip,        // Delete, B: skip narration, clear the selection, leave a ride
    Select,      // Enter, X: fly to the selection and ride along; choose in a list
    Pause,       // P, Start
    Recenter,    // R, Back
    Escape,      // Escape: close what is open, else quit
    Help,        // F1, H: controls and colour legend
    Subtitles,   // C
    Mute,        // M
    Fullscreen,  // F11
    Screenshot,  // F12
    Search,      // "/", Ctrl+F
    Light,       // L: light the globe from the Sun of the simulated instant
    Up,          // arrow up: also a steering axis; as a press it moves up in a list
    Down,        // arrow down
    Backspace,   // deletes the last typed character
    Count
};
constexpr std::size_t kControlCount = static_cast<std::size_t>(Control::Count);
using ControlSet = std::bitset<kControlCount>;

// A line of sight in scene units; a zero direction points nowhere.
struct Ray {
    glm::vec3 origin{0.0f};
    glm::vec3 direction{0.0f};
};

// The mouse over the window's picture, in window pixels from the top left.
struct PointerInput {
    bool inside = false;        // over the window (and the window has the focus)
    glm::vec2 position{0.0f};
    glm::vec2 drag{0.0f};       // moved this frame with the left button held
    float wheel = 0.0f;         // notches this frame, positive away from the user
    bool click = false;         // left button released without a drag since its press
    bool doubleClick = false;   // the second of two clicks in quick succession
    bool rightClick = false;
    bool leftHeld = false;
    Ray ray;                    // the line of sight through the pointer, scene units
    float pixelAngle = 0.0f;    // radians of view per window pixel at the pointer
};

struct FrameInput {
    float dt = 0.0f;       // real seconds since the previous frame
    ControlSet pressed;    // went down since the previous frame
    ControlSet held;       // down now (includes those pressed)
    // Steering in [-1, 1]: up, right, zoom out, slower time.
    float pitch = 0.0f;
    float yaw = 0.0f;
    float zoom = 0.0f;
    float rate = 0.0f;
    Ray gaze;              // the centre of the view last shown
    bool anyPressed = false;  // any key or button at all went down
    PointerInput pointer;
    // Text typed this frame (printable ASCII; other characters are dropped).
    static constexpr std::size_t kMaxTyped = 32;
    char typed[kMaxTyped + 1] = {};
    std::size_t typedCount = 0;

    ControlState state(Control c) const {
        const auto i = static_cast<std::size_t>(c);
        return pressed.test(i) ? ControlState::Pressed
                               : held.test(i) ? ControlState::Held : ControlState::Up;
    }
    bool wasPressed(Control c) const { return pressed.test(static_cast<std::size_t>(c)); }
    bool isHeld(Control c) const { return held.test(static_cast<std::size_t>(c)); }
};

}  // namespace earth
