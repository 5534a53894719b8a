// The frame cost of headset mode against desktop mode with the real scene (catalogue, globe,
// stars, satellites; free exploration without its instructions screen): one desktop frame
// drawn and swapped at the size of one eye (1080x1200), against one virtual-headset frame
// (propagation once, both 1080x1200 eyes, distortion over the 2160x1200 display, blit, swap).
// Target: the headset frame under 1.9 times the desktop frame.
//
// The script builders keep their elements in statics bound to the first scene's input, so both
// scenes are built once, side by side, each in its own hidden window, and live until exit.

#include "app/Scene.h"
#include "ovrlib/Headset.h"
#include "ovrlib/VirtualHeadsetRuntime.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using ovrlib::VirtualHeadsetRuntime;

constexpr int kEyeWidth = VirtualHeadsetRuntime::kDisplayWidth / 2;
constexpr int kEyeHeight = VirtualHeadsetRuntime::kDisplayHeight;

GLFWwindow* hiddenWindow(int width, int height) {
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    GLFWwindow* window = glfwCreateWindow(width, height, "bench", nullptr, nullptr);
    if (window == nullptr) throw std::runtime_error("no OpenGL 4.3 core context");
    glfwMakeContextCurrent(window);
    glfwSwapInterval(0);
    return window;
}

// Dismisses the instructions screen (and, in headset mode, the notice) as a first key would.
void pressSpace(earth::Scene& scene, std::uint32_t& frameIndex) {
    scene.input().recordKey(GLFW_KEY_SPACE, 0, GLFW_PRESS, 0);
    scene.frame(frameIndex++);
    scene.input().recordKey(GLFW_KEY_SPACE, 0, GLFW_RELEASE, 0);
    for (int i = 0; i < 3; ++i) scene.frame(frameIndex++);  // settle caches and read-backs
}

struct Scenes {
    GLFWwindow* desktopWindow = nullptr;
    GLFWwindow* headsetWindow = nullptr;
    std::unique_ptr<earth::Scene> desktop;
    std::unique_ptr<ovrlib::HeadsetContext> context;
    std::unique_ptr<ovrlib::Headset> headset;
    std::unique_ptr<earth::Scene> headsetScene;
    std::uint32_t desktopFrame = 0;
    std::uint32_t headsetFrame = 0;
    std::string failure;

    Scenes() {
        setenv("ALSOFT_DRIVERS", "null", 0);  // the music needs no sound card here
        if (!glfwInit()) {
            failure = "no window system (is DISPLAY set?)";
            return;
        }
        try {
            desktopWindow = hiddenWindow(kEyeWidth, kEyeHeight);
            desktop = std::make_unique<earth::Scene>(nullptr, desktopWindow,
                                                     float(kEyeWidth) / kEyeHeight, true);
            pressSpace(*desktop, desktopFrame);

            context = std::make_unique<ovrlib::HeadsetContext>(
                std::make_unique<VirtualHeadsetRuntime>(), nullptr);
            headset = std::make_unique<ovrlib::Headset>(context.get());
            const auto display = headset->resolution();
            headsetWindow = hiddenWindow(display.width, display.height);
            headsetScene = std::make_unique<earth::Scene>(headset.get(), headsetWindow, 1.0f, true);
            pressSpace(*headsetScene, headsetFrame);
            if (desktop->script().splash != 0 || headsetScene->script().splash != 0) {
                failure = "the instructions screen did not go away";
            }
        } catch (const std::exception& e) {
            failure = e.what();
        }
    }

    ~Scenes() {
        // Each scene goes while its own context is current, then the windows.
        if (headsetScene) {
            glfwMakeContextCurrent(headsetWindow);
            headsetScene.reset();
        }
        if (desktop) {
            glfwMakeContextCurrent(desktopWindow);
            desktop.reset();
        }
        if (headsetWindow) glfwDestroyWindow(headsetWindow);
        if (desktopWindow) glfwDestroyWindow(desktopWindow);
        headset.reset();
        context.reset();
        glfwTerminate();
    }
};

Scenes& scenes() {
    static Scenes s;
    return s;
}

void BM_SceneDesktopFrameAtEyeSize(benchmark::State& state) {
    Scenes& s = scenes();
    if (!s.failure.empty()) {
        state.SkipWithError(s.failure.c_str());
        return;
    }
    glfwMakeContextCurrent(s.desktopWindow);
    for (auto _ : state) {
        s.desktop->frame(s.desktopFrame++);
        glfwSwapBuffers(s.desktopWindow);
        glFinish();
    }
}
BENCHMARK(BM_SceneDesktopFrameAtEyeSize)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SceneVirtualHeadsetFrame(benchmark::State& state) {
    Scenes& s = scenes();
    if (!s.failure.empty()) {
        state.SkipWithError(s.failure.c_str());
        return;
    }
    glfwMakeContextCurrent(s.headsetWindow);
    for (auto _ : state) {
        s.headsetScene->frame(s.headsetFrame++);  // presents and swaps through the runtime
        glFinish();
    }
}
BENCHMARK(BM_SceneVirtualHeadsetFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The two modes frame by frame in turn, so that both see the same load on a shared machine;
// the counters give each mode's mean frame and the headset's ratio to the desktop.
void BM_SceneHeadsetAgainstDesktop(benchmark::State& state) {
    Scenes& s = scenes();
    if (!s.failure.empty()) {
        state.SkipWithError(s.failure.c_str());
        return;
    }
    using Clock = std::chrono::steady_clock;
    double desktopSeconds = 0.0;
    double headsetSeconds = 0.0;
    for (auto _ : state) {
        glfwMakeContextCurrent(s.desktopWindow);
        const auto t0 = Clock::now();
        s.desktop->frame(s.desktopFrame++);
        glfwSwapBuffers(s.desktopWindow);
        glFinish();
        const auto t1 = Clock::now();
        glfwMakeContextCurrent(s.headsetWindow);
        const auto t2 = Clock::now();
        s.headsetScene->frame(s.headsetFrame++);
        glFinish();
        const auto t3 = Clock::now();
        desktopSeconds += std::chrono::duration<double>(t1 - t0).count();
        headsetSeconds += std::chrono::duration<double>(t3 - t2).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["desktop_ms"] = 1000.0 * desktopSeconds / n;
    state.counters["headset_ms"] = 1000.0 * headsetSeconds / n;
    state.counters["ratio"] = desktopSeconds > 0.0 ? headsetSeconds / desktopSeconds : 0.0;
}
BENCHMARK(BM_SceneHeadsetAgainstDesktop)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
