#pragma once
// Everything that exists while the window is open: clock, catalogue, headset render targets,
// renderers, input and the running script, and the frame that drives them.

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
#include "script/InputState.h"
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
    // Follows the window's framebuffer; used by the desktop projection.
    void setAspect(float aspect) { aspect_ = aspect; }
    float aspect() const { return aspect_; }

    const ScriptContext& script() const { return script_; }
    const SimulationClock& clock() const { return clock_; }

    // The desktop projection: 45 handed to a perspective taking radians, as the splash quad
    // is sized for it (a vertical field of view of about 58.3 degrees).
    static glm::mat4 desktopProjection(float aspect);

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
    void renderHeadset(std::uint32_t frameIndex);
    void drawScene(const glm::mat4& projection, const glm::mat4& view, const glm::mat4& sky,
                   double* since = nullptr);
    void layOutPanels(float dt);

    ovrlib::Headset* headset_;
    float aspect_;
    SimulationClock clock_;
    float scale_ = orbit::sceneScale;  // scene units per metre: one unit is one Earth radius
    std::vector<Satellite> satellites_;
    std::shared_ptr<ovrlib::GlRenderState> renderState_;
    std::vector<ovrlib::Framebuffer> eyeFramebuffers_;
    std::shared_ptr<ovrlib::BoundGlRenderState> boundRenderState_;
    SplashScreens splashScreens_;
    Starfield starfield_;
    EarthRenderer earth_;
    SatelliteRenderer satelliteRenderer_;
    PanelRenderer panelRenderer_;
    GlfwJoysticks joysticks_;
    InputState input_;
    ScriptContext script_;
    // Window-system seconds at the end of the previous frame. Kept in double precision: a
    // float of a long-running clock rounds the step to milliseconds, and sometimes to zero.
    double lastFrameTime_;
    bool timing_ = false;
    double stageSeconds_[StageCount] = {};
    void markStage(FrameStage stage, double& since);
};

}  // namespace earth
