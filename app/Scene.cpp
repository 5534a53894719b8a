#include "app/Scene.h"

#include "app/DesktopView.h"
#include "app/Screenshot.h"
#include "data/Catalogue.h"
#include "overlay/SatelliteInformationPanel.h"
#include "ovrlib/Headset.h"
#include "render/PanelPlacement.h"
#include "script/Tour.h"

#include <epoxy/gl.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

#include <cstdio>
#include <ctime>
#include <utility>

namespace earth {
namespace {

constexpr float kInitialRate = 1000.0f;  // simulated seconds per real second

ScriptContext buildScript(bool noTour, const std::vector<Satellite>& satellites,
                          SatelliteOperations* renderer, const float* scale) {
    return noTour ? buildNoTour(satellites, renderer, scale, kInitialRate)
                  : buildTour(satellites, renderer, scale, kInitialRate);
}

}  // namespace

Scene::Scene(ovrlib::Headset* headset, GLFWwindow* window, float aspect, bool noTour, Sky sky)
    : headset_(headset),
      window_(window),
      aspect_(aspect),
      clock_(sky.start),
      satellites_(std::move(sky.satellites)),
      splashScreens_(glm::vec3(0.0f, 0.0f, 1.75f), 1.25f, 2.0f),
      earth_(clock_, scale_),
      satelliteRenderer_(clock_, satellites_),
      hud_(satellites_),
      input_(&joysticks_),
      script_(buildScript(noTour, satellites_, &satelliteRenderer_, &scale_)),
      lastFrameTime_(glfwGetTime()),
      timing_(timingsRequested()) {
    script_.desktop = headset_ == nullptr;
    if (headset_ != nullptr) {
        renderState_ = headset_->makeRenderState(window);
        for (int eye = 0; eye < 2; ++eye) {
            eyeFramebuffers_.emplace_back(renderState_->eyeTextureSize[eye].width,
                                          renderState_->eyeTextureSize[eye].height);
        }
        boundRenderState_ = renderState_->bind(eyeFramebuffers_[0].colorTexture(),
                                               eyeFramebuffers_[1].colorTexture());
        headset_->recenter();
    }
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// Members go in reverse order: the headset's render targets and the renderers' GL objects are
// released here, while the window's context is still current.
Scene::~Scene() = default;

void Scene::markStage(FrameStage stage, double& since) {
    if (stage >= Stars) glFinish();
    const double now = glfwGetTime();
    stageSeconds_[stage] += now - since;
    since = now;
}

void Scene::printFrameTimings() const {
    static const char* const names[StageCount] = {"input",      "script",     "propagate",
                                                  "panels",     "stars",      "globe",
                                                  "satellites", "panel-draw", "splash",
                                                  "present"};
    double total = 0.0;
    std::printf("frame (ms, mean of %u):", kTimedFrames);
    for (int stage = 0; stage < StageCount; ++stage) {
        const double ms = stageSeconds_[stage] * 1000.0 / kTimedFrames;
        total += ms;
        std::printf(" %s %.2f,", names[stage], ms);
    }
    std::printf(" total %.2f\n", total);
    std::fflush(stdout);
}

void Scene::frame(std::uint32_t frameIndex) {
    const double now = glfwGetTime();
    const float dt = static_cast<float>(now - lastFrameTime_);
    const bool timed = timing_ && frameIndex >= kFirstTimedFrame &&
                       frameIndex < kFirstTimedFrame + kTimedFrames;
    double since = now;

    FrameInput input = input_.snapshot(dt, gaze_);
    if (headset_ != nullptr) {
        if (input.anyPressed) headset_->dismissNotice();
        if (input.isHeld(Control::Recenter)) headset_->recenter();
        input.pointer = PointerInput{};  // the mouse looks around in the virtual headset
    } else {
        int width = 0;
        int height = 0;
        glfwGetWindowSize(window_, &width, &height);
        windowSize_ = glm::vec2(static_cast<float>(width), static_cast<float>(height));
        input.pointer = pointerRay(input.pointer, script_.camera, windowSize_);
    }
    if (hud_.takeInput(input, script_)) glfwSetWindowShouldClose(window_, GLFW_TRUE);
    applyWindowControls(input, false);
    if (input.wasPressed(Control::Light)) earth_.setTrueSun(!earth_.trueSun());
    if (timed) markStage(Input, since);

    script_.update(input);
    if (timed) markStage(Script, since);
    if (!script_.paused && script_.rate != 0.0f) {
        clock_.advance(static_cast<double>(script_.rate) * static_cast<double>(dt));
    }
    satelliteRenderer_.propagate();
    if (timed) markStage(Propagate, since);

    layOutPanels(dt);
    if (timed) markStage(Panels, since);

    if (headset_ != nullptr) {
        renderHeadset(frameIndex, timed ? &since : nullptr);
    } else {
        renderDesktop(timed ? &since : nullptr);
    }
    applyWindowControls(input, true);
    lastFrameTime_ = now;
}

void Scene::applyWindowControls(const FrameInput& input, bool afterDrawing) {
    if (!afterDrawing) {
        if (input.wasPressed(Control::Mute)) setSoundMuted(muted_ = !muted_);
        if (input.wasPressed(Control::Fullscreen) && headset_ == nullptr) fullScreen_.toggle(window_);
        return;
    }
    // The headset's window shows no picture of its own; the screenshot is a desktop habit.
    if (input.wasPressed(Control::Screenshot) && headset_ == nullptr) {
        int width = 0;
        int height = 0;
        glfwGetFramebufferSize(window_, &width, &height);
        writeScreenshot(width, height, screenshotName(std::time(nullptr)));
    }
}

void Scene::layOutPanels(float dt) {
    const CameraFrame camera = script_.camera;
    const PanelCamera panelCamera{camera.position, camera.forward, camera.up, camera.basis[0]};
    panelRenderer_.clear();
    for (const auto& [number, entry] : script_.panels) {
        const auto where = satelliteRenderer_.getPosition(number);
        const Satellite* satellite = satelliteByNumber(satellites_, number);
        if (!where || satellite == nullptr) continue;  // not shown, or no position yet
        if (Hud::pinned(script_, entry)) continue;      // on the window instead
        const PanelPlacement place =
            placePanel(panelCamera, entry.nearView, where->position, where->direction);
        drawSatelliteInformation(panelRenderer_, place, dt, *satellite, entry.details == 0);
    }
    // The status line counts from the embedded sky's instant, whatever instant the clock
    // started at.
    const double sinceCatalogueEpoch =
        static_cast<double>(
            (clock_.epoch() - SimulationClock::embeddedSkyStart()).total_microseconds()) * 1e-6 +
        clock_.time();
    hud_.layOut(script_, sinceCatalogueEpoch, windowSize_, dt, panelRenderer_, panelCamera);
    panelRenderer_.upload();
}

void Scene::renderDesktop(double* since) {
    const CameraFrame camera = script_.camera;
    gaze_ = Ray{camera.position, camera.forward};
    const glm::mat4 projection = desktopProjection(aspect_, desktopNearPlane(camera.position));
    const glm::mat4 view = glm::lookAt(camera.position, camera.position + camera.forward, camera.up);
    const glm::mat4 sky = projection * glm::lookAt(glm::vec3(0.0f), camera.forward, camera.up);
    drawScene(projection, view, sky, since);
    hud_.draw(windowSize_, font_.texture());
}

void Scene::renderHeadset(std::uint32_t frameIndex, double* since) {
    const CameraFrame& camera = script_.camera;
    const ovrlib::EyeCamera eyeCamera{camera.position, camera.forward, camera.up, camera.basis,
                                      desktopNearPlane(camera.position)};
    const ovrlib::Gaze gaze = ovrlib::renderHeadsetFrame(
        *boundRenderState_, *headset_, eyeFramebuffers_, frameIndex, eyeCamera,
        [this, since](const glm::mat4& projection, const glm::mat4& view, const glm::mat4& sky) {
            drawScene(projection, view, sky, since);
        });
    gaze_ = Ray{gaze.origin, gaze.direction};
}

void Scene::drawScene(const glm::mat4& projection, const glm::mat4& view, const glm::mat4& sky,
                      double* since) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    earth_.draw(projection, view);
    if (since != nullptr) markStage(Globe, *since);
    starfield_.draw(sky);
    if (since != nullptr) markStage(Stars, *since);
    satelliteRenderer_.draw(projection, view);
    if (since != nullptr) markStage(Satellites, *since);
    panelRenderer_.draw(projection, view, font_.texture());
    if (since != nullptr) markStage(PanelDraw, *since);
    if (script_.splash != 0) splashScreens_.draw(script_.splash, projection, view);
    if (since != nullptr) markStage(Splash, *since);
}

}  // namespace earth
