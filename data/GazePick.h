#pragma once
// Which satellite the viewer means: the one nearest to the line of sight (looking), or the one
// nearest in angle to the pointer's ray within a few pixels (the mouse). Satellites that the
// globe hides from the eye are never picked. The satellite renderer feeds it its shown
// satellites, and test fakes do the same.

#include <glm/vec3.hpp>

#include <cstdint>

namespace earth {

class GazePick {
public:
    // Nothing farther than this from the line of sight (one Earth radius) is picked by looking.
    static constexpr float kReach = 1.0f;
    // The globe as the picks see it, in scene units: a hair under the surface, so that a
    // satellite grazing the limb still counts as seen.
    static constexpr float kGlobeRadius = 0.999f;

    // `direction` need not be unit length; a zero or non-finite one picks nothing.
    // `maxAngle` 0: the line-of-sight rule; above 0: the pointer rule, within that angle.
    GazePick(const glm::vec3& origin, const glm::vec3& direction, float maxAngle = 0.0f);

    // Offer the satellites in ascending catalogue number, shown ones only: on equal
    // distances the earlier (lower) number stays. Only satellites in front of the eye and not
    // behind the globe count.
    void consider(std::int32_t catalogNumber, const glm::vec3& position);

    // False for a zero or non-finite direction or origin: nothing can be picked.
    bool usable() const { return usable_; }

    // The catalogue number picked, or -1.
    std::int32_t result() const { return result_; }

private:
    glm::vec3 origin_;
    glm::vec3 direction_{0.0f};
    bool usable_ = false;
    float cosMaxAngle_ = 0.0f;
    bool pointer_ = false;
    float best_ = kReach;
    std::int32_t result_ = -1;
};

// Whether the globe stands between `eye` and `point` (scene units, globe at the origin). An
// eye inside the globe sees everything: there is no such view, and hiding all would be worse.
bool hiddenByGlobe(const glm::vec3& eye, const glm::vec3& point, float radius = GazePick::kGlobeRadius);

}  // namespace earth
