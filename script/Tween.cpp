#include "script/Tween.h"

#include <cmath>

namespace earth {

void Tween::arm(float fromValue, float toValue, float seconds) {
    value = fromValue;
    elapsed = 0.0f;
    duration = std::isfinite(seconds) ? seconds : 0.0f;
    from = fromValue;
    to = toValue;
    active = true;
}

void Tween::update(float dt) {
    if (!active) {
        return;
    }
    if (duration > elapsed && duration > 0.0f) {
        const double s = static_cast<double>(elapsed) / duration;
        value = static_cast<float>(std::cos(M_PI * s) - 1.0) * ((to - from) * -0.5f) + from;
        // A non-number or negative step would freeze `elapsed` below `duration` for ever.
        if (std::isfinite(dt) && dt > 0.0f) {
            elapsed += dt;
        }
        return;
    }
    value = to;
    active = false;
}

}  // namespace earth
