#include "script/Camera.h"

#include "data/OrbitGeometry.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>

namespace earth {
namespace {

constexpr float kPi = orbit::pi;
constexpr float kTwoPi = 2.0f * orbit::pi;
// Below this a cross product of unit vectors is rounding noise, not a direction.
constexpr float kParallel = 1e-6f;

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// A unit vector, or nothing when v has no usable direction.
bool unitOf(const glm::vec3& v, glm::vec3& out) {
    if (!finite(v)) {
        return false;
    }
    const float len = glm::length(v);
    if (!(len > kParallel) || !std::isfinite(len)) {
        return false;
    }
    out = v / len;
    return true;
}

// Some unit vector at right angles to the unit vector v.
glm::vec3 perpendicularTo(const glm::vec3& v) {
    const glm::vec3 a = std::fabs(v.x) < 0.577f ? glm::vec3(1, 0, 0)
                        : std::fabs(v.y) < 0.577f ? glm::vec3(0, 1, 0)
                                                  : glm::vec3(0, 0, 1);
    return glm::normalize(glm::cross(v, a));
}

// acos of a cosine that rounding may have pushed just outside [-1, 1].
float safeAcos(float c) {
    if (!std::isfinite(c)) {
        return 0.0f;
    }
    return static_cast<float>(std::acos(std::clamp(static_cast<double>(c), -1.0, 1.0)));
}

float sanitized(float v) { return std::isfinite(v) ? v : 0.0f; }

float wrapAzimuth(float azimuth) {
    // Bound the loops below: huge values would need millions of steps, and subtracting
    // 2π from a large enough float changes nothing.
    if (std::fabs(azimuth) > 4.0f * kTwoPi) {
        azimuth = static_cast<float>(std::fmod(static_cast<double>(azimuth), kTwoPi));
    }
    while (azimuth < 0.0f) {
        azimuth += kTwoPi;
    }
    while (azimuth > kTwoPi) {
        azimuth -= kTwoPi;
    }
    return azimuth;
}

// The up reference at t: a's up turned towards b's about their common normal.
glm::vec3 blendUp(const OrbitPose& a, const OrbitPose& b, float t) {
    const glm::vec3& ua = a.frame.up;
    const glm::vec3& ub = b.frame.up;
    if (ua == ub) {
        return ua;
    }
    glm::vec3 na;
    glm::vec3 nb;
    const bool haveA = unitOf(ua, na);
    const bool haveB = unitOf(ub, nb);
    if (!haveA || !haveB) {
        return haveA ? na : haveB ? nb : kWorldUp;
    }
    const glm::vec3 normal = glm::cross(na, nb);
    const float dot = glm::dot(na, nb);
    glm::vec3 axis;
    if (!unitOf(normal, axis)) {
        // Parallel ups (often differing only in the last bit): nothing to turn.
        if (dot > 0.0f) {
            return na;
        }
        // Opposite ups: roll about a's line of sight, which keeps the up at right angles
        // to the view at the start of the move.
        glm::vec3 forward;
        const bool haveForward = unitOf(a.frame.forward - glm::dot(a.frame.forward, na) * na,
                                        forward);
        axis = haveForward ? forward : perpendicularTo(na);
        return glm::normalize(rotateAbout(na, kPi * t, axis));
    }
    const glm::vec3 turned = rotateAbout(na, safeAcos(dot) * t, axis);
    glm::vec3 out;
    return unitOf(turned, out) ? out : na;
}

}  // namespace

CameraFrame CameraFrame::build(const glm::vec3& position, const glm::vec3& forward,
                               const glm::vec3& right, const glm::vec3& up) {
    CameraFrame f;
    f.position = position;
    f.forward = forward;
    f.up = up;
    f.basis = glm::mat3(right, up, -forward);
    return f;
}

glm::vec3 rotateAbout(const glm::vec3& v, float angle, const glm::vec3& axis) {
    const glm::vec3 k = glm::normalize(axis);
    const float c = static_cast<float>(std::cos(static_cast<double>(angle)));
    const float s = static_cast<float>(std::sin(static_cast<double>(angle)));
    return v * c + glm::cross(k, v) * s + k * (glm::dot(k, v) * (1.0f - c));
}

glm::vec3 spherePosition(float elevation, float azimuth, float distance) {
    const glm::vec3 turned = rotateAbout(glm::vec3(0.0f, 0.0f, distance), azimuth, kWorldUp);
    const glm::vec3 tiltAxis = rotateAbout(glm::vec3(-1.0f, 0.0f, 0.0f), azimuth, kWorldUp);
    return rotateAbout(turned, elevation, tiltAxis);
}

OrbitPose fromFrame(const CameraFrame& frame) {
    const double x = frame.position.x;
    const double y = frame.position.y;
    const double z = frame.position.z;
    OrbitPose pose;
    pose.frame = frame;
    pose.elevation = static_cast<float>(M_PI / 2 - std::atan2(std::hypot(x, z), y));
    float azimuth = static_cast<float>(std::atan2(x, z));
    if (azimuth < 0.0f) {
        azimuth += kTwoPi;
    }
    pose.azimuth = azimuth;
    pose.distance = std::sqrt(frame.position.x * frame.position.x +
                              frame.position.y * frame.position.y +
                              frame.position.z * frame.position.z);
    return pose;
}

OrbitPose fromAngles(float elevation, float azimuth, float distance,
                     const glm::vec3& upReference) {
    // A non-number here would stay in the camera for every later frame.
    OrbitPose pose;
    pose.elevation = sanitized(elevation);
    pose.azimuth = wrapAzimuth(sanitized(azimuth));
    pose.distance = sanitized(distance);

    const glm::vec3 p = spherePosition(pose.elevation, pose.azimuth, pose.distance);
    glm::vec3 forward;
    if (!unitOf(-p, forward)) {
        forward = -spherePosition(pose.elevation, pose.azimuth, 1.0f);
    }
    glm::vec3 right;
    if (!finite(upReference) || !unitOf(glm::cross(forward, upReference), right)) {
        // Reference along the view: take the limit of F x up as the camera nears the pole.
        const double a = pose.azimuth;
        right = glm::vec3(static_cast<float>(std::cos(a)), 0.0f, static_cast<float>(-std::sin(a)));
        if (finite(upReference) && upReference.y < 0.0f) {
            right = -right;
        }
    }
    const glm::vec3 up = glm::normalize(glm::cross(right, forward));
    pose.frame = CameraFrame::build(p, forward, right, up);
    return pose;
}

OrbitPose lookFromPoint(const glm::vec3& point, const glm::vec3& right) {
    glm::vec3 forward;
    if (!unitOf(-point, forward)) {
        forward = glm::vec3(0.0f, 0.0f, -1.0f);
    }
    glm::vec3 up;
    if (!unitOf(glm::cross(right, forward), up)) {
        up = perpendicularTo(forward);
    }
    return fromFrame(CameraFrame::build(point, forward, right, up));
}

CameraFrame tiltTowardHorizon(const CameraFrame& f, float amount) {
    const float distance = glm::length(f.position);
    if (!(distance > 1.0f) || !std::isfinite(distance) || !(amount > 0.0f)) return f;
    // The horizon lies `dip` below the local horizontal; look a quarter radian under it.
    const float dip = std::acos(1.0f / distance);
    const float tilt = std::min(amount, 1.0f) * (kPi / 2.0f - std::min(dip + 0.25f, kPi / 2.0f));
    const glm::vec3 forward = std::cos(tilt) * f.forward + std::sin(tilt) * f.up;
    const glm::vec3 up = std::cos(tilt) * f.up - std::sin(tilt) * f.forward;
    return CameraFrame::build(f.position, forward, f.basis[0], up);
}

OrbitPose interpolate(const OrbitPose& a, const OrbitPose& b, float t) {
    float bAzimuth = b.azimuth;
    if (std::isfinite(a.azimuth) && std::isfinite(bAzimuth)) {
        if (std::fabs(bAzimuth - a.azimuth) > 4.0f * kTwoPi) {
            bAzimuth = a.azimuth + static_cast<float>(std::fmod(
                                       static_cast<double>(bAzimuth) - a.azimuth, kTwoPi));
        }
        while (bAzimuth - a.azimuth > kPi) {
            bAzimuth -= kTwoPi;
        }
        while (bAzimuth - a.azimuth < -kPi) {
            bAzimuth += kTwoPi;
        }
    }
    const float azimuth = a.azimuth + (bAzimuth - a.azimuth) * t;
    const float elevation = a.elevation + (b.elevation - a.elevation) * t;
    const float distance = a.distance + (b.distance - a.distance) * t;
    return fromAngles(elevation, azimuth, distance, blendUp(a, b, t));
}

float upAngle(const OrbitPose& a, const OrbitPose& b) {
    glm::vec3 na;
    glm::vec3 nb;
    if (!unitOf(a.frame.up, na) || !unitOf(b.frame.up, nb)) {
        return 0.0f;
    }
    return safeAcos(glm::dot(na, nb));
}

float pathLength(const OrbitPose& a, const OrbitPose& b) {
    const double ae = a.elevation;
    const double aa = a.azimuth;
    const double be = b.elevation;
    const double ba = b.azimuth;
    const float d1 = static_cast<float>(std::sin(be)) - static_cast<float>(std::sin(ae));
    const float d2 = static_cast<float>(std::sin(ba)) * static_cast<float>(std::cos(be)) -
                     static_cast<float>(std::sin(aa)) * static_cast<float>(std::cos(ae));
    const float d3 = static_cast<float>(std::cos(ba)) * static_cast<float>(std::cos(be)) -
                     static_cast<float>(std::cos(aa)) * static_cast<float>(std::cos(ae));
    const float chord = std::sqrt(d1 * d1 + d2 * d2 + d3 * d3);
    // Nearly opposite directions: rounding can push the half chord just above 1.
    const double half = std::min(static_cast<double>(chord) / 2.0, 1.0);
    const float central = static_cast<float>(2.0 * std::asin(half));
    return std::fabs(b.distance - a.distance) + central * (a.distance + b.distance) / 2.0f;
}

}  // namespace earth
