#pragma once
// The desktop window's view: its projection, with a near plane that never cuts into the globe,
// and the line of sight through a window pixel.

#include "script/FrameInput.h"

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>

namespace earth {

struct CameraFrame;

// The vertical field of view: 45 handed to a perspective taking radians, as the splash quad
// is sized for it (about 58.3 degrees).
constexpr float kDesktopFieldOfView = 45.0f;

// Half the way to the highest mountain below the eye (scene units), at most 0.1: far out
// nothing changes, and riding the lowest satellite the globe is never clipped.
float desktopNearPlane(const glm::vec3& eye);

glm::mat4 desktopProjection(float aspect, float zNear = 0.1f);

// The line of sight through window pixel `pixel` (from the top left) of a window `size` pixels
// large, and the view's angle per pixel there.
PointerInput pointerRay(PointerInput pointer, const CameraFrame& camera, glm::vec2 size);

}  // namespace earth
