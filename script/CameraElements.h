#pragma once
// Script elements that move the camera: timed flights, riding a satellite, the free orbit
// the viewer steers, and the flight to and back from the selected satellite.

#include "data/OrbitGeometry.h"
#include "script/Camera.h"
#include "script/ScriptElement.h"
#include "script/Tween.h"

#include <cstdint>
#include <optional>

namespace earth {

class Selection;

// Holding "]" raises the rate by 250 simulated seconds per second each second, "[" lowers it;
// unbounded, so time may run backwards.
void applyRateControl(ScriptContext& ctx);

// A timed move from wherever the camera is to a fixed pose. Armed once, at construction.
class CameraTransition : public IScriptElement {
public:
    CameraTransition(const OrbitPose& target, float duration, IScriptElement* next);
    IScriptElement* start(ScriptContext& ctx) override;
    IScriptElement* update(float dt, ScriptContext& ctx) override;
    bool isFinished() const override { return !progress_.active; }

private:
    OrbitPose startPose_;
    OrbitPose targetPose_;
    Tween progress_;
    IScriptElement* next_;
};

// A timed flight onto a moving satellite; waits while the satellite is not found.
class TransitionToSatellite : public IScriptElement {
public:
    TransitionToSatellite(std::int32_t satellite, float duration, IScriptElement* next);
    IScriptElement* start(ScriptContext& ctx) override;
    IScriptElement* update(float dt, ScriptContext& ctx) override;

private:
    IScriptElement* next_;
    OrbitPose startPose_;
    Tween progress_;
    std::int32_t satellite_;
};

// Rides a satellite, looking straight down with its motion to the right. Never hands over;
// reports finished so that a compound holding it ends with its other children.
class StickToSatellite : public IScriptElement {
public:
    explicit StickToSatellite(std::int32_t satellite) : satellite_(satellite) {}
    IScriptElement* update(float dt, ScriptContext& ctx) override;
    bool isFinished() const override { return true; }

private:
    std::int32_t satellite_;
};

// The free camera's state: an upright view of the Earth's centre steered by the axes.
struct OrbitController {
    explicit OrbitController(const float* scale) : scale(scale) {}

    // Keys and sticks steer; in a desktop window the left-dragged mouse turns the view
    // (the globe follows the pointer) and the wheel zooms, within the same limits.
    void update(const FrameInput& input);

    OrbitPose pose;
    const float* scale;  // metres to scene units, owned by the scene
    float turnRate = 0.04f;           // revolutions per second
    float zoomRate = 5000000.0f;      // metres per second
    float maxDistance = 10.0f * orbit::earthRadius;  // metres
    float minDistance = 1.3f * orbit::earthRadius;   // metres
    float dragTurn = 0.005f;  // radians per dragged pixel
    float wheelZoom = 0.85f;  // distance factor per notch towards the Earth

    static constexpr float kMaxElevation = 1.5697963f;  // just short of the pole
};

// Steered by keys, sticks and the mouse. Continue (held) hands over to selecting by looking,
// select or a double click on a satellite to the flight there. In a desktop window the
// pointer labels the satellite under it, a click selects it (or clears the selection over
// empty sky), a right click or skip clears it.
class FreeCameraElement : public IScriptElement {
public:
    FreeCameraElement(Selection* selection, const float* scale, IScriptElement* lookNext,
                      IScriptElement* followNext);
    IScriptElement* start(ScriptContext& ctx) override;
    IScriptElement* update(float dt, ScriptContext& ctx) override;

    const OrbitController& controller() const { return controller_; }

private:
    Selection* selection_;
    OrbitController controller_;
    IScriptElement* lookNext_;
    IScriptElement* followNext_;
};

// Flies to the selected satellite (time halted), then rides it with the full panel beside
// the view until the skip control.
class StickToSelection : public IScriptElement {
public:
    StickToSelection(Selection* selection, float speed, float angularSpeed, IScriptElement* next);
    IScriptElement* start(ScriptContext& ctx) override;
    IScriptElement* update(float dt, ScriptContext& ctx) override;

    const Tween& progress() const { return progress_; }

private:
    Selection* selection_;
    IScriptElement* next_;
    OrbitPose startPose_;
    Tween progress_;
    float speed_;
    float angularSpeed_;
    std::optional<float> savedRate_;
};

// Turns the camera upright again, keeping its place, then shows the panel at the satellite.
class ReorientToFixedCamera : public IScriptElement {
public:
    ReorientToFixedCamera(Selection* selection, float angularSpeed, IScriptElement* next);
    IScriptElement* start(ScriptContext& ctx) override;
    IScriptElement* update(float dt, ScriptContext& ctx) override;

    const Tween& progress() const { return progress_; }

private:
    Selection* selection_;
    IScriptElement* next_;
    OrbitPose startPose_;
    OrbitPose targetPose_;
    Tween progress_;
    float angularSpeed_;
    float savedRate_ = 0.0f;
};

}  // namespace earth
