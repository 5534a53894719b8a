#pragma once
// Every satellite of the catalogue as a short tube along its own orbit. Positions are solved
// on the GPU once per frame (a compute pass writing into two alternating capture buffers) and
// drawn from the buffer of the previous pass. Per view a compute pass sorts the shown segments
// into those out of sight, those thin on screen (drawn as flat ribbons facing the eye, two
// triangles) and the rest (nine-sided tubes, one triangle strip through all); the vertex
// stages read each segment's two captured records. The camera and gaze selection ask for positions
// one frame behind: each pass also gathers every satellite's head into a small buffer, and a
// query reads back only the heads it needs, from the pass before the latest one.

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

// One captured record, as the propagation program writes it.
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
    // How positions come back to the CPU. Heads: on demand, a few bytes per satellite asked
    // for. Everything: every captured record after every pass, the simple way kept as the
    // reference that tests and benchmarks hold the other against.
    enum class ReadBack { Heads, Everything };

    // CPU seconds and bytes of the read-backs, counted since construction.
    struct ReadBackTotals {
        double seconds = 0.0;
        std::uint64_t bytes = 0;
    };

    // Lengths of the orbits are in scene units (orbit::sceneScale). Needs a current GL 4.3
    // context; fails only as program building fails. Heads falls back to Everything when the
    // captured records exceed what one shader storage block may address on this driver.
    // The propagation and the tube draw read and write the records through shader storage
    // blocks, in ranges of at most `drawRangeRecords` records (0: as many as the driver allows
    // one block; the propagation's ranges are whole groups of 64 records).
    SatelliteRenderer(const SimulationClock& clock, const std::vector<Satellite>& catalogue,
                      ReadBack readBack = ReadBack::Heads, std::size_t drawRangeRecords = 0);

    SatelliteRenderer(const SatelliteRenderer&) = delete;
    SatelliteRenderer& operator=(const SatelliteRenderer&) = delete;

    // Solves every record for the clock's time. Positions asked for afterwards are those of
    // the previous pass, never of the one just issued.
    void propagate();
    // All shown tubes, as the previous pass captured them (both eyes of a headset frame draw
    // the same pass), but for those the globe at the origin hides: the scene draws it first.
    // Changes no depth, cull or blend state.
    void draw(const glm::mat4& projection, const glm::mat4& view);

    void setColors(const std::vector<std::pair<int, glm::vec4>>& colors) override;
    void setSizes(const std::vector<std::pair<int, float>>& sizes) override;
    void setVisible(const std::vector<int>& numbers) override;

    std::optional<glm::vec4> getColor(int catalogNumber) const override;
    std::optional<float> getSize(int catalogNumber) const override;
    // Reads GL state: main thread, context current.
    std::optional<SatellitePosition> getPosition(int catalogNumber) const override;
    int pickByGaze(const glm::vec3& origin, const glm::vec3& direction,
                   float maxAngle = 0.0f) const override;

    void setOrbitAlpha(float alpha) override { orbitAlpha_ = alpha; }
    float orbitAlpha() const override { return orbitAlpha_; }

    // For tests, tools and benchmarks.
    const std::vector<OrbitVertex>& records() const { return records_; }
    const std::vector<std::uint32_t>& segmentIndices() const { return segments_; }
    const VertexRangeMap& ranges() const { return ranges_; }
    // Each satellite's orbit at the base instant of the latest pass, in catalogue order
    // (OrbitVertex::orbit indexes it), and the latest pass's time since that base: with
    // orbitPosition they give what the shader computed.
    const std::vector<OrbitState>& orbitStates() const { return states_; }
    float shaderTime() const { return shaderTime_; }
    double baseTime() const { return base_; }
    ReadBack readBackMode() const { return mode_; }
    // Every record of the pass that positions currently come from (the pass before the
    // latest), read from the GPU now; not counted in the totals.
    std::vector<PropagatedVertex> capturedRecords() const;
    // True once positions come from a real pass (from the second propagate on).
    bool positionsReady() const { return positionsReady_; }
    // CPU seconds of the last propagate() spent issuing the passes (Everything adds its
    // read-back to the totals, not here).
    double lastPassSeconds() const { return passSeconds_; }
    const ReadBackTotals& readBackTotals() const { return totals_; }
    // GL draw calls issued so far (propagation passes and tube draws).
    std::uint64_t drawCalls() const { return drawCalls_; }
    // Segments the next draw will draw: those whose first record the drawn pass captured shown.
    std::size_t drawnSegments() const { return tubeLists_[writeBuffer_ - 2].segments; }

    static constexpr float baseSize = orbit::baseSize;

