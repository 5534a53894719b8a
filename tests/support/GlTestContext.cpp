#include "support/GlTestContext.h"

#include <epoxy/gl.h>
#include <GLFW/glfw3.h>

#include <stdexcept>

namespace earth::test {

GlTestContext::GlTestContext(int width, int height) {
    if (!glfwInit()) throw std::runtime_error("GL test: no window system (is DISPLAY set?)");
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_DEPTH_BITS, 16);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    window_ = glfwCreateWindow(width, height, "test", nullptr, nullptr);
    if (window_ == nullptr) {
        glfwTerminate();
        throw std::runtime_error("GL test: no OpenGL 4.3 core context");
    }
    glfwMakeContextCurrent(window_);
}

GlTestContext::~GlTestContext() {
    glfwDestroyWindow(window_);
    glfwTerminate();
}

}  // namespace earth::test
