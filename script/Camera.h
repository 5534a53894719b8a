#pragma once
// The camera pose, its spherical form around the Earth's centre, and the blends and
// measures of every scripted move. Angles in radians, distances in scene units.

#include <glm/mat3x3.hpp>
#include <glm/vec3.hpp>

namespace earth {

struct CameraFrame {
    glm::vec3 position{0.0f};
    glm::vec3 forward{0.0f};
    glm::vec3 up{0.0f};
    // Columns: right, up, minus forward.
    glm::mat3 basis{1.0f};

    static CameraFrame build(const glm::vec3& position, const glm::vec3& forward,
                             const glm::vec3& right, const glm::vec3& up);
};

// Elevation above the X-Z plane, azimuth from +Z towards +X, distance from the centre.
// The three numbers describe `frame.position`; `frame` carries the orientation.
struct OrbitPose {
    float elevation = 0.0f;
    float azimuth = 0.0f;
    float distance = 0.0f;
    CameraFrame frame;
};

inline constexpr glm::vec3 kWorldUp{0.0f, 1.0f, 0.0f};

glm::vec3 spherePosition(float elevation, float azimuth, float distance);

// Right-hand rotation of v by angle about axis (normalised first).
glm::vec3 rotateAbout(const glm::vec3& v, float angle, const glm::vec3& axis);

OrbitPose fromFrame(const CameraFrame& frame);

// A camera at the given place looking at the Earth's centre, rolled so that its up lies
// towards `upReference`. When the reference is parallel to the view (a camera over a pole
// with world up) the right vector is the one the pose tends to from either side.
OrbitPose fromAngles(float elevation, float azimuth, float distance,
                     const glm::vec3& upReference = kWorldUp);

// A camera at `point` looking at the centre with `right` (taken as given) to its right.
OrbitPose lookFromPoint(const glm::vec3& point, const glm::vec3& right);
// A view of the globe's centre tilted forward by `amount` (0 none, 1 all the way) so that the
// limb and the sky stay in view just above the centre: a view straight down from a low orbit
// shows nothing but ground, black on the night side. From high up, where the whole globe fits,
// nothing changes.
CameraFrame tiltTowardHorizon(const CameraFrame& frame, float amount);

// The pose between a and b at t in 0..1: sphere coordinates blended the short way round,
// the up vector turned from a's towards b's.
OrbitPose interpolate(const OrbitPose& a, const OrbitPose& b, float t);

// Angle between the two up vectors; 0 when either is not a usable direction.
float upAngle(const OrbitPose& a, const OrbitPose& b);

// Length of a move: change of distance plus the arc at the mean distance.
float pathLength(const OrbitPose& a, const OrbitPose& b);

}  // namespace earth
