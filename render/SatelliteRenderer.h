#pragma once
// Every satellite of the catalogue as a short tube along its own orbit. Positions are solved
// on the GPU once per frame (transform feedback into two alternating capture buffers), drawn
// from the buffer of the previous pass, and read back one frame behind for the camera and
// gaze selection.

#include "render/GlName.h"
#include "render/SatelliteOperations.h"
#include "render/ShaderProgram.h"

#include "data/OrbitGeometry.h"
#include "data/Satellite.h"
#include "data/SimulationClock.h"

#include <glm/mat4x4.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace earth {

// One captured record, in the order of the propagation program's varyings.
struct PropagatedVertex {
    glm::vec3 position;  // world position, scene units
    glm::vec4 color;
    glm::vec3 normal;    // outward from the ellipse centre
    float strength;
    float size;
    std::int32_t show;
};
static_assert(sizeof(PropagatedVertex) == 52, "PropagatedVertex is the captured layout");
static_assert(offsetof(PropagatedVertex, color) == 12, "vColor");
static_assert(offsetof(PropagatedVertex, normal) == 28, "vNormal");
static_assert(offsetof(PropagatedVertex, strength) == 40, "vStrength");
static_assert(offsetof(PropagatedVertex, size) == 44, "vSize");
static_assert(offsetof(PropagatedVertex, show) == 48, "vShow");

class SatelliteRenderer final : public SatelliteOperations {
public:
    // CPU seconds of the last propagate(), split into issuing the pass and the read-back.
    struct PassTimings {
        double propagation = 0.0;
        double readBack = 0.0;
    };

    // Lengths in the records are in scene units (orbit::sceneScale). Needs a current GL 4.3
    // context; fails only as program building fails.
    SatelliteRenderer(const SimulationClock& clock, const std::vector<Satellite>& catalogue);

    SatelliteRenderer(const SatelliteRenderer&) = delete;
    SatelliteRenderer& operator=(const SatelliteRenderer&) = delete;

    // Solves every record for the clock's time and reads back the previous pass.
    void propagate();
    // All shown tubes. Changes no depth, cull or blend state.
    void draw(const glm::mat4& projection, const glm::mat4& view);

    void setColors(const std::vector<std::pair<int, glm::vec4>>& colors) override;
    void setSizes(const std::vector<std::pair<int, float>>& sizes) override;
    void setVisible(const std::vector<int>& numbers) override;

    std::optional<glm::vec4> getColor(int catalogNumber) const override;
    std::optional<float> getSize(int catalogNumber) const override;
    std::optional<SatellitePosition> getPosition(int catalogNumber) const override;
    int pickByGaze(const glm::vec3& origin, const glm::vec3& direction) const override;

    void setOrbitAlpha(float alpha) override { orbitAlpha_ = alpha; }
    float orbitAlpha() const override { return orbitAlpha_; }

    // For tests, tools and benchmarks.
    const std::vector<OrbitVertex>& records() const { return records_; }
    const std::vector<std::uint32_t>& segmentIndices() const { return segments_; }
    const std::vector<PropagatedVertex>& readBack() const { return readBack_; }
    const VertexRangeMap& ranges() const { return ranges_; }
    // True once a read-back holds the results of a real pass (from the second propagate on).
    bool positionsReady() const { return positionsReady_; }
    const PassTimings& lastTimings() const { return timings_; }
    std::size_t bytesReadBackPerFrame() const { return readBack_.size() * sizeof(PropagatedVertex); }
    // GL draw calls issued so far (propagation passes and tube draws).
    std::uint64_t drawCalls() const { return drawCalls_; }

    static constexpr float baseSize = orbit::baseSize;

private:
    void uploadRange(const VertexRange& range);

    const SimulationClock& clock_;
    glcommon::ShaderProgram propagation_;
    glcommon::ShaderProgram tubes_;
    std::vector<OrbitVertex> records_;
    std::vector<std::uint32_t> segments_;
    std::vector<PropagatedVertex> readBack_;
    glcommon::GlNameArray<3> vertexArrays_;
    glcommon::GlNameArray<4> buffers_;
    // Roles of the capture buffers and of the vertex arrays that read them; swapped per pass.
    std::size_t writeBuffer_ = 2;
    std::size_t otherBuffer_ = 3;
    std::size_t drawArray_ = 1;
    std::size_t otherArray_ = 2;
    float orbitAlpha_ = 1.0f;
    VertexRangeMap ranges_;
    int passes_ = 0;
    bool positionsReady_ = false;
    PassTimings timings_;
    std::uint64_t drawCalls_ = 0;
};

}  // namespace earth
