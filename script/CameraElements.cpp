#include "script/CameraElements.h"

#include "render/SatelliteOperations.h"
#include "script/Selection.h"

#include <algorithm>
#include <cmath>

namespace earth {

namespace {

// Riding in a desktop window keeps the limb and the sky in view, tilting in as the flight
// arrives; in a headset the viewer looks around freely, so the ride looks straight down.
CameraFrame rideFrame(const ScriptContext& ctx, const CameraFrame& frame, float tilt) {
    return ctx.desktop ? tiltTowardHorizon(frame, tilt) : frame;
}

}  // namespace

void applyRateControl(ScriptContext& ctx) {
    const float v = ctx.input.rate;
    if (v != 0.0f) {
        ctx.rate = ctx.effectiveRate() - ctx.input.dt * 250.0f * v;
    }
}

CameraTransition::CameraTransition(const OrbitPose& target, float duration, IScriptElement* next)
    : targetPose_(target), next_(next) {
    progress_.arm(0.0f, 1.0f, duration);
}

IScriptElement* CameraTransition::start(ScriptContext& ctx) {
    startPose_ = fromFrame(ctx.camera);
    return nullptr;
}

IScriptElement* CameraTransition::update(float dt, ScriptContext& ctx) {
    progress_.update(dt);
    ctx.camera = interpolate(startPose_, targetPose_, progress_.value).frame;
    return progress_.active ? nullptr : next_;
}

TransitionToSatellite::TransitionToSatellite(std::int32_t satellite, float duration,
                                             IScriptElement* next)
    : next_(next), satellite_(satellite) {
    progress_.arm(0.0f, 1.0f, duration);
}

IScriptElement* TransitionToSatellite::start(ScriptContext& ctx) {
    startPose_ = fromFrame(ctx.camera);
    return nullptr;
}

IScriptElement* TransitionToSatellite::update(float dt, ScriptContext& ctx) {
    const std::optional<SatellitePosition> at = ctx.renderer->getPosition(satellite_);
    if (!at) {
        return nullptr;
    }
    progress_.update(dt);
    const OrbitPose target = lookFromPoint(at->position, at->direction);
    ctx.camera = interpolate(startPose_, target, progress_.value).frame;
    return progress_.active ? nullptr : next_;
}

IScriptElement* StickToSatellite::update(float, ScriptContext& ctx) {
    if (const std::optional<SatellitePosition> at = ctx.renderer->getPosition(satellite_)) {
        ctx.camera = lookFromPoint(at->position, at->direction).frame;
    }
    return nullptr;
}

void OrbitController::update(const FrameInput& input) {
    const float dt = input.dt;
    const float speed = zoomRate * *scale;
    const float far = maxDistance * *scale;
    const float near = minDistance * *scale;

    const float turn = dt * turnRate * 2.0f * orbit::pi;
    const PointerInput& pointer = input.pointer;
    const glm::vec2 drag = pointer.inside ? pointer.drag : glm::vec2(0.0f);
    const float wheel = pointer.inside ? pointer.wheel : 0.0f;
    const float elevation = std::clamp(input.pitch * turn + drag.y * dragTurn + pose.elevation,
                                       -kMaxElevation, kMaxElevation);
    const float azimuth = static_cast<float>(std::fmod(
        static_cast<double>(input.yaw * turn - drag.x * dragTurn + pose.azimuth), 2.0 * orbit::pi));
    const float zoomed = (input.zoom * dt * speed + pose.distance) * std::pow(wheelZoom, wheel);
    const float distance = std::min(std::max(zoomed, near), far);
    pose = fromAngles(elevation, azimuth, distance, kWorldUp);
}

FreeCameraElement::FreeCameraElement(Selection* selection, const float* scale,
                                     IScriptElement* lookNext, IScriptElement* followNext)
    : selection_(selection),
      controller_(scale),
      lookNext_(lookNext),
      followNext_(followNext) {}

IScriptElement* FreeCameraElement::start(ScriptContext& ctx) {
    controller_.pose = fromFrame(ctx.camera);
    return nullptr;
}

IScriptElement* FreeCameraElement::update(float, ScriptContext& ctx) {
    const FrameInput& input = ctx.input;
    controller_.update(input);
    ctx.camera = controller_.pose.frame;
    const PointerInput& pointer = input.pointer;
    // The pick measures to a satellite's tip; pointing anywhere on its head, a few pixels
    // either side of the thin tube, still hits it.
    constexpr float kPointerReachPixels = 12.0f;
    const int under = pointer.inside ? ctx.renderer->pickByGaze(pointer.ray.origin,
                                                                pointer.ray.direction,
                                                                kPointerReachPixels * pointer.pixelAngle)
                                     : -1;
    selection_->hover(pointer.leftHeld ? -1 : under, ctx);
    if (input.wasPressed(Control::Continue)) {
        selection_->hover(-1, ctx);
        return lookNext_;
    }
    if (input.wasPressed(Control::Skip) || pointer.rightClick) {
        selection_->deselect(ctx);
    }
    if (pointer.click) {
        if (under >= 0) {
            selection_->select(under, ctx);
            selection_->confirm(ctx, false);
        } else {
            selection_->deselect(ctx);
        }
    }
    if ((input.wasPressed(Control::Select) || (pointer.doubleClick && under >= 0)) &&
        selection_->current >= 0) {
        selection_->hover(-1, ctx);
        return followNext_;
    }
    applyRateControl(ctx);
    return nullptr;
}

StickToSelection::StickToSelection(Selection* selection, float speed, float angularSpeed,
                                   IScriptElement* next)
    : selection_(selection),
      next_(next),
      speed_(speed),
      angularSpeed_(angularSpeed) {}

IScriptElement* StickToSelection::start(ScriptContext& ctx) {
    const std::optional<SatellitePosition> at = ctx.renderer->getPosition(selection_->current);
    if (!at) {
        return next_;
    }
    ctx.renderer->setOrbitAlpha(0.1f);
    selection_->dropPanel(ctx);
    selection_->setRidden(true, ctx);
    // A flight begun again on the way (a search) keeps the rate from before the first.
    if (!savedRate_) savedRate_ = ctx.effectiveRate();
    ctx.rate = 0.0f;
    startPose_ = fromFrame(ctx.camera);
    const OrbitPose target = lookFromPoint(at->position, at->direction);
    const float pathTime = pathLength(startPose_, target) / speed_;
    const float turnTime = upAngle(startPose_, target) / angularSpeed_;
    // A non-number on either side must not hide the other; Tween takes what is left as 0.
    const float duration = std::isnan(turnTime) || !(turnTime > pathTime) ? pathTime : turnTime;
    progress_.arm(0.0f, 1.0f, duration);
    return nullptr;
}

IScriptElement* StickToSelection::update(float dt, ScriptContext& ctx) {
    const std::optional<SatellitePosition> at = ctx.renderer->getPosition(selection_->current);
    if (!at) {
        return next_;
    }
    progress_.update(dt);
    const OrbitPose target = lookFromPoint(at->position, at->direction);
    ctx.camera = rideFrame(ctx, interpolate(startPose_, target, progress_.value).frame, progress_.value);
    if (progress_.active) {
        return nullptr;
    }
    if (savedRate_) {
        ctx.rate = *savedRate_;
        savedRate_.reset();
    }
    applyRateControl(ctx);
    selection_->confirm(ctx, true);
    if (ctx.input.wasPressed(Control::Skip) || ctx.input.pointer.rightClick) {
        selection_->setRidden(false, ctx);
        return next_;
    }
    return nullptr;
}

ReorientToFixedCamera::ReorientToFixedCamera(Selection* selection, float angularSpeed,
                                             IScriptElement* next)
    : selection_(selection), next_(next), angularSpeed_(angularSpeed) {}

IScriptElement* ReorientToFixedCamera::start(ScriptContext& ctx) {
    selection_->dropPanel(ctx);
    startPose_ = fromFrame(ctx.camera);
    targetPose_ = fromAngles(startPose_.elevation, startPose_.azimuth, startPose_.distance, kWorldUp);
    progress_.arm(0.0f, 1.0f, upAngle(startPose_, targetPose_) / angularSpeed_);
    savedRate_ = ctx.effectiveRate();
    ctx.rate = 0.0f;
    return nullptr;
}

IScriptElement* ReorientToFixedCamera::update(float dt, ScriptContext& ctx) {
    progress_.update(dt);
    // Leaving a desktop ride: the tilt toward the horizon unwinds as the view turns upright.
    ctx.camera = rideFrame(ctx, interpolate(startPose_, targetPose_, progress_.value).frame,
                           1.0f - progress_.value);
    if (progress_.active) {
        return nullptr;
    }
    ctx.rate = savedRate_;
    selection_->confirm(ctx, false);
    ctx.renderer->setOrbitAlpha(1.0f);
    return next_;
}

}  // namespace earth
