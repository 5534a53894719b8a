#pragma once
// F11: the desktop window full screen on the monitor it is on, and back to its place and size.

struct GLFWwindow;
struct GLFWmonitor;

namespace earth {

struct WindowRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Of the monitors' rectangles, the index of the one that overlaps `window` most (the first on
// ties, 0 when none does).
int mostOverlapping(const WindowRect& window, const WindowRect* monitors, int count);

class FullScreen {
public:
    void toggle(GLFWwindow* window);

private:
    WindowRect saved_;
};

}  // namespace earth
