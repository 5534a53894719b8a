#include "app/Run.h"

#include "app/Aspect.h"
#include "app/Window.h"
#include "ovrlib/Headset.h"

#include <epoxy/gl.h>
#include <GLFW/glfw3.h>

#include <memory>
#include <vector>

namespace earth {
namespace {

struct WindowState {
    float aspect = 1.0f;
    bool anyKey = false;
};

void onKey(GLFWwindow* window, int key, int /*scancode*/, int action, int /*mods*/) {
    if (key == GLFW_KEY_ESCAPE && action == GLFW_PRESS) {
        glfwSetWindowShouldClose(window, GLFW_TRUE);
    }
    auto* state = static_cast<WindowState*>(glfwGetWindowUserPointer(window));
    if (state != nullptr && action == GLFW_PRESS) state->anyKey = true;
}

void onFramebufferSize(GLFWwindow* window, int width, int height) {
    auto* state = static_cast<WindowState*>(glfwGetWindowUserPointer(window));
    if (state == nullptr) return;
    state->aspect = framebufferAspect(width, height, state->aspect);
    if (width > 0 && height > 0) glViewport(0, 0, width, height);
}

void clearPicture() {
    glClearColor(0.02f, 0.02f, 0.05f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Headset mode until the scene draws the eyes: the empty sky in both, presented by the
// headset runtime (never by a window swap). The render targets are given back before the
// function returns, while the window's context is still current.
void headsetLoop(GLFWwindow* window, WindowState& state, ovrlib::Headset& headset) {
    const std::shared_ptr<ovrlib::GlRenderState> renderState = headset.makeRenderState(window);
    std::vector<ovrlib::Framebuffer> eyeFramebuffers;
    for (int eye = 0; eye < 2; ++eye) {
        eyeFramebuffers.emplace_back(renderState->eyeTextureSize[eye].width,
                                     renderState->eyeTextureSize[eye].height);
    }
    const std::shared_ptr<ovrlib::BoundGlRenderState> bound = renderState->bind(
        eyeFramebuffers[0].colorTexture(), eyeFramebuffers[1].colorTexture());
    headset.recenter();

    ovrlib::EyeCamera camera;
    camera.position = {0.0f, 0.0f, 3.0f};
    std::uint32_t frameIndex = 0;
    while (!glfwWindowShouldClose(window)) {
        if (state.anyKey) headset.dismissNotice();
        state.anyKey = false;
        ovrlib::renderHeadsetFrame(*bound, headset, eyeFramebuffers, frameIndex, camera,
                                   [](const glm::mat4&, const glm::mat4&, const glm::mat4&) {
                                       clearPicture();
                                   });
        glfwPollEvents();
        ++frameIndex;
    }
}

}  // namespace

void run(bool noVr, bool /*noTour*/, int width, int height) {
    initWindowSystem();
    // The runtime guard and the device come before the window, whose size they decide, and
    // go after it: the runtime shuts down last.
    std::unique_ptr<ovrlib::HeadsetContext> context;
    std::unique_ptr<ovrlib::Headset> headset;
    if (!noVr) {
        context = std::make_unique<ovrlib::HeadsetContext>();
        headset = std::make_unique<ovrlib::Headset>(context.get());
    }
    GLFWwindow* window = createWindow(headset.get(), width, height);
    checkGlVersion();

    WindowState state;
    int fbWidth = 0;
    int fbHeight = 0;
    glfwGetFramebufferSize(window, &fbWidth, &fbHeight);
    state.aspect = framebufferAspect(fbWidth, fbHeight, state.aspect);

    glfwSetWindowUserPointer(window, &state);
    glfwSetKeyCallback(window, onKey);
    glfwSetFramebufferSizeCallback(window, onFramebufferSize);

    if (headset) {
        headsetLoop(window, state, *headset);
    } else {
        while (!glfwWindowShouldClose(window)) {
            clearPicture();
            glfwSwapBuffers(window);
            glfwPollEvents();
        }
    }

    glfwDestroyWindow(window);
    glfwTerminate();
    headset.reset();
    context.reset();
}

}  // namespace earth
