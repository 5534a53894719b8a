#include "ovrlib/EyeMath.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/constants.hpp>

#include <cmath>

namespace ovrlib {

glm::mat4 projectionFromFov(const FovPort& fov, float zNear, float zFar) {
    return glm::frustum(-fov.left * zNear, fov.right * zNear, -fov.down * zNear, fov.up * zNear,
                        zNear, zFar);
}

glm::vec3 headPosition(const Pose& leftEye, const Pose& rightEye) {
    return (leftEye.position + rightEye.position) * 0.5f;
}

glm::vec3 trackedToWorld(const EyeCamera& camera, const glm::vec3& tracked) {
    return camera.position + camera.basis * tracked;
}

glm::vec3 gazeDirection(const EyeCamera& camera, const glm::quat& q) {
    const glm::vec3 v(q.x, q.y, q.z);
    const float lengthSquared = glm::dot(v, v);
    if (lengthSquared <= 1e-10f) return glm::normalize(camera.forward);
    float angle = 2.0f * std::acos(glm::clamp(q.w, -1.0f, 1.0f));
    glm::vec3 axis = v / std::sqrt(lengthSquared);
    const float pi = glm::pi<float>();
    if (angle > pi) {
        angle = 2.0f * pi - angle;
        axis = -axis;
    }
    const glm::vec3 worldAxis = camera.basis * axis;
    return glm::normalize(glm::angleAxis(angle, glm::normalize(worldAxis)) * camera.forward);
}

Gaze headGaze(const EyeCamera& camera, const Pose& leftEye, const Pose& rightEye) {
    return {trackedToWorld(camera, headPosition(leftEye, rightEye)),
            gazeDirection(camera, leftEye.orientation)};
}

glm::mat4 withNearPlane(glm::mat4 projection, float zNear) {
    // Of a frustum only the depth terms hold the near plane: -(f+n)/(f-n) and -2fn/(f-n).
    const float a = projection[2][2];
    const float b = projection[3][2];
    if (!(zNear > 0.0f) || a == -1.0f || a == 1.0f) return projection;
    if (std::fabs(b / (a - 1.0f) - zNear) <= 1e-6f * zNear) return projection;  // already so
    const float zFar = b / (a + 1.0f);
    projection[2][2] = -(zFar + zNear) / (zFar - zNear);
    projection[3][2] = -2.0f * zFar * zNear / (zFar - zNear);
    return projection;
}

EyeMatrices eyeMatrices(const EyeCamera& camera, const Pose& eye, const glm::mat4& frustum) {
    const glm::mat4 inverseOrientation = glm::mat4_cast(glm::inverse(eye.orientation));
    const glm::vec3 eyeWorld = trackedToWorld(camera, eye.position);
    const glm::mat4 projection = withNearPlane(frustum, camera.zNear);
    EyeMatrices m;
    m.projection = projection;
    m.view = inverseOrientation * glm::lookAt(eyeWorld, eyeWorld + camera.forward, camera.up);
    m.sky = projection * inverseOrientation *
            glm::lookAt(glm::vec3(0.0f), camera.forward, camera.up);
    return m;
}

}  // namespace ovrlib
