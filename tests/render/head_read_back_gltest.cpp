// The head read-back against the read-back of every captured record: on the same frames the
// same questions get bit-identical answers, riding and gaze selection run the same way, and
// only what is asked for is read, once per pass.
#include "render/SatelliteRenderer.h"

#include "render/SampleSatellites.h"

#include "data/Catalogue.h"
#include "data/ResourceRegistry.h"
#include "script/CameraElements.h"
#include "script/Selection.h"
#include "support/GlTestContext.h"

#include <epoxy/gl.h>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace earth {
namespace {

using ReadBack = SatelliteRenderer::ReadBack;

class HeadReadBackTest : public ::testing::Test {
protected:
    test::GlTestContext context{64, 64};
};

// The sample orbits, and the embedded catalogue when it is in the build (thousands of heads,
// so that slots far into the gathered buffer are exercised).
std::vector<Satellite> testCatalogue() {
    std::vector<Satellite> catalogue = test::sampleCatalogue();
    if (findResource("DATA", "902")) {
        for (Satellite s : loadSatellites()) {
            s.catalogNumber += 100000;  // above the sample numbers, still ascending
            catalogue.push_back(std::move(s));
        }
    }
    return catalogue;
}

// Where a satellite's tip is at clock time `time`, from the CPU copy of its records and orbit.
glm::vec3 cpuTip(const SatelliteRenderer& renderer, int number, double time) {
    const OrbitVertex& tip = renderer.records()[renderer.ranges().at(number).first];
    return orbitPosition(renderer.orbitStates()[tip.orbit], tip.lead,
                         static_cast<float>(time - renderer.baseTime()));
}

// Every question the frame cycle can ask, put to both renderers; returns the picks made.
int compareAnswers(const SatelliteRenderer& heads, const SatelliteRenderer& every,
                   const std::vector<int>& numbers, const std::vector<glm::vec3>& origins,
                   const std::vector<glm::vec3>& targets, const std::string& when) {
    SCOPED_TRACE(when);
    int mismatches = 0;
    for (int n : numbers) {
        const auto a = heads.getPosition(n);
        const auto b = every.getPosition(n);
        if (a.has_value() != b.has_value() ||
            (a && (a->position != b->position || a->direction != b->direction))) {
            if (++mismatches <= 5) ADD_FAILURE() << "getPosition(" << n << ") differs";
        }
    }
    int picks = 0;
    for (const glm::vec3& origin : origins) {
        for (const glm::vec3& target : targets) {
            const int a = heads.pickByGaze(origin, target - origin);
            const int b = every.pickByGaze(origin, target - origin);
            EXPECT_EQ(a, b) << "line of sight towards (" << target.x << ", " << target.y << ", "
                            << target.z << ")";
            picks += a >= 0 ? 1 : 0;
        }
    }
    return picks;
}

TEST_F(HeadReadBackTest, AnswersExactlyAsTheReadBackOfEveryRecord) {
    const auto catalogue = testCatalogue();
    SimulationClock clock;
    SatelliteRenderer heads(clock, catalogue, ReadBack::Heads);
    SatelliteRenderer every(clock, catalogue, ReadBack::Everything);

    std::vector<int> numbers{0, -1, 12, 12345, 99999999};  // none of these is held
    std::vector<int> all;
    for (const auto& s : catalogue) {
        numbers.push_back(s.catalogNumber);
        all.push_back(s.catalogNumber);
    }
    std::vector<int> half;
    for (std::size_t i = 0; i < all.size(); i += 2) half.push_back(all[i]);
    const std::vector<glm::vec3> origins{glm::vec3(0.0f, 0.0f, 5.0f), glm::vec3(3.0f, -2.0f, 1.0f),
                                         glm::vec3(0.0f)};

    // Steps of every size, one of them backwards, and visibility changes between passes.
    const double steps[] = {0.0, 16.7, 16.7, 1000.0, -250.0, 86400.0, 16.7, 3.0, 0.0, 16.7};
    int picks = 0;
    for (std::size_t frame = 0; frame < std::size(steps); ++frame) {
        if (frame == 1) {
            heads.setVisible(all);
            every.setVisible(all);
        } else if (frame == 5) {
            heads.setVisible(half);
            every.setVisible(half);
        } else if (frame == 8) {
            heads.setVisible({11, 22, 70001, 70002});
            every.setVisible({11, 22, 70001, 70002});
        }
        // Lines of sight through where some satellites are now, whatever either renderer says.
        std::vector<glm::vec3> targets;
        for (int n : {5, 11, 22, 33, 44, 66, 70001}) targets.push_back(cpuTip(every, n, clock.time()));
        targets.push_back(glm::vec3(0.0f, 40.0f, 0.0f));

        // The script step asks before the pass, the panels after it.
        const std::string at = "frame " + std::to_string(frame);
        picks += compareAnswers(heads, every, numbers, origins, targets, at + " before the pass");
        clock.advance(steps[frame]);
        heads.propagate();
        every.propagate();
        picks += compareAnswers(heads, every, numbers, origins, targets, at + " after the pass");
        ASSERT_EQ(heads.positionsReady(), every.positionsReady());
    }
    EXPECT_GT(picks, 20) << "the lines of sight hardly ever picked anything";

    // The two renderers ran the same passes.
    const auto a = heads.capturedRecords();
    const auto b = every.capturedRecords();
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i].position, b[i].position) << i;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(HeadReadBackTest, PositionsLagOnePassAsBefore) {
    const auto catalogue = test::sampleCatalogue();
    SimulationClock clock;
    SatelliteRenderer heads(clock, catalogue, ReadBack::Heads);
    EXPECT_FALSE(heads.getPosition(11));
    heads.propagate();
    EXPECT_FALSE(heads.getPosition(11)) << "only the zero-filled buffer has been read";
    const double first = clock.time();
    clock.advance(600.0);
    heads.propagate();
    // Now the first pass answers, not the one just issued.
    const glm::vec3 at = heads.getPosition(11)->position;
    const float tolerance = 1e-4f;
    EXPECT_LT(glm::distance(at, cpuTip(heads, 11, first)), tolerance);
    EXPECT_GT(glm::distance(at, cpuTip(heads, 11, clock.time())), 100.0f * tolerance);
    const double second = clock.time();
    clock.advance(600.0);
    heads.propagate();
    EXPECT_LT(glm::distance(heads.getPosition(11)->position, cpuTip(heads, 11, second)), tolerance);
}

