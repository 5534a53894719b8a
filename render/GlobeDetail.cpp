#include "render/GlobeDetail.h"

#include <cmath>

namespace earth {

std::size_t chooseGlobeLevel(const std::vector<float>& deviations, float pixelsPerUnit,
                             float distance, float tolerancePixels) {
    if (!(distance > 0.0f) || !std::isfinite(pixelsPerUnit)) return 0;
    for (std::size_t level = deviations.size(); level-- > 1;) {
        if (deviations[level] * pixelsPerUnit <= tolerancePixels * distance) return level;
    }
    return 0;
}

}  // namespace earth
