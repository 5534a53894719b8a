#pragma once
// Which level of detail of the globe to draw: the coarsest whose surface stays within a
// fraction of a pixel of the finest one's, so that changing levels moves nothing visibly.

#include <cstddef>
#include <vector>

namespace earth {

// Half a pixel: the pictures of two levels then differ only where a texel's edge crosses a
// pixel's centre, as they already do when the globe turns by a fraction of a pixel.
inline constexpr float kGlobeDetailPixels = 0.5f;

// `deviations[i]`: how far level i's surface strays from the finest level's (0 for level 0),
// in scene units; `distance`: from the eye to the nearest point the globe may have. Returns
// the highest level (the coarsest) whose deviation covers at most `tolerancePixels` there
// (`pixelsPerUnit` at unit distance, render/ViewGeometry.h).
std::size_t chooseGlobeLevel(const std::vector<float>& deviations, float pixelsPerUnit,
                             float distance, float tolerancePixels = kGlobeDetailPixels);

}  // namespace earth