TEST_F(HeadReadBackTest, ReadsOnlyWhatIsAskedForOncePerPass) {
    const auto catalogue = test::sampleCatalogue();
    const std::uint64_t satellites = catalogue.size();
    SimulationClock clock;
    SatelliteRenderer heads(clock, catalogue, ReadBack::Heads);
    heads.setVisible({11, 22});
    auto bytes = [&] { return heads.readBackTotals().bytes; };

    for (int i = 0; i < 3; ++i) heads.propagate();
    EXPECT_EQ(bytes(), 0u) << "nobody asked";

    struct Step {
        const char* what;
        std::function<void()> ask;
        std::uint64_t added;
    };
    const glm::vec3 eye(0.0f, 0.0f, 5.0f), ahead(0.0f, 0.0f, -1.0f);
    const Step steps[] = {
        {"first position: tip and the record behind it", [&] { heads.getPosition(11); }, 24},
        {"the same satellite again", [&] { heads.getPosition(11); }, 0},
        {"another satellite", [&] { heads.getPosition(22); }, 24},
        {"a number not held", [&] { heads.getPosition(12345); }, 0},
        {"a gaze pick: every tip", [&] { heads.pickByGaze(eye, ahead); }, 12 * satellites},
        {"a second pick", [&] { heads.pickByGaze(eye, ahead); }, 0},
        {"a position whose tip the pick read", [&] { heads.getPosition(33); }, 12},
        {"a new pass, then the first satellite again",
         [&] {
             heads.propagate();
             heads.getPosition(11);
         },
         24},
        {"a pick with a zero direction", [&] { heads.pickByGaze(eye, glm::vec3(0.0f)); }, 0},
        {"a pick with nothing shown",
         [&] {
             heads.setVisible({});
             heads.pickByGaze(eye, ahead);
         },
         0},
    };
    for (const Step& step : steps) {
        const std::uint64_t before = bytes();
        step.ask();
        EXPECT_EQ(bytes() - before, step.added) << step.what;
    }

    SatelliteRenderer every(clock, catalogue, ReadBack::Everything);
    every.propagate();
    EXPECT_EQ(every.readBackTotals().bytes, every.records().size() * sizeof(PropagatedVertex));
    every.getPosition(11);
    every.pickByGaze(eye, ahead);
    EXPECT_EQ(every.readBackTotals().bytes, every.records().size() * sizeof(PropagatedVertex));
}

