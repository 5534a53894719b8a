#pragma once
// Aspect ratio that follows the framebuffer as the window is resized.

namespace earth {

// Width over height; a minimised window (zero height or width) keeps `previous` instead of
// producing zero, infinity or NaN.
inline float framebufferAspect(int width, int height, float previous) {
    if (width <= 0 || height <= 0) return previous;
    return static_cast<float>(width) / static_cast<float>(height);
}

}  // namespace earth
