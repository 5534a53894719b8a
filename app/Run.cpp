#include "app/Run.h"

#include "app/CommandLine.h"
#include "app/ViewportRatio.h"
#include "app/Scene.h"
#include "app/Window.h"
#include "data/ImagePreload.h"
#include "app/StartupTimings.h"
#include "ovrlib/Headset.h"
#include "ovrlib/VirtualHeadsetRuntime.h"

#include <epoxy/gl.h>
#include <GLFW/glfw3.h>

#include <boost/date_time/posix_time/posix_time.hpp>

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace earth {
namespace {

InputState* inputOf(GLFWwindow* window) {
    auto* scene = static_cast<Scene*>(glfwGetWindowUserPointer(window));
    return scene != nullptr ? &scene->input() : nullptr;
}

void onKey(GLFWwindow* window, int key, int scancode, int action, int mods) {
    if (InputState* input = inputOf(window)) input->recordKey(key, scancode, action, mods);
}

void onChar(GLFWwindow* window, unsigned codepoint) {
    if (InputState* input = inputOf(window)) input->recordChar(codepoint);
}

void onCursor(GLFWwindow* window, double x, double y) {
    if (InputState* input = inputOf(window)) input->recordPointer(x, y);
}

void onCursorEnter(GLFWwindow* window, int entered) {
    double x = 0.0;
    double y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    if (InputState* input = inputOf(window)) input->recordPointer(x, y, entered == GLFW_TRUE);
}

void onMouseButton(GLFWwindow* window, int button, int action, int /*mods*/) {
    if (InputState* input = inputOf(window)) input->recordMouseButton(button, action, glfwGetTime());
}

void onScroll(GLFWwindow* window, double /*x*/, double y) {
    if (InputState* input = inputOf(window)) input->recordScroll(y);
}

// The desktop picture follows the window: a minimised window keeps its last aspect.
void onFramebufferSize(GLFWwindow* window, int width, int height) {
    auto* scene = static_cast<Scene*>(glfwGetWindowUserPointer(window));
    if (scene == nullptr) return;
    scene->setAspect(framebufferAspect(width, height, scene->aspect()));
    if (width > 0 && height > 0) glViewport(0, 0, width, height);
}

// Every image the scene decodes at start-up, in the order it asks for them.
std::vector<std::uint16_t> startupImages() {
    const StarfieldFaces stars;
    const EarthResources earth;
    return {SplashScreens::kFirstSplash, SplashScreens::kSecondSplash,
            stars.positiveX, stars.negativeX, stars.positiveY, stars.negativeY,
            stars.positiveZ, stars.negativeZ, earth.day, earth.specular, earth.night};
}

// With ORBITARIUM_TIMINGS=1: the start-up table once the first frame is presented, and the
// per-stage frame table once the timed frames are done.
void reportTimings(Scene& scene, std::uint32_t frameIndex, double swapStart) {
    if (frameIndex == 0) {
        std::printf("%s\n", startupTimingLine(secondsSinceProcessStart()).c_str());
        std::fflush(stdout);
    }
    if (frameIndex >= Scene::kFirstTimedFrame &&
        frameIndex < Scene::kFirstTimedFrame + Scene::kTimedFrames) {
        glFinish();
        scene.addStageTime(Scene::Present, glfwGetTime() - swapStart);
        if (frameIndex == Scene::kFirstTimedFrame + Scene::kTimedFrames - 1) {
            scene.printFrameTimings();
        }
    }
}

// Read before the scene exists, so that a file that cannot be used stops start-up before
// any window opens; its time counts to the scene's catalogue stage.
Sky timedSky(const std::vector<std::string>& elementPaths, const StartTime& startTime) {
    startupMarkBegin();
    Sky sky = loadSky(elementPaths, startTime,
                      boost::posix_time::microsec_clock::universal_time(), std::cerr);
    startupMark(StartupStage::Catalogue);
    return sky;
}

}  // namespace

namespace {

// The headset to use, or none for the desktop window. A runtime without a connected headset
// leaves nothing but the virtual one, which only --vr-preview asks for.
void openHeadset(const Settings& settings, std::unique_ptr<ovrlib::HeadsetContext>& context,
                 std::unique_ptr<ovrlib::Headset>& headset) {
    if (settings.noVr) return;
    if (settings.vrPreview) {
        context = std::make_unique<ovrlib::HeadsetContext>(
            std::make_unique<ovrlib::VirtualHeadsetRuntime>(), nullptr);
    } else {
        context = std::make_unique<ovrlib::HeadsetContext>();
    }
    headset = std::make_unique<ovrlib::Headset>(context.get());
    if (!settings.vrPreview && context->usingFallback()) {
        headset.reset();
        context.reset();
        std::printf("No headset found: running in a desktop window (--vr-preview shows the "
                    "virtual headset)\n");
        std::fflush(stdout);
    }
}

}  // namespace

void run(const Settings& settings) {
    const int width = settings.width;
    const int height = settings.height;
    // Decoding the images takes about as long as creating the window and building the GL
    // objects; the two run side by side, leaving the main thread a core of its own.
    const unsigned cores = std::thread::hardware_concurrency();
    const ImagePreload images(startupImages(), cores > 2 ? 2u : 1u);
    // The tour is about the embedded 2014 sky.
    Sky sky = timedSky(settings.elementPaths, settings.startTime);
    const bool noTour = settings.noTour || sky.ownElements;
    initWindowSystem();
    // The runtime guard and the device come before the window, whose size they decide, and
    // go after it: the runtime shuts down last.
    std::unique_ptr<ovrlib::HeadsetContext> context;
    std::unique_ptr<ovrlib::Headset> headset;
    openHeadset(settings, context, headset);
    const bool desktop = headset == nullptr;
    GLFWwindow* window = createWindow(headset.get(), width, height);
    checkGlVersion();

    int fbWidth = 0;
    int fbHeight = 0;
    glfwGetFramebufferSize(window, &fbWidth, &fbHeight);
    const float aspect = framebufferAspect(fbWidth, fbHeight, 1.0f);

    {
        // Destroyed before the window: its GL objects and the headset's render targets go
        // while the context is current.
        Scene scene(headset.get(), window, aspect, noTour, std::move(sky));
        scene.setTrueSun(settings.trueSun);
        glfwSetWindowUserPointer(window, &scene);
        glfwSetKeyCallback(window, onKey);
        glfwSetCharCallback(window, onChar);
        glfwSetCursorPosCallback(window, onCursor);
        glfwSetCursorEnterCallback(window, onCursorEnter);
        glfwSetMouseButtonCallback(window, onMouseButton);
        glfwSetScrollCallback(window, onScroll);
        if (desktop) glfwSetFramebufferSizeCallback(window, onFramebufferSize);

        for (std::uint32_t frameIndex = 0; !glfwWindowShouldClose(window); ++frameIndex) {
            scene.frame(frameIndex);
            const double swapStart = glfwGetTime();
            if (desktop) glfwSwapBuffers(window);
            if (scene.timingFrames()) reportTimings(scene, frameIndex, swapStart);
            glfwPollEvents();
        }
        glfwSetWindowUserPointer(window, nullptr);
    }

    glfwDestroyWindow(window);
    glfwTerminate();
    headset.reset();
    context.reset();
}

}  // namespace earth