// What the camera and the selection saw, frame by frame.
struct Trace {
    std::vector<glm::vec3> cameras;
    std::vector<std::int32_t> selected;
    std::vector<glm::vec3> panels;
};

// The frame cycle's order with a satellite ridden for a while, then a gaze sweep with the
// continue control held: input, script step, clock, pass, panel positions, gaze for the next
// frame.
Trace rideThenLook(ReadBack way, const std::vector<Satellite>& catalogue) {
    SimulationClock clock;
    SatelliteRenderer renderer(clock, catalogue, way);
    std::vector<int> all;
    for (const auto& s : catalogue) all.push_back(s.catalogNumber);
    renderer.setVisible(all);
    Selection selection(&catalogue);
    StickToSatellite ride(22);
    SelectWithLookElement look(&selection, nullptr);
    Ray gaze;
    ScriptContext ctx(&renderer, fromAngles(0.3f, 0.2f, 4.0f).frame, 1000.0f, 0, &ride);

    Trace trace;
    const float dt = 0.125f;  // exact in binary
    const int targets[] = {11, 22, 33, 66, 70001, 44};
    for (int frame = 0; frame < 40; ++frame) {
        if (frame == 12) look.start(ctx);
        ctx.input = FrameInput{};
        ctx.input.dt = dt;
        ctx.input.gaze = gaze;
        if (frame >= 12) ctx.input.held.set(static_cast<std::size_t>(Control::Continue));
        if (frame < 12) {
            ride.update(dt, ctx);
        } else {
            look.update(dt, ctx);
        }
        if (!ctx.paused) clock.advance(static_cast<double>(ctx.rate) * dt);
        renderer.propagate();
        for (const auto& [number, entry] : ctx.panels) {
            if (const auto where = renderer.getPosition(number)) trace.panels.push_back(where->position);
        }
        trace.cameras.push_back(ctx.camera.position);
        trace.selected.push_back(selection.current);
        // The next frame looks from afar at where one of the satellites is now.
        gaze.origin = glm::vec3(0.0f, 0.0f, 6.0f);
        gaze.direction = cpuTip(renderer, targets[(frame / 3) % 6], clock.time()) - gaze.origin;
    }
    return trace;
}

TEST_F(HeadReadBackTest, RidingAndGazeSelectionGoTheSameWay) {
    const auto catalogue = test::sampleCatalogue();
    const Trace heads = rideThenLook(ReadBack::Heads, catalogue);
    const Trace every = rideThenLook(ReadBack::Everything, catalogue);
    EXPECT_EQ(heads.cameras, every.cameras);
    EXPECT_EQ(heads.selected, every.selected);
    EXPECT_EQ(heads.panels, every.panels);

    // The run rode a moving satellite and selected several in turn.
    EXPECT_NE(every.cameras[2], every.cameras[10]);
    const std::set<std::int32_t> selected(every.selected.begin(), every.selected.end());
    EXPECT_GE(selected.size(), 4u) << "too few selections to compare";
    EXPECT_FALSE(every.panels.empty());
}

}  // namespace
}  // namespace earth
