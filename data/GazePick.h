#pragma once
// The satellite nearest to the line of sight: the satellite renderer feeds it its shown
// satellites, and test fakes do the same.

#include <glm/vec3.hpp>

#include <cstdint>

namespace earth {

class GazePick {
public:
    // Nothing farther than this from the line (one Earth radius) is picked.
    static constexpr float kReach = 1.0f;

    // `direction` need not be unit length; a zero or non-finite one picks nothing.
    GazePick(const glm::vec3& origin, const glm::vec3& direction);

    // Offer the satellites in ascending catalogue number, shown ones only: on equal
    // distances the earlier (lower) number stays. Only satellites in front of the eye count:
    // one behind the viewer lies on the line's backward extension but can never be seen.
    void consider(std::int32_t catalogNumber, const glm::vec3& position);

    // False for a zero or non-finite direction or origin: nothing can be picked.
    bool usable() const { return usable_; }

    // The catalogue number picked, or -1.
    std::int32_t result() const { return result_; }

private:
    glm::vec3 origin_;
    glm::vec3 direction_{0.0f};
    bool usable_ = false;
    float best_ = kReach;
    std::int32_t result_ = -1;
};

}  // namespace earth
