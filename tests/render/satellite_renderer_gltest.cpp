// The satellite renderer against independent arithmetic: captured positions against the same
// single-precision formula on the CPU and against a double-precision Kepler solution, the
// per-satellite operations against the captured records, the bytes read back, and pictures.
#include "render/SatelliteRenderer.h"
#include "render/SampleSatellites.h"
#include "data/Catalogue.h"
#include "support/GlTestContext.h"
#include "support/OffscreenTarget.h"

#include <epoxy/gl.h>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

namespace earth {
namespace {

// The read-back lags one pass: a second pass at the same time hands back the first's results.
void propagateAt(SimulationClock& clock, SatelliteRenderer& renderer, double seconds) {
    clock.setTime(seconds);
    renderer.propagate();
    renderer.propagate();
}

float ulp(float x) { return std::nextafter(std::fabs(x), std::numeric_limits<float>::infinity()) - std::fabs(x); }

// Position of a record `lead` seconds ahead of the satellite in double precision, from the
// satellite's elements alone: its frame at the clock time, its mean anomaly that far ahead.
glm::dvec3 reference(const Satellite& s, const SimulationClock& clock, double lead) {
    OrbitMotion motion = orbitMotion(s, clock.epoch());
    motion.meanAnomaly += motion.meanMotion * lead;
    return positionAt(motion, clock.time()) * static_cast<double>(orbit::sceneScale);
}

// What the shader computes for record i, by the CPU's single-precision copy of it.
glm::vec3 cpuPosition(const SatelliteRenderer& renderer, std::size_t i, double clockTime) {
    const OrbitVertex& v = renderer.records()[i];
    return orbitPosition(renderer.orbitStates()[v.orbit], v.lead, static_cast<float>(clockTime - renderer.baseTime()));
}

class SatelliteRendererTest : public ::testing::Test {
protected:
    test::GlTestContext context{256, 256};
};

// GPU and CPU run the same float formula; they may differ by the rounding of the mean
// anomaly (a few ulp of 2 pi, and of the time times the rate), by the driver's sin/cos
// (llvmpipe's are within about 1e-6 of the true value on [0, 2 pi], which also turns the
// frame) and by Newton stopping one step apart near the 0.001 threshold (quadratic
// convergence: (0.001)^2 / (1 - e)). Each is turned into scene units through the speed along
// the ellipse per radian.
void compareWithCpu(const std::vector<Satellite>& catalogue, std::initializer_list<double> times = {0.0, 3600.0, 864000.0}) {
    SimulationClock clock;
    SatelliteRenderer renderer(clock, catalogue);
    // Start, one hour, ten days of simulated time (what rate 1000 reaches in 864 s), ...
    for (double time : times) {
        SCOPED_TRACE(time);
        propagateAt(clock, renderer, time);
        const auto back = renderer.capturedRecords();
        double worstCpu = 0.0, worstOrbit = 0.0;
        int failures = 0;
        for (std::size_t index = 0; index < catalogue.size(); ++index) {
            const auto range = renderer.ranges().at(catalogue[index].catalogNumber);
            const OrbitState& state = renderer.orbitStates()[index];
            for (std::uint32_t i = range.first; i <= range.second && failures < 10; ++i) {
                const OrbitVertex& v = renderer.records()[i];
                const glm::dvec3 gpu(back[i].position), cpu(cpuPosition(renderer, i, time));
                const double e = state.eccentricity;
                const double speed = std::max(state.semiMajorAxis, state.semiMinorAxis) / (1.0 - e);
                const double anomalyError = 4.0 * ulp(6.3f) + 2e-6 + 1e-6 / (1.0 - e) +
                    state.meanMotion * 2.0 * ulp(std::fabs(renderer.shaderTime()) + std::fabs(v.lead) + 1.0f);
                const double tolerance = speed * anomalyError + 4e-6 * state.semiMajorAxis * (1.0 + e) +
                                         8.0 * ulp(float(glm::length(cpu)) + 1.0f);
                const double cpuError = glm::length(gpu - cpu);
                const double orbitError = glm::length(gpu - reference(catalogue[index], clock, v.lead));
                worstCpu = std::max(worstCpu, cpuError / tolerance);
                worstOrbit = std::max(worstOrbit, orbitError);
                if (cpuError > tolerance || orbitError > 0.001) {
                    ++failures;
                    ADD_FAILURE() << "satellite " << catalogue[index].catalogNumber << " record " << i << ": GPU and CPU differ by "
                                  << cpuError << " (at most " << tolerance << "), " << orbitError << " from the orbit";
                }
            }
        }
        std::printf("t=%.2f: worst GPU-CPU / tolerance %.3f, worst orbit error %.2e units\n", time, worstCpu, worstOrbit);
    }
}

TEST_F(SatelliteRendererTest, GpuMatchesCpuAndTheOrbitForSampleOrbitsAndTheEmbeddedCatalogue) {
    compareWithCpu(test::sampleCatalogue());
    compareWithCpu(loadSatellites());
}

// Time reaches the shader only as seconds since a base near the present, so a billion
// seconds on, 0.01 s steps still move every satellite by distinct, even steps.
TEST_F(SatelliteRendererTest, SmoothMotionAfterABillionSeconds) {
    const auto catalogue = test::sampleCatalogue();
    std::vector<double> times;
    for (int k = 0; k <= 10; ++k) times.push_back(1e9 + 0.01 * k);
    compareWithCpu(catalogue, {times[0], times[5], times[10]});
    SimulationClock clock;
    SatelliteRenderer renderer(clock, catalogue);
    std::vector<std::vector<PropagatedVertex>> passes;
    propagateAt(clock, renderer, 0.0);  // the shader's time starts counting here
    for (double t : times) {
        propagateAt(clock, renderer, t);
        passes.push_back(renderer.capturedRecords());
    }
    int checked = 0;
    for (const Satellite& s : catalogue) {
        const std::uint32_t at = renderer.ranges().at(s.catalogNumber).first + 5;
        const float mean = glm::distance(passes.front()[at].position, passes.back()[at].position) / 10.0f;
        // Where 0.01 s moves a satellite by 100 ulp of its position or more: well above the
        // noise of the driver's sine (slow ones, far out, move by only a few).
        for (std::size_t k = 1; k < passes.size() && mean >= 1e-5f && ++checked; ++k) {
            EXPECT_NEAR(glm::distance(passes[k][at].position, passes[k - 1][at].position), mean, 0.2f * mean) << s.catalogNumber << " step " << k;
        }
    }
    EXPECT_GE(checked, 5 * 10);
}

TEST_F(SatelliteRendererTest, FirstFramesHoldZerosAndNoPositions) {
    SimulationClock clock;
    SatelliteRenderer renderer(clock, test::sampleCatalogue());
    EXPECT_FALSE(renderer.getPosition(11));
    renderer.propagate();
    // The first read-back is of the buffer no pass has written yet: zero-filled.
    for (const auto& v : renderer.capturedRecords()) ASSERT_TRUE(v.position == glm::vec3(0.0f) && v.show == 0);
    EXPECT_FALSE(renderer.positionsReady() || renderer.getPosition(11) || renderer.pickByGaze({0, 0, 5}, {0, 0, -1}) >= 0);
    renderer.propagate();
    ASSERT_TRUE(renderer.getPosition(11));
    EXPECT_EQ(renderer.getPosition(11)->position, renderer.capturedRecords()[renderer.ranges().at(11).first].position);
    // Positions lag one pass: the pass before answers, not the one just issued.
    const std::size_t tip = renderer.ranges().at(11).first;
    const double before = clock.time();
    clock.advance(600.0);
    renderer.propagate();
    EXPECT_LT(glm::distance(renderer.getPosition(11)->position, cpuPosition(renderer, tip, before)), 1e-4f);
    EXPECT_GT(glm::distance(renderer.getPosition(11)->position, cpuPosition(renderer, tip, clock.time())), 1e-2f);
}

TEST_F(SatelliteRendererTest, PositionAndDirectionOfMotionButNeverNaN) {
    auto catalogue = test::sampleCatalogue();
    Satellite point = catalogue[1];
    point.catalogNumber = 80000;
    point.semiMajorAxis = point.semiMinorAxis = 0.0f;  // every record on one spot (or NaN)
    point.apogeeRadius = point.perigeeRadius = 0.0f;
    catalogue.push_back(point);
    for (auto way : {SatelliteRenderer::ReadBack::Heads, SatelliteRenderer::ReadBack::Everything}) {
        SimulationClock clock;  // both ways of reading back
        SatelliteRenderer renderer(clock, catalogue, way);
        renderer.setVisible({80000, 11});
        propagateAt(clock, renderer, 500.0);
        EXPECT_EQ(renderer.pickByGaze(glm::vec3(0.0f), renderer.getPosition(11)->position), 11);
        for (const auto& s : test::sampleCatalogue()) {
            const auto p = renderer.getPosition(s.catalogNumber);
            ASSERT_TRUE(p) << s.catalogNumber;
            // Where the tip will be a moment later lies along the direction reported.
            const std::size_t tip = renderer.ranges().at(s.catalogNumber).first;
            const glm::vec3 motion = cpuPosition(renderer, tip, clock.time() + 1.0) - cpuPosition(renderer, tip, clock.time());
            EXPECT_GT(glm::dot(glm::normalize(motion), p->direction), 0.99f) << s.catalogNumber;
        }
        for (int absent : {0, 1, 12, -1, 70003, 80000}) EXPECT_FALSE(renderer.getPosition(absent)) << absent;
    }
}

TEST_F(SatelliteRendererTest, SetOperationsChangeExactlyTheirRanges) {
    SimulationClock clock;
    SatelliteRenderer renderer(clock, test::sampleCatalogue());
    const auto before = renderer.records();
    const glm::vec4 red(1, 0, 0, 1), blue(0, 0, 1, 0.5f);
    renderer.setColors({{22, red}, {44, blue}, {12345, red}, {0, red}});
    renderer.setSizes({{44, 0.07f}, {-3, 1.0f}});
    renderer.setVisible({22, 77, 999});
    propagateAt(clock, renderer, 100.0);
    const auto back = renderer.capturedRecords();
    for (const auto& [number, range] : renderer.ranges()) {
        for (std::uint32_t i = range.first; i <= range.second; ++i) {
            ASSERT_EQ(back[i].color, number == 22 ? red : number == 44 ? blue : before[i].color) << i;
            ASSERT_EQ(back[i].size, number == 44 ? 0.07f : before[i].size) << i;
            ASSERT_EQ(back[i].show, number == 22 || number == 77 ? 1 : 0) << i;
        }
    }
    EXPECT_TRUE(renderer.getColor(44) == blue && renderer.getSize(44) == 0.07f);
    for (int absent : {0, 12345, -1}) EXPECT_FALSE(renderer.getColor(absent) || renderer.getSize(absent));
    EXPECT_NE(renderer.pickByGaze(glm::vec3(0.0f), back[renderer.ranges().at(44).first].position), 44) << "hidden";
    renderer.setVisible({});
    propagateAt(clock, renderer, 100.0);
    for (const auto& v : renderer.capturedRecords()) ASSERT_EQ(v.show, 0);
    EXPECT_EQ(renderer.drawnSegments(), 0u);
}

// Positions come back as heads, a few bytes per satellite asked for, once per pass.
TEST_F(SatelliteRendererTest, ReadsOnlyWhatIsAskedForOncePerPass) {
    const auto catalogue = test::sampleCatalogue();
    SimulationClock clock;
    SatelliteRenderer heads(clock, catalogue, SatelliteRenderer::ReadBack::Heads);
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
        {"the same again, and a number not held", [&] { heads.getPosition(11), heads.getPosition(12345); }, 0},
        {"a gaze pick: every tip", [&] { heads.pickByGaze(eye, ahead); }, 12 * catalogue.size()},
        {"a second pick", [&] { heads.pickByGaze(eye, ahead); }, 0},
        {"a position whose tip the pick read", [&] { heads.getPosition(33); }, 12},
        {"a new pass, then the first satellite again", [&] { heads.propagate(), heads.getPosition(11); }, 24},
        {"picks looking nowhere or at nothing shown",
         [&] { heads.pickByGaze(eye, glm::vec3(0.0f)), heads.setVisible({}), heads.pickByGaze(eye, ahead); }, 0},
    };
    for (const auto& step : steps) {
        const std::uint64_t before = heads.readBackTotals().bytes;
        step.ask();
        EXPECT_EQ(heads.readBackTotals().bytes - before, step.added) << step.what;
    }
    SatelliteRenderer every(clock, catalogue, SatelliteRenderer::ReadBack::Everything);
    every.propagate();
    every.getPosition(11);
    every.pickByGaze(eye, ahead);
    EXPECT_EQ(every.readBackTotals().bytes, every.records().size() * sizeof(PropagatedVertex));
}

// Offscreen pictures: satellites at positions computed on the CPU appear at the pixels the
// projection predicts, in their colours, as tubes seen from near (their outside facing the
// camera) and as ribbons from afar; a hidden one leaves the background; drawing the records
// in small ranges (as for a driver with small storage blocks) changes nothing.
TEST_F(SatelliteRendererTest, PicturesShowSatellitesWherePredicted) {
    constexpr int kSize = 256;
    test::OffscreenTarget target(kSize, kSize);
    test::enableSceneState();
    SimulationClock clock;
    const glm::mat4 projection = glm::perspective(glm::radians(60.0f), 1.0f, 0.1f, 100.0f);
    // Satellites on this side of the globe: the renderer leaves out what the globe hides.
    // None of the heads points at the eye, so each shows its side rather than its open end.
    const glm::mat4 view = glm::lookAt(glm::vec3(0.0f, 3.0f, 6.0f), glm::vec3(0.0f), glm::vec3(0, 1, 0));
    std::vector<test::Rgba> pictures[3];
    for (int take = 0; take < 3; ++take) {
        SCOPED_TRACE(take == 0 ? "tubes" : take == 1 ? "ribbons" : "tubes in small ranges");
        SatelliteRenderer renderer(clock, test::sampleCatalogue(), SatelliteRenderer::ReadBack::Heads, take == 2 ? 40 : 0);
        renderer.setColors({{5, {1, 0, 0, 1}}, {22, {0, 1, 0, 1}}, {99, {0, 0, 1, 1}}, {44, {1, 1, 1, 1}}});
        // Tube radius 0.15 is about 5.4 pixels at this distance (a tube), 0.06 about 2.2 (a ribbon).
        renderer.setSizes({{5, take == 1 ? 0.06f : 0.15f}, {22, take == 1 ? 0.06f : 0.15f},
                           {99, take == 1 ? 0.06f : 0.15f}, {44, 0.15f}});
        renderer.setVisible({5, 22, 99});
        propagateAt(clock, renderer, 0.0);
        target.begin();
        renderer.draw(projection, view);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        pictures[take] = target.read();
        std::vector<float> depths(kSize * kSize);
        glReadPixels(0, 0, kSize, kSize, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
        const auto at = [&](int x, int y, int c) {
            const test::Rgba& p = pictures[take][static_cast<std::size_t>(y) * kSize + x];
            return int(c == 0 ? p.r : c == 1 ? p.g : p.b);
        };
        int channel = 0;
        for (int number : {5, 22, 99, 44}) {
            // The satellite itself is the trail's first record; where the CPU says it is.
            const glm::vec3 centre = glm::project(cpuPosition(renderer, renderer.ranges().at(number).first + 5, clock.time()),
                                                  view, projection, glm::vec4(0, 0, kSize, kSize));
            // The brightest of the 3x3 pixels round it, which may lie anywhere in its pixel. Lit
            // colour is 0.7 to 1.0 of the tube's; near the satellite the strength is close to 1,
            // so the other channels stay small. Hidden 44 leaves the background black.
            int best = -1, bx = 0, by = 0;
            for (int i = 0; i < 27; ++i) {
                const int x = int(centre.x) + i % 3 - 1, y = int(centre.y) + i / 3 % 3 - 1, c = number == 44 ? i / 9 : channel;
                if (at(x, y, c) > best) best = at(x, y, c), bx = x, by = y;
            }
            if (number == 44) {
                EXPECT_EQ(best, 0) << "hidden satellite drawn";
                continue;
            }
            EXPECT_GE(best, 150) << number;
            EXPECT_LE(at(bx, by, (channel + 1) % 3) + at(bx, by, (channel + 2) % 3), best * 0.7) << number;
            // The visible surface is the near side of the tube: outside faces are front faces.
            EXPECT_TRUE(take == 1 || depths[static_cast<std::size_t>(by) * kSize + bx] < centre.z) << number;
            ++channel;
        }
        if (HasFailure()) target.writePng(pictures[take], "satellites-" + std::to_string(take) + ".png");
    }
    EXPECT_TRUE(pictures[2] == pictures[0]) << "ranges changed the picture";
    GLboolean depthWrites = GL_FALSE;  // the scene's state as it was
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites && glIsEnabled(GL_CULL_FACE) && !glIsEnabled(GL_RASTERIZER_DISCARD));
}

TEST_F(SatelliteRendererTest, EmptyCatalogue) {
    SimulationClock clock;
    SatelliteRenderer renderer(clock, {});
    renderer.setVisible({1});
    propagateAt(clock, renderer, 0.0);
    renderer.draw(glm::mat4(1.0f), glm::mat4(1.0f));
    EXPECT_TRUE(!renderer.getPosition(1) && renderer.pickByGaze(glm::vec3(0), glm::vec3(0, 0, 1)) == -1 && !glGetError());
}

}  // namespace
}  // namespace earth