private:
    // A satellite reachable by number, in ascending number: its records' range.
    struct Slot {
        std::int32_t number;
        VertexRange range;
    };
    // Where a pass's heads stand on the CPU: fetched for this pass or not.
    struct HeadCache {
        std::vector<std::uint32_t> headPass;  // per slot: the pass its tip and next were read for
        std::vector<glm::vec3> tips;
        std::vector<glm::vec3> nexts;
        std::uint32_t tipsPass = 0;  // the pass all tips were read for
    };

    // One tube draw call: the shown segments (numbered in the list) whose first record lies in
    // one range of records that fits a shader storage block.
    struct TubePiece {
        std::uint32_t firstRecord;
        std::uint32_t records;
        std::uint32_t firstSegment;
        std::uint32_t count;
    };
    // The shown segments of one capture buffer, as its latest pass captured them.
    struct TubeList {
        std::vector<TubePiece> pieces;
        std::size_t segments = 0;
        std::uint64_t visibility = 0;  // the visibility change it was built for
    };

    // Moves the shader's base instant to the clock time `now` and uploads every orbit state.
    void rebase(double now);
    void uploadRange(const VertexRange& range);
    void buildTubeList(std::size_t captureBuffer);
    const Slot* findSlot(int catalogNumber) const;
    // Tip and the record behind it, of the pass positions come from.
    std::pair<glm::vec3, glm::vec3> head(const Slot& slot) const;
    // Every slot's tip of that pass; null when there are no slots.
    const glm::vec3* allTips() const;
    void countRead(double seconds, std::size_t bytes) const;

    const SimulationClock& clock_;
    ReadBack mode_;
    glcommon::ShaderProgram propagation_;
    glcommon::ShaderProgram tubes_;
    glcommon::ShaderProgram ribbons_;
    glcommon::ShaderProgram sort_;
    glcommon::ShaderProgram gather_;
    std::vector<OrbitVertex> records_;
    std::vector<OrbitMotion> motions_;  // per satellite of the catalogue, in its order
    std::vector<OrbitState> states_;    // the same at base_
    double base_ = 0.0;                 // clock seconds of the states
    bool statesReady_ = false;
    float shaderTime_ = 0.0f;
    std::vector<std::uint32_t> segments_;
    std::vector<Slot> slots_;
    // Everything mode only: one record per captured record, refreshed every pass.
    std::vector<PropagatedVertex> readBack_;
    mutable HeadCache cache_;
    glcommon::GlNameArray<1> vertexArray_;  // attribute-less: the draws read storage blocks
    // Source, the ribbons' corner indices, two capture buffers, the slots' head records, two
    // head buffers, the orbit states, the shown segments of each capture buffer, the per-view
    // sort's four.
    glcommon::GlNameArray<14> buffers_;
    glcommon::GlNameArray<1> orbitTexture_;  // the orbit states as a buffer texture
    // Roles of the capture buffers (and their head buffers), swapped per pass: between passes
    // the write buffer holds the previous pass, the one drawn and read.
    std::size_t writeBuffer_ = 2;
    std::size_t otherBuffer_ = 3;
    float orbitAlpha_ = 1.0f;
    TubeList tubeLists_[2];  // of capture buffers 2 and 3
    std::vector<std::uint32_t> shownSegments_;  // reused while a list is built
    std::uint32_t rangeRecords_ = 0;  // records one tube draw call may read
    std::uint32_t rangeStep_ = 0;     // records between the starts of two ranges
    std::uint32_t propagationRun_ = 1;  // records one propagation dispatch may bind
    std::uint64_t visibility_ = 0;    // counts setVisible calls
    VertexRangeMap ranges_;
    std::uint32_t passes_ = 0;
    bool positionsReady_ = false;
    double passSeconds_ = 0.0;
    mutable ReadBackTotals totals_;
    std::uint64_t drawCalls_ = 0;
};

}  // namespace earth
