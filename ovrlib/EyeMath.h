#pragma once
// Camera mathematics of headset rendering: where the viewer's head and eyes are in the
// scene and what each eye sees. Pure functions over GLM types, column-major matrices.
//
// Tracked positions are used in scene units without conversion: one metre of head motion
// moves the viewpoint by one scene unit (one Earth radius), so the Earth looks like a globe
// of about a metre seen from a few metres.

#include "ovrlib/HeadsetRuntime.h"

#include <glm/mat3x3.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

namespace ovrlib {

// The scripted camera the head is attached to. `basis` columns: right, up and backward
// directions in world space.
struct EyeCamera {
    glm::vec3 position{0.0f};
    glm::vec3 forward{0.0f, 0.0f, -1.0f};
    glm::vec3 up{0.0f, 1.0f, 0.0f};
    glm::mat3 basis{1.0f};
    // Near plane, scene units: the scene brings it close when riding low over the globe.
    float zNear = 0.2f;
};

struct EyeMatrices {
    glm::mat4 projection{1.0f};
    glm::mat4 view{1.0f};
    glm::mat4 sky{1.0f};  // projection x view without translation, for the star cube
};

struct Gaze {
    glm::vec3 origin{0.0f};
    glm::vec3 direction{0.0f, 0.0f, -1.0f};
};

// Right-handed perspective of an asymmetric field of view, depth mapped to -1..1.
glm::mat4 projectionFromFov(const FovPort& fov, float zNear, float zFar);

// Mid-point of the two eye positions (tracking space).
glm::vec3 headPosition(const Pose& leftEye, const Pose& rightEye);

// A tracking-space position placed in the world relative to the camera.
glm::vec3 trackedToWorld(const EyeCamera& camera, const glm::vec3& tracked);

// The camera's forward turned by the given head orientation, the rotation's axis taken into
// the world through the camera basis. The rotation is read as axis and angle; angles beyond
// pi (a quaternion with negative w) take the short way, and a rotation whose vector part is
// negligible leaves the forward as it is.
glm::vec3 gazeDirection(const EyeCamera& camera, const glm::quat& headOrientation);

// Line of sight of the viewer: from the head position, along the left eye's orientation.
Gaze headGaze(const EyeCamera& camera, const Pose& leftEye, const Pose& rightEye);

// View: inverse eye orientation after the look-at from the eye's world position along the
// camera's forward; sky: the same without translation, premultiplied by the projection.
// `projection` is an off-axis frustum; its depth range is replaced by the camera's near plane
// (the far plane kept), which leaves the field of view as it is.
EyeMatrices eyeMatrices(const EyeCamera& camera, const Pose& eye, const glm::mat4& projection);

// The frustum `projection` with another near plane, the far plane and field of view unchanged.
glm::mat4 withNearPlane(glm::mat4 projection, float zNear);

}  // namespace ovrlib
