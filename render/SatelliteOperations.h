#pragma once
// What the script elements may ask of the satellites on screen. The satellite renderer
// implements it; script tests replace it with a small fake.

#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include <optional>
#include <utility>
#include <vector>

namespace earth {

// Front tip of a satellite's head and its unit direction of motion, in scene units.
struct SatellitePosition {
    glm::vec3 position;
    glm::vec3 direction;
};

class SatelliteOperations {
public:
    // Per-satellite operations on a catalogue number that is not shown change nothing
    // (set operations) or answer empty (get operations).
    virtual void setColors(const std::vector<std::pair<int, glm::vec4>>& colors) = 0;
    virtual void setSizes(const std::vector<std::pair<int, float>>& sizes) = 0;
    // Exactly the listed satellites are shown afterwards.
    virtual void setVisible(const std::vector<int>& numbers) = 0;

    virtual std::optional<glm::vec4> getColor(int catalogNumber) const = 0;
    virtual std::optional<float> getSize(int catalogNumber) const = 0;
    // Empty until positions have been read back, and for zero-length directions.
    virtual std::optional<SatellitePosition> getPosition(int catalogNumber) const = 0;

    // The shown satellite nearest to the line of sight in front of the eye and not behind the
    // globe, or -1; with `maxAngle` above 0, the one nearest in angle to the ray within it
    // (the pointer's pick).
    virtual int pickByGaze(const glm::vec3& origin, const glm::vec3& direction,
                           float maxAngle = 0.0f) const = 0;

    // Opacity of every tube; lowered while the camera flies to a satellite.
    virtual void setOrbitAlpha(float alpha) = 0;
    virtual float orbitAlpha() const = 0;

protected:
    ~SatelliteOperations() = default;
};

}  // namespace earth
