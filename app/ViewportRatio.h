#pragma once
// Aspect ratio that follows the framebuffer as the window is resized.

#include <algorithm>

namespace earth {

// Width over height; a minimised window (zero height or width) keeps `previous` instead of
// producing zero, infinity or NaN.
inline float framebufferAspect(int width, int height, float previous) {
    if (width <= 0 || height <= 0) return previous;
    return static_cast<float>(width) / static_cast<float>(height);
}

// The largest size of `width` x `height`'s aspect that fits in 90 % of an area (a monitor's
// work area); the size itself when it fits already or the area is unknown.
struct FittedSize {
    int width;
    int height;
};
inline FittedSize fitWithin(int width, int height, int areaWidth, int areaHeight) {
    const double maxWidth = areaWidth * 0.9;
    const double maxHeight = areaHeight * 0.9;
    if (areaWidth <= 0 || areaHeight <= 0 || (width <= maxWidth && height <= maxHeight)) {
        return {width, height};
    }
    const double scale = std::min(maxWidth / width, maxHeight / height);
    return {static_cast<int>(width * scale), static_cast<int>(height * scale)};
}

}  // namespace earth
