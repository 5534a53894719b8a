#pragma once
// Everything that exists while the window is open: clock, catalogue, headset render targets,
// renderers, input and the running script, and the frame that drives them.

#include "app/FullScreen.h"
#include "app/Hud.h"
#include "app/InputState.h"
#include "app/StartupTimings.h"
#include "data/OrbitGeometry.h"
#include "data/Satellite.h"
#include "data/SimulationClock.h"
#include "data/Sky.h"
#include "ovrlib/Framebuffer.h"
#include "render/EarthRenderer.h"
#include "render/PanelRenderer.h"
#include "render/SatelliteRenderer.h"
#include "render/SplashScreens.h"
#include "render/Starfield.h"
#include "overlay/Overlay.h"
#include "script/ScriptElement.h"

#include <glm/mat4x4.hpp>

#include <cstdint>
#include <memory>
#include <vector>

struct GLFWwindow;

namespace ovrlib {
class Headset;
class GlRenderState;
class BoundGlRenderState;
}  // namespace ovrlib

namespace earth {

class Scene {
public:
    // Needs the window's GL context current. `headset` is null in desktop mode and must
    // outlive the scene. The clock starts at the sky's start instant.
    Scene(ovrlib::Headset* headset, GLFWwindow* window, float aspect, bool noTour,
          Sky sky = embeddedSky());
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // One iteration of the main loop: input, script, clock, propagation, panels, drawing.
    void frame(std::uint32_t frameIndex);

    InputState& input() { return input_; }
    // Lights the globe from the Sun of the simulated instant instead of the fixed light.
    void setTrueSun(bool on) { earth_.setTrueSun(on); }
    bool trueSun() const { return earth_.trueSun(); }
    // Follows the window's framebuffer; used by the desktop projection.
    void setAspect(float aspect) { aspect_ = aspect; }
    float aspect() const { return aspect_; }

    const ScriptContext& script() const { return script_; }
    const SimulationClock& clock() const { return clock_; }


    // Per-stage frame costs, kept only with ORBITARIUM_TIMINGS=1: each stage ends with glFinish
    // so that the software rasteriser's work counts where it was asked for.
    enum FrameStage { Input, Script, Propagate, Panels, Stars, Globe, Satellites, PanelDraw,
                      Splash, Present, StageCount };
    bool timingFrames() const { return timing_; }
    void addStageTime(FrameStage stage, double seconds) { stageSeconds_[stage] += seconds; }
    // Frames from this index on are summed; the line is printed after `kTimedFrames` of them.
    static constexpr std::uint32_t kFirstTimedFrame = 20;
    static constexpr std::uint32_t kTimedFrames = 50;
    void printFrameTimings() const;

private:
    // `since`, when timing, is the end of the previous stage.
    void renderDesktop(double* since = nullptr);
    // Both eyes' drawing adds to the same stages.
    void renderHeadset(std::uint32_t frameIndex, double* since = nullptr);
    void drawScene(const glm::mat4& projection, const glm::mat4& view, const glm::mat4& sky,
                   double* since = nullptr);
    void layOutPanels(float dt);
    // Mute, full screen and screenshot: the window's and the program's own controls.
    void applyWindowControls(const FrameInput& input, bool afterDrawing);

    ovrlib::Headset* headset_;
    GLFWwindow* window_;
    float aspect_;
    // Each StartupMark times the member declared just before it.
    StartupMarkBegin startupBegin_;
    SimulationClock clock_;
    float scale_ = orbit::sceneScale;  // scene units per metre: one unit is one Earth radius
    std::vector<Satellite> satellites_;
    StartupMark catalogueMark_{StartupStage::Catalogue};
    std::shared_ptr<ovrlib::GlRenderState> renderState_;
    std::vector<ovrlib::Framebuffer> eyeFramebuffers_;
    std::shared_ptr<ovrlib::BoundGlRenderState> boundRenderState_;
    SplashScreens splashScreens_;
    StartupMark splashMark_{StartupStage::Splash};
    Starfield starfield_;
    StartupMark starsMark_{StartupStage::Stars};
    EarthRenderer earth_;
    StartupMark globeMark_{StartupStage::Globe};
    SatelliteRenderer satelliteRenderer_;
    StartupMark satellitesMark_{StartupStage::Satellites};
    PanelRenderer panelRenderer_;
    FontTextureLease font_;
    Hud hud_;
    StartupMark panelsMark_{StartupStage::Panels};
    GlfwJoysticks joysticks_;
    InputState input_;
    ScriptContext script_;
    StartupMark scriptMark_{StartupStage::Script};
    // The centre of the view last shown: what the viewer looks at when the next frame's script
    // asks.
    Ray gaze_;
    glm::vec2 windowSize_{0.0f};  // desktop window, in the pointer's and the HUD's pixels
    FullScreen fullScreen_;
    bool muted_ = false;
    // Window-system seconds at the end of the previous frame. Kept in double precision: a
    // float of a long-running clock rounds the step to milliseconds, and sometimes to zero.
    double lastFrameTime_;
    bool timing_ = false;
    double stageSeconds_[StageCount] = {};
    void markStage(FrameStage stage, double& since);
};

}  // namespace earth
