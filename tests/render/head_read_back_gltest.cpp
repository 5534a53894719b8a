// The head read-back against the read-back of every captured record: on the same frames the
// same questions get bit-identical answers, positions lag one pass, and only what is asked for
// is read, once per pass.
#include "render/SatelliteRenderer.h"

#include "render/SampleSatellites.h"

#include "data/Catalogue.h"
#include "support/GlTestContext.h"

#include <epoxy/gl.h>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace earth {
namespace {

using ReadBack = SatelliteRenderer::ReadBack;

class HeadReadBackTest : public ::testing::Test {
protected:
    test::GlTestContext context{64, 64};
};

// Where a satellite's tip is at `time`, from the CPU copy of its records alone.
glm::vec3 cpuTip(const SatelliteRenderer& renderer, int number, float time) {
    return orbitPosition(renderer.records()[renderer.ranges().at(number).first], time);
}

TEST_F(HeadReadBackTest, AnswersExactlyAsTheReadBackOfEveryRecord) {
    // The sample orbits and the embedded catalogue above them: thousands of heads, so that
    // slots far into the gathered buffer are exercised.
    std::vector<Satellite> catalogue = test::sampleCatalogue();
    for (Satellite s : loadSatellites()) {
        s.catalogNumber += 100000;
        catalogue.push_back(std::move(s));
    }
    SimulationClock clock;
    SatelliteRenderer heads(clock, catalogue, ReadBack::Heads);
    SatelliteRenderer every(clock, catalogue, ReadBack::Everything);
    std::vector<int> numbers{0, -1, 12, 12345, 99999999};  // none of these is held
    std::vector<int> all, half;
    for (const auto& s : catalogue) {
        numbers.push_back(s.catalogNumber);
        all.push_back(s.catalogNumber);
        if (all.size() % 2 == 0) half.push_back(s.catalogNumber);
    }
    const std::vector<int> shown[] = {{}, all, all, all, all, half, half, half, {11, 22, 70001, 70002}};
    const glm::vec3 origins[] = {{0.0f, 0.0f, 5.0f}, {3.0f, -2.0f, 1.0f}, {0.0f, 0.0f, 0.0f}};
    // Steps of every size, one of them backwards; the script asks before the pass, the panels
    // after it.
    const double steps[] = {0.0, 16.7, 16.7, 1000.0, -250.0, 86400.0, 16.7, 3.0, 0.0};
    int picks = 0;
    for (std::size_t frame = 0; frame < std::size(steps); ++frame) {
        heads.setVisible(shown[frame]);
        every.setVisible(shown[frame]);
        std::vector<glm::vec3> targets{glm::vec3(0.0f, 40.0f, 0.0f)};
        for (int n : {5, 11, 22, 33, 44, 66, 70001}) targets.push_back(cpuTip(every, n, clock.time()));
        for (int after = 0; after < 2; ++after) {
            SCOPED_TRACE("frame " + std::to_string(frame) + (after ? " after" : " before") + " the pass");
            if (after == 1) {
                clock.advance(steps[frame]);
                heads.propagate();
                every.propagate();
            }
            int mismatches = 0;
            for (int n : numbers) {
                const auto a = heads.getPosition(n);
                const auto b = every.getPosition(n);
                if ((a.has_value() != b.has_value() ||
                     (a && (a->position != b->position || a->direction != b->direction))) &&
                    ++mismatches <= 5) {
                    ADD_FAILURE() << "getPosition(" << n << ") differs";
                }
            }
            for (const glm::vec3& origin : origins) {
                for (const glm::vec3& target : targets) {
                    const int a = heads.pickByGaze(origin, target - origin);
                    EXPECT_EQ(a, every.pickByGaze(origin, target - origin));
                    picks += a >= 0 ? 1 : 0;
                }
            }
        }
    }
    EXPECT_GT(picks, 20) << "the lines of sight hardly ever picked anything";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(HeadReadBackTest, PositionsLagOnePass) {
    SimulationClock clock;
    SatelliteRenderer heads(clock, test::sampleCatalogue(), ReadBack::Heads);
    EXPECT_FALSE(heads.getPosition(11));
    heads.propagate();
    EXPECT_FALSE(heads.getPosition(11)) << "only the zero-filled buffer has been read";
    for (int pass = 0; pass < 2; ++pass) {
        const float before = clock.time();
        clock.advance(600.0);
        heads.propagate();
        // The pass before answers, not the one just issued.
        const glm::vec3 at = heads.getPosition(11)->position;
        EXPECT_LT(glm::distance(at, cpuTip(heads, 11, before)), 1e-4f);
        EXPECT_GT(glm::distance(at, cpuTip(heads, 11, clock.time())), 1e-2f);
    }
}

TEST_F(HeadReadBackTest, ReadsOnlyWhatIsAskedForOncePerPass) {
    const auto catalogue = test::sampleCatalogue();
    SimulationClock clock;
    SatelliteRenderer heads(clock, catalogue, ReadBack::Heads);
    heads.setVisible({11, 22});
    for (int i = 0; i < 3; ++i) heads.propagate();
    EXPECT_EQ(heads.readBackTotals().bytes, 0u) << "nobody asked";
    const glm::vec3 eye(0.0f, 0.0f, 5.0f), ahead(0.0f, 0.0f, -1.0f);
    const struct {
        const char* what;
        std::function<void()> ask;
        std::uint64_t added;
    } steps[] = {
        {"first position: tip and the record behind it", [&] { heads.getPosition(11); }, 24},
        {"the same satellite again", [&] { heads.getPosition(11); }, 0},
        {"a number not held", [&] { heads.getPosition(12345); }, 0},
        {"a gaze pick: every tip", [&] { heads.pickByGaze(eye, ahead); }, 12 * catalogue.size()},
        {"a second pick", [&] { heads.pickByGaze(eye, ahead); }, 0},
        {"a position whose tip the pick read", [&] { heads.getPosition(33); }, 12},
        {"a new pass, then the first satellite again", [&] { heads.propagate(), heads.getPosition(11); }, 24},
        {"a pick with a zero direction", [&] { heads.pickByGaze(eye, glm::vec3(0.0f)); }, 0},
        {"a pick with nothing shown", [&] { heads.setVisible({}), heads.pickByGaze(eye, ahead); }, 0},
    };
    for (const auto& step : steps) {
        const std::uint64_t before = heads.readBackTotals().bytes;
        step.ask();
        EXPECT_EQ(heads.readBackTotals().bytes - before, step.added) << step.what;
    }
    SatelliteRenderer every(clock, catalogue, ReadBack::Everything);
    every.propagate();
    every.getPosition(11);
    every.pickByGaze(eye, ahead);
    EXPECT_EQ(every.readBackTotals().bytes, every.records().size() * sizeof(PropagatedVertex));
}

}  // namespace
}  // namespace earth
