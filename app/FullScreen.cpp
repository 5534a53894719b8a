#include "app/FullScreen.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <vector>

namespace earth {

int mostOverlapping(const WindowRect& window, const WindowRect* monitors, int count) {
    int best = 0;
    long bestArea = -1;
    for (int i = 0; i < count; ++i) {
        const WindowRect& m = monitors[i];
        const long w = std::max(0, std::min(window.x + window.width, m.x + m.width) - std::max(window.x, m.x));
        const long h = std::max(0, std::min(window.y + window.height, m.y + m.height) - std::max(window.y, m.y));
        if (w * h > bestArea) {
            bestArea = w * h;
            best = i;
        }
    }
    return best;
}

void FullScreen::toggle(GLFWwindow* window) {
    if (glfwGetWindowMonitor(window) != nullptr) {
        glfwSetWindowMonitor(window, nullptr, saved_.x, saved_.y, saved_.width, saved_.height, 0);
        return;
    }
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    if (monitors == nullptr || count == 0) return;
    glfwGetWindowPos(window, &saved_.x, &saved_.y);
    glfwGetWindowSize(window, &saved_.width, &saved_.height);
    std::vector<WindowRect> rects(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        WindowRect& r = rects[static_cast<std::size_t>(i)];
        glfwGetMonitorPos(monitors[i], &r.x, &r.y);
        if (const GLFWvidmode* mode = glfwGetVideoMode(monitors[i])) {
            r.width = mode->width;
            r.height = mode->height;
        }
    }
    GLFWmonitor* monitor = monitors[mostOverlapping(saved_, rects.data(), count)];
    const GLFWvidmode* mode = glfwGetVideoMode(monitor);
    if (mode == nullptr) return;
    glfwSetWindowMonitor(window, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
}

}  // namespace earth
