#include "app/Scene.h"

#include "data/StartupTimings.h"
#include "overlay/SatelliteInformationPanel.h"
#include "ovrlib/Headset.h"
#include "render/PanelPlacement.h"
#include "script/Tour.h"

#include <epoxy/gl.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

#include <cstdio>
#include <utility>

namespace earth {
namespace {

constexpr float kInitialRate = 1000.0f;  // simulated seconds per real second

ScriptContext buildScript(bool noTour, const std::vector<Satellite>& satellites,
                          SatelliteOperations* renderer, InputState* input, const float* scale) {
    return noTour ? buildNoTour(satellites, renderer, input, scale, kInitialRate)
                  : buildTour(satellites, renderer, input, scale, kInitialRate);
}

}  // namespace

Scene::Scene(ovrlib::Headset* headset, GLFWwindow* window, float aspect, bool noTour, Sky sky)
    : headset_(headset),
      aspect_(aspect),
      clock_(sky.start),
      satellites_(std::move(sky.satellites)),
      splashScreens_(glm::vec3(0.0f, 0.0f, 1.75f), 1.25f, 2.0f),
      earth_(clock_, scale_),
      satelliteRenderer_(clock_, satellites_),
      input_(&joysticks_),
      script_(buildScript(noTour, satellites_, &satelliteRenderer_, &input_, &scale_)),
      lastFrameTime_(glfwGetTime()),
      timing_(timingsRequested()) {
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

glm::mat4 Scene::desktopProjection(float aspect) {
    return glm::perspective(45.0f, aspect, 0.1f, 100.0f);
}

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

    const bool anyInput = input_.update(dt);
    if (anyInput && headset_ != nullptr) headset_->dismissNotice();
    if (input_.continueControl() == ControlState::Pressed) script_.onContinue();
    if (input_.skipControl() == ControlState::Pressed) script_.onSkip();
    if (input_.recenterControl() != ControlState::Up && headset_ != nullptr) headset_->recenter();
    if (input_.pauseControl() == ControlState::Pressed) script_.togglePause();
    if (timed) markStage(Input, since);

    script_.update(dt);
    if (timed) markStage(Script, since);
    if (!script_.paused && script_.rate != 0.0f) {
        clock_.advance(static_cast<double>(script_.rate) * static_cast<double>(dt));
    }
    satelliteRenderer_.propagate();
    if (timed) markStage(Propagate, since);

    layOutPanels(dt);
    if (timed) markStage(Panels, since);

    if (headset_ != nullptr) {
        renderHeadset(frameIndex);
    } else {
        renderDesktop(timed ? &since : nullptr);
    }
    lastFrameTime_ = now;
}

void Scene::layOutPanels(float dt) {
    const CameraFrame camera = script_.camera;
    const PanelCamera panelCamera{camera.position, camera.forward, camera.up, camera.basis[0]};
    panelRenderer_.clear();
    for (const auto& [number, entry] : script_.panels) {
        const auto where = satelliteRenderer_.getPosition(number);
        if (!where) continue;  // not held by the renderer, or no position yet
        const PanelPlacement place =
            placePanel(panelCamera, entry.nearView, where->position, where->direction);
        drawSatelliteInformation(panelRenderer_, place, dt, entry.satellite, entry.details == 0);
    }
    panelRenderer_.upload();
}

void Scene::renderDesktop(double* since) {
    const CameraFrame camera = script_.camera;
    script_.gazeOrigin = camera.position;
    script_.gazeDirection = camera.forward;
    const glm::mat4 projection = desktopProjection(aspect_);
    const glm::mat4 view = glm::lookAt(camera.position, camera.position + camera.forward, camera.up);
    const glm::mat4 sky = projection * glm::lookAt(glm::vec3(0.0f), camera.forward, camera.up);
    drawScene(projection, view, sky, since);
}

void Scene::renderHeadset(std::uint32_t frameIndex) {
    const CameraFrame& camera = script_.camera;
    const ovrlib::EyeCamera eyeCamera{camera.position, camera.forward, camera.up, camera.basis};
    const ovrlib::Gaze gaze = ovrlib::renderHeadsetFrame(
        *boundRenderState_, *headset_, eyeFramebuffers_, frameIndex, eyeCamera,
        [this](const glm::mat4& projection, const glm::mat4& view, const glm::mat4& sky) {
            drawScene(projection, view, sky);
        });
    script_.gazeOrigin = gaze.origin;
    script_.gazeDirection = gaze.direction;
}

void Scene::drawScene(const glm::mat4& projection, const glm::mat4& view, const glm::mat4& sky,
                      double* since) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    starfield_.draw(sky);
    if (since != nullptr) markStage(Stars, *since);
    earth_.draw(projection, view);
    if (since != nullptr) markStage(Globe, *since);
    satelliteRenderer_.draw(projection, view);
    if (since != nullptr) markStage(Satellites, *since);
    panelRenderer_.draw(projection, view);
    if (since != nullptr) markStage(PanelDraw, *since);
    if (script_.splash != 0) splashScreens_.draw(script_.splash, projection, view);
    if (since != nullptr) markStage(Splash, *since);
}

}  // namespace earth
