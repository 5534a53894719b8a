#include "support/GlTestContext.h"

#include <epoxy/gl.h>
#include <GLFW/glfw3.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace earth::test {

namespace {

// Under load, Xvfb now and then refuses a connection or answers the GLX query with no
// configurations (seen in about one start in twenty while tests run in parallel); a short
// pause and a new attempt get through. A context that cannot be made after that is a real
// failure.
constexpr int kAttempts = 5;
constexpr std::chrono::milliseconds kPause(100);

GLFWwindow* tryCreate(int width, int height, std::string& failure) {
    if (!glfwInit()) {
        failure = "GL test: no window system (is DISPLAY set?)";
        return nullptr;
    }
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_DEPTH_BITS, 16);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    GLFWwindow* window = glfwCreateWindow(width, height, "test", nullptr, nullptr);
    if (window == nullptr) {
        glfwTerminate();
        failure = "GL test: no OpenGL 4.3 core context";
    }
    return window;
}

}  // namespace

GlTestContext::GlTestContext(int width, int height) {
    std::string failure;
    for (int attempt = 0; attempt < kAttempts && window_ == nullptr; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(kPause);
        window_ = tryCreate(width, height, failure);
    }
    if (window_ == nullptr) throw std::runtime_error(failure);
    glfwMakeContextCurrent(window_);
}

GlTestContext::~GlTestContext() {
    glfwDestroyWindow(window_);
    glfwTerminate();
}

}  // namespace earth::test
