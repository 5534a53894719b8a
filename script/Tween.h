#pragma once
// Cosine-eased 0..1 (or any from..to) parameter behind every camera move and rate ramp.

namespace earth {

struct Tween {
    float value = 0.0f;
    float elapsed = 0.0f;
    float duration = 0.0f;
    float from = 0.0f;
    float to = 0.0f;
    bool active = false;

    // A duration that is not a finite number is taken as 0, so the tween still ends
    // (on its first update) instead of running for ever.
    void arm(float fromValue, float toValue, float seconds);

    // The value is taken before dt is added: the first update yields `from`, the first
    // update after `duration` has passed yields `to` and ends the tween.
    void update(float dt);
};

}  // namespace earth
