#pragma once
// The one window and its OpenGL 4.3 core context.

struct GLFWwindow;

namespace ovrlib {
class Headset;
}

namespace earth {

// Initialises the window system and sets the hints every window of the program uses.
// Throws "Failed to init glfw".
void initWindowSystem();

// The largest window side the program asks for: what GL drivers commonly draw into at most.
inline constexpr int kMaxWindowSide = 16384;

inline bool windowSizeAllowed(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxWindowSide && height <= kMaxWindowSide;
}

// A decorated desktop window of width x height titled "Orbitarium", its context current and
// its GL entry points checked. Throws "Window creation failed" for a size outside
// windowSizeAllowed or beyond the GL's maximum viewport, or "GL init failed".
GLFWwindow* createDesktopWindow(int width, int height);

// With a headset: a window of the headset display's resolution (the requested size is not
// used), full screen on the headset's monitor when the headset extends the desktop, else an
// ordinary decorated window. Without one: createDesktopWindow(width, height).
GLFWwindow* createWindow(const ovrlib::Headset* headset, int width, int height);

// Throws "GL init failed" unless the current context offers OpenGL 4.3.
void checkGlVersion();

void onGlfwError(int code, const char* description);

}  // namespace earth
