#include "app/Run.h"

#include "app/Aspect.h"
#include "app/Window.h"

#include <epoxy/gl.h>
#include <GLFW/glfw3.h>

namespace earth {
namespace {

struct WindowState {
    float aspect = 1.0f;
};

void onKey(GLFWwindow* window, int key, int /*scancode*/, int action, int /*mods*/) {
    if (key == GLFW_KEY_ESCAPE && action == GLFW_PRESS) {
        glfwSetWindowShouldClose(window, GLFW_TRUE);
    }
}

void onFramebufferSize(GLFWwindow* window, int width, int height) {
    auto* state = static_cast<WindowState*>(glfwGetWindowUserPointer(window));
    if (state == nullptr) return;
    state->aspect = framebufferAspect(width, height, state->aspect);
    if (width > 0 && height > 0) glViewport(0, 0, width, height);
}

}  // namespace

void run(bool /*noVr*/, bool /*noTour*/, int width, int height) {
    initWindowSystem();
    GLFWwindow* window = createDesktopWindow(width, height);
    checkGlVersion();

    WindowState state;
    int fbWidth = 0;
    int fbHeight = 0;
    glfwGetFramebufferSize(window, &fbWidth, &fbHeight);
    state.aspect = framebufferAspect(fbWidth, fbHeight, state.aspect);

    glfwSetWindowUserPointer(window, &state);
    glfwSetKeyCallback(window, onKey);
    glfwSetFramebufferSizeCallback(window, onFramebufferSize);

    while (!glfwWindowShouldClose(window)) {
        glClearColor(0.02f, 0.02f, 0.05f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glfwSwapBuffers(window);
        glfwPollEvents();
    }

    glfwDestroyWindow(window);
    glfwTerminate();
}

}  // namespace earth
