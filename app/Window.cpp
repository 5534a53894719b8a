#include "app/Window.h"

#include <epoxy/gl.h>
#include <GLFW/glfw3.h>

#include "app/ViewportRatio.h"
#include "ovrlib/Headset.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace earth {

void onGlfwError(int /*code*/, const char* description) {
    std::fprintf(stderr, "%s\n", description);
    std::fflush(stderr);
}

void initWindowSystem() {
    glfwSetErrorCallback(onGlfwError);
    if (!glfwInit()) throw std::runtime_error("Failed to init glfw");
    glfwWindowHint(GLFW_DEPTH_BITS, 16);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
}

GLFWwindow* createDesktopWindow(int width, int height) {
    glfwWindowHint(GLFW_DECORATED, GLFW_TRUE);
    // GLFW asserts on non-positive sizes, X11 keeps only 16 bits of a size (and its errors end
    // the process), so sizes outside what a window can be are refused before they get there.
    GLFWwindow* window = windowSizeAllowed(width, height)
                             ? glfwCreateWindow(width, height, "Orbitarium", nullptr, nullptr)
                             : nullptr;
    if (window == nullptr) throw std::runtime_error("Window creation failed");
    glfwMakeContextCurrent(window);
    // A window larger than GL can draw into would show a partly drawn picture.
    GLint maxViewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
    if (width > maxViewport[0] || height > maxViewport[1]) {
        glfwMakeContextCurrent(nullptr);
        glfwDestroyWindow(window);
        throw std::runtime_error("Window creation failed");
    }
    return window;
}

namespace {

// The last monitor whose name is the headset's display name, else the primary one.
GLFWmonitor* headsetMonitor(const std::string& displayName) {
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    GLFWmonitor* chosen = nullptr;
    for (int i = 0; i < count; ++i) {
        const char* name = glfwGetMonitorName(monitors[i]);
        if (name != nullptr && displayName == name) chosen = monitors[i];
    }
    if (chosen == nullptr) {
        std::printf("WARNING: Couldn't find OVR monitor, defaulting to primary monitor\n");
        std::fflush(stdout);
        chosen = glfwGetPrimaryMonitor();
    }
    return chosen;
}

}  // namespace

GLFWwindow* createWindow(const ovrlib::Headset* headset, int width, int height) {
    if (headset == nullptr) return createDesktopWindow(width, height);
    const ovrlib::Sizei size = headset->resolution();
    GLFWwindow* window = nullptr;
    if (size.width > 0 && size.height > 0) {
        if (headset->extendsDesktop()) {
            glfwWindowHint(GLFW_DECORATED, GLFW_FALSE);
            GLFWmonitor* monitor = headsetMonitor(headset->displayDeviceName());
            window = glfwCreateWindow(size.width, size.height, "Orbitarium", monitor, nullptr);
        } else {
            // A preview in a window of its own: never larger than the screen it opens on.
            int x = 0, y = 0, areaWidth = 0, areaHeight = 0;
            if (GLFWmonitor* primary = glfwGetPrimaryMonitor()) {
                glfwGetMonitorWorkarea(primary, &x, &y, &areaWidth, &areaHeight);
            }
            const FittedSize fitted = fitWithin(size.width, size.height, areaWidth, areaHeight);
            glfwWindowHint(GLFW_DECORATED, GLFW_TRUE);
            window = glfwCreateWindow(fitted.width, fitted.height, "Orbitarium", nullptr, nullptr);
        }
    }
    if (window == nullptr) throw std::runtime_error("Window creation failed");
    glfwMakeContextCurrent(window);
    return window;
}

void checkGlVersion() {
    // Epoxy resolves entry points lazily; what can fail is a context older than 4.3.
    if (epoxy_gl_version() < 43 || !epoxy_is_desktop_gl()) {
        throw std::runtime_error("GL init failed");
    }
    glGetError();
}

}  // namespace earth
