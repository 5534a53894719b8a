// The satellite renderer against independent arithmetic: captured positions against the same
// single-precision formula on the CPU and against a double-precision Kepler solution, the
// per-satellite operations against the captured records, and pictures.
#include "render/SatelliteRenderer.h"

#include "render/SampleSatellites.h"

#include "data/Catalogue.h"
#include "data/OrbitGeometry.h"
#include "data/ResourceRegistry.h"
#include "support/GlTestContext.h"
#include "support/OffscreenTarget.h"

#include <epoxy/gl.h>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace earth {
namespace {

constexpr double kTwoPi = 6.283185307179586;

// Renders after its propagate calls have settled: the read-back lags one pass, so the second
// pass at the same time hands back the first one's results for that time.
void propagateAt(SimulationClock& clock, SatelliteRenderer& renderer, double seconds) {
    clock.setTime(seconds);
    renderer.propagate();
    renderer.propagate();
}

float ulp(float x) {
    x = std::fabs(x);
    return std::nextafter(x, std::numeric_limits<float>::infinity()) - x;
}

// Position of a record from the satellite's elements alone, in double precision: closed-form
// orbit frame, Kepler's equation solved to round-off.
glm::dvec3 keplerReference(const Satellite& s, const SimulationClock& clock, double phaseOffset,
                           double time) {
    const double raan = s.raan, inc = s.inclination, argp = s.argumentOfPerigee;
    const glm::dvec3 node(std::sin(raan), 0.0, std::cos(raan));
    auto rotate = [](const glm::dvec3& v, double angle, const glm::dvec3& axis) {
        return v * std::cos(angle) + glm::cross(axis, v) * std::sin(angle) +
               axis * glm::dot(axis, v) * (1.0 - std::cos(angle));
    };
    const glm::dvec3 normal = rotate(glm::dvec3(0, 1, 0), inc, node);
    const glm::dvec3 perigee = rotate(node, argp, normal);
    const glm::dvec3 minor = glm::cross(normal, perigee);

    const double a = s.semiMajorAxis, e = s.eccentricity, period = s.period;
    const double b = a * std::sqrt(1.0 - e * e);
    const double perigeeAt = (s.perigeeTime - clock.epoch()).total_microseconds() / 1e6;
    double t = (time - perigeeAt - phaseOffset) / period;
    const double m = (t - std::floor(t)) * kTwoPi;
    double E = m;
    for (int i = 0; i < 100; ++i) {
        const double next = E - (E - e * std::sin(E) - m) / (1.0 - e * std::cos(E));
        if (std::fabs(next - E) < 1e-15) break;
        E = next;
    }
    const double scale = static_cast<double>(orbit::sceneScale);
    return scale * (-a * e * perigee + a * std::cos(E) * perigee + b * std::sin(E) * minor);
}

class SatelliteRendererTest : public ::testing::Test {
protected:
    test::GlTestContext context{256, 256};
};

std::vector<Satellite> embeddedCatalogueOrEmpty() {
    if (!findResource("DATA", "902")) return {};
    return loadSatellites();
}

// GPU and CPU run the same float formula; they may differ by the rounding of the mean
// anomaly (division and floor allow a few ulp of t, times 2 pi), by the driver's sin/cos
// (llvmpipe's are within about 1e-6 of the true value on [0, 2 pi]) and by Newton stopping one
// step apart near the 0.001 threshold (quadratic convergence: (0.001)^2 / (1 - e)). Each is
// turned into scene units through the speed along the ellipse per radian.
void compareWithCpu(const std::vector<Satellite>& catalogue, const char* what) {
    SimulationClock clock;
    SatelliteRenderer renderer(clock, catalogue);
    const auto& records = renderer.records();
    // Start, one hour, and ten days of simulated time (what rate 1000 reaches in 864 s).
    for (double time : {0.0, 3600.0, 864000.0}) {
        SCOPED_TRACE(std::string(what) + " at t = " + std::to_string(time));
        propagateAt(clock, renderer, time);
        ASSERT_TRUE(renderer.positionsReady());
        const auto back = renderer.capturedRecords();
        double worstCpu = 0.0, worstKepler = 0.0;
        int failures = 0;
        for (const auto& satellite : catalogue) {
            const auto range = renderer.ranges().at(satellite.catalogNumber);
            const float phase = satellitePhase(SimulationClock(), satellite);
            for (std::uint32_t i = range.first; i <= range.second && failures < 10; ++i) {
                const OrbitVertex& v = records[i];
                const glm::vec3 gpu = back[i].position;
                const glm::vec3 cpu = orbitPosition(v, clock.time());

                const float t = (clock.time() - v.phase) / v.period;
                const double e = v.eccentricity;
                const double speed = std::max(v.semiMajorAxis, v.semiMinorAxis) / (1.0 - e);
                const double anomalyError = kTwoPi * 4.0 * ulp(std::max(std::fabs(t), 1.0f)) +
                                            2e-6 + 1e-6 / (1.0 - e);
                const double tolerance = speed * anomalyError + 8.0 * ulp(glm::length(cpu) + 1.0f);
                const double cpuError = glm::length(glm::dvec3(gpu) - glm::dvec3(cpu));
                worstCpu = std::max(worstCpu, cpuError / tolerance);
                if (cpuError > tolerance) {
                    ++failures;
                    ADD_FAILURE() << "satellite " << satellite.catalogNumber << " record " << i
                                  << ": GPU and CPU differ by " << cpuError << " > " << tolerance;
                }

                const glm::dvec3 exact =
                    keplerReference(satellite, clock, double(v.phase) - double(phase), time);
                const double keplerError = glm::length(glm::dvec3(gpu) - exact);
                worstKepler = std::max(worstKepler, keplerError);
                if (keplerError > 0.001) {
                    ++failures;
                    ADD_FAILURE() << "satellite " << satellite.catalogNumber << " record " << i
                                  << ": " << keplerError << " scene units from the Kepler orbit";
                }
            }
        }
        std::printf("%s t=%.0f: worst GPU-CPU / tolerance %.3f, worst Kepler error %.2e units\n",
                    what, time, worstCpu, worstKepler);
    }
}

TEST_F(SatelliteRendererTest, GpuMatchesCpuAndKeplerForSampleOrbits) {
    compareWithCpu(test::sampleCatalogue(), "sample");
}

TEST_F(SatelliteRendererTest, GpuMatchesCpuAndKeplerForEmbeddedCatalogue) {
    const auto catalogue = embeddedCatalogueOrEmpty();
    ASSERT_FALSE(catalogue.empty()) << "the element-set resources are not embedded";
    compareWithCpu(catalogue, "embedded");
}

TEST_F(SatelliteRendererTest, FirstFramesHoldZerosAndNoPositions) {
    const auto catalogue = test::sampleCatalogue();
    SimulationClock clock;
    SatelliteRenderer renderer(clock, catalogue);
    EXPECT_FALSE(renderer.getPosition(11));
    renderer.propagate();
    // The first read-back is of the buffer no pass has written yet: zero-filled.
    for (const auto& v : renderer.capturedRecords()) {
        ASSERT_EQ(v.position, glm::vec3(0.0f));
        ASSERT_EQ(v.show, 0);
    }
    EXPECT_FALSE(renderer.positionsReady());
    EXPECT_FALSE(renderer.getPosition(11));
    EXPECT_EQ(renderer.pickByGaze(glm::vec3(0, 0, 5), glm::vec3(0, 0, -1)), -1);
    renderer.propagate();
    const auto position = renderer.getPosition(11);
    ASSERT_TRUE(position);
    EXPECT_NEAR(glm::length(position->direction), 1.0f, 1e-5f);
    EXPECT_EQ(position->position,
              renderer.capturedRecords()[renderer.ranges().at(11).first].position);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SatelliteRendererTest, PositionAndDirectionOfMotion) {
    const auto catalogue = test::sampleCatalogue();
    SimulationClock clock;
    SatelliteRenderer renderer(clock, catalogue);
    propagateAt(clock, renderer, 500.0);
    for (const auto& s : catalogue) {
        SCOPED_TRACE(s.catalogNumber);
        const auto p = renderer.getPosition(s.catalogNumber);
        ASSERT_TRUE(p);
        const OrbitVertex& tip = renderer.records()[renderer.ranges().at(s.catalogNumber).first];
        // Where the tip will be a moment later lies along the direction reported.
        const glm::vec3 later = orbitPosition(tip, clock.time() + 1.0f);
        const glm::vec3 now = orbitPosition(tip, clock.time());
        EXPECT_GT(glm::dot(glm::normalize(later - now), p->direction), 0.99f);
    }
    for (int absent : {0, 1, 12, -1, 70003}) EXPECT_FALSE(renderer.getPosition(absent)) << absent;
}

TEST_F(SatelliteRendererTest, DegenerateOrbitGivesNoPositionNeverNaN) {
    auto catalogue = test::sampleCatalogue();
    Satellite point = catalogue[1];
    point.catalogNumber = 80000;
    point.semiMajorAxis = point.semiMinorAxis = 0.0f;  // every record on one spot (or NaN)
    point.apogeeRadius = point.perigeeRadius = 0.0f;
    catalogue.push_back(point);
    SimulationClock clock;
    SatelliteRenderer renderer(clock, catalogue);
    renderer.setVisible({80000, 11});
    propagateAt(clock, renderer, 10.0);
    EXPECT_FALSE(renderer.getPosition(80000));
    EXPECT_TRUE(renderer.getPosition(11));
    const glm::vec3 at11 = renderer.getPosition(11)->position;
    EXPECT_EQ(renderer.pickByGaze(glm::vec3(0.0f), at11), 11);
}

TEST_F(SatelliteRendererTest, SetOperationsChangeExactlyTheirRanges) {
    const auto catalogue = test::sampleCatalogue();
    SimulationClock clock;
    SatelliteRenderer renderer(clock, catalogue);
    const auto before = renderer.records();

    const glm::vec4 red(1, 0, 0, 1), blue(0, 0, 1, 0.5f);
    renderer.setColors({{22, red}, {44, blue}, {12345, red}, {0, red}});
    renderer.setSizes({{44, 0.07f}, {-3, 1.0f}});
    renderer.setVisible({22, 77, 999});
    propagateAt(clock, renderer, 100.0);

    const auto back = renderer.capturedRecords();
    for (const auto& [number, range] : renderer.ranges()) {
        SCOPED_TRACE(number);
        for (std::uint32_t i = range.first; i <= range.second; ++i) {
            const glm::vec4 color = number == 22 ? red : number == 44 ? blue : before[i].color;
            const float size = number == 44 ? 0.07f : before[i].size;
            const int show = (number == 22 || number == 77) ? 1 : 0;
            ASSERT_EQ(back[i].color, color) << "record " << i;
            ASSERT_EQ(back[i].size, size) << "record " << i;
            ASSERT_EQ(back[i].show, show) << "record " << i;
            ASSERT_EQ(renderer.records()[i].phase, before[i].phase);
        }
    }
    EXPECT_EQ(renderer.getColor(44), blue);
    EXPECT_EQ(renderer.getSize(44), 0.07f);
    EXPECT_EQ(renderer.getSize(22), 0.01f);
    EXPECT_EQ(renderer.getSize(77), 0.005f);
    for (int absent : {0, 12345, -1}) {
        EXPECT_FALSE(renderer.getColor(absent)) << absent;
        EXPECT_FALSE(renderer.getSize(absent)) << absent;
    }

    renderer.setVisible({});
    propagateAt(clock, renderer, 100.0);
    for (const auto& v : renderer.capturedRecords()) ASSERT_EQ(v.show, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SatelliteRendererTest, PickByGazeSeesShownSatellitesOnly) {
    const auto catalogue = test::sampleCatalogue();
    SimulationClock clock;
    SatelliteRenderer renderer(clock, catalogue);
    renderer.setVisible({11, 22, 33});
    propagateAt(clock, renderer, 0.0);
    const auto back = renderer.capturedRecords();
    auto tip = [&](int n) { return back[renderer.ranges().at(n).first].position; };
    for (int n : {11, 22, 33}) EXPECT_EQ(renderer.pickByGaze(glm::vec3(0.0f), tip(n)), n);
    EXPECT_NE(renderer.pickByGaze(glm::vec3(0.0f), tip(44)), 44) << "hidden";
    EXPECT_EQ(renderer.pickByGaze(glm::vec3(-50.0f, 50.0f, 0.0f), glm::vec3(1, 0, 0)), -1);
}

// Offscreen pictures: satellites at positions computed on the CPU appear at the pixels the
// projection predicts, in their colours, as tubes seen from near (their outside facing the
// camera) and as ribbons from afar; a hidden one leaves the background; drawing the records
// in small ranges (as for a driver with small storage blocks) changes nothing.
TEST_F(SatelliteRendererTest, PicturesShowSatellitesWherePredicted) {
    constexpr int kSize = 128;
    test::OffscreenTarget target(kSize, kSize);
    test::enableSceneState();
    const auto catalogue = test::sampleCatalogue();
    SimulationClock clock;
    struct Shown {
        int number;
        glm::vec4 color;
        int channel;  // the one that must dominate
    };
    const Shown shown[] = {{11, {1, 0, 0, 1}, 0}, {22, {0, 1, 0, 1}, 1}, {66, {0, 0, 1, 1}, 2}};
    const int hidden = 44;
    const glm::mat4 projection = glm::perspective(glm::radians(60.0f), 1.0f, 0.1f, 100.0f);
    const glm::mat4 view = glm::lookAt(glm::vec3(1.5f, 2.0f, 6.0f), glm::vec3(0.0f), glm::vec3(0, 1, 0));
    // Tube radius 0.15 is about 2.7 pixels at this distance (a tube), 0.06 about 1.1 (a ribbon).
    std::vector<test::Rgba> pictures[3];
    for (int take = 0; take < 3; ++take) {
        SCOPED_TRACE(take == 0 ? "tubes" : take == 1 ? "ribbons" : "tubes in small ranges");
        SatelliteRenderer renderer(clock, catalogue, SatelliteRenderer::ReadBack::Heads,
                                   take == 2 ? 40 : 0);
        const float size = take == 1 ? 0.06f : 0.15f;
        std::vector<int> visible;
        for (const auto& s : shown) {
            renderer.setColors({{s.number, s.color}});
            renderer.setSizes({{s.number, size}});
            visible.push_back(s.number);
        }
        renderer.setSizes({{hidden, size}});
        renderer.setColors({{hidden, glm::vec4(1, 1, 1, 1)}});
        renderer.setVisible(visible);
        propagateAt(clock, renderer, 0.0);
        target.begin();
        renderer.draw(projection, view);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        pictures[take] = target.read();
        std::vector<float> depths(kSize * kSize);
        glReadPixels(0, 0, kSize, kSize, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
        auto at = [&](int x, int y) { return pictures[take][static_cast<std::size_t>(y) * kSize + x]; };
        auto channel = [](const test::Rgba& p, int c) { return c == 0 ? p.r : c == 1 ? p.g : p.b; };
        // The satellite itself is the trail's first record; where the CPU says it is, projected.
        auto project = [&](int number) {
            const OrbitVertex& v = renderer.records()[renderer.ranges().at(number).first + 5];
            return glm::project(orbitPosition(v, clock.time()), view, projection,
                                glm::vec4(0, 0, kSize, kSize));
        };
        for (const Shown& s : shown) {
            SCOPED_TRACE(s.number);
            const glm::vec3 centre = project(s.number);
            const glm::ivec2 c(centre);
            ASSERT_TRUE(c.x >= 1 && c.x < kSize - 1 && c.y >= 1 && c.y < kSize - 1);
            // The brightest of the 3x3 pixels round the centre, which may fall anywhere in its
            // pixel. Lit colour is 0.7 to 1.0 of the tube's; near the satellite the strength is
            // close to 1, so the other channels stay small.
            int best = -1, bx = 0, by = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int v = channel(at(c.x + dx, c.y + dy), s.channel);
                    if (v > best) best = v, bx = c.x + dx, by = c.y + dy;
                }
            }
            EXPECT_GE(best, 150);
            for (int other = 0; other < 3; ++other) {
                if (other != s.channel) {
                    EXPECT_LE(channel(at(bx, by), other), best * 0.35) << other;
                }
            }
            // The visible surface is the near side of the tube: outside faces are front faces.
            if (take == 0) {
                EXPECT_LT(depths[static_cast<std::size_t>(by) * kSize + bx], centre.z);
            }
        }
        const glm::ivec2 h(project(hidden));
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) EXPECT_EQ(at(h.x + dx, h.y + dy), (test::Rgba{0, 0, 0, 255}));
        }
        if (HasFailure()) target.writePng(pictures[take], "satellites-" + std::to_string(take) + ".png");
    }
    EXPECT_TRUE(pictures[2] == pictures[0]) << "ranges changed the picture";
    GLboolean depthWrites = GL_FALSE;
    GLint frontFace = 0;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    glGetIntegerv(GL_FRONT_FACE, &frontFace);
    EXPECT_EQ(depthWrites, GL_TRUE);
    EXPECT_EQ(frontFace, GL_CCW);
    EXPECT_FALSE(glIsEnabled(GL_RASTERIZER_DISCARD));
}

TEST_F(SatelliteRendererTest, EmptyCatalogue) {
    SimulationClock clock;
    SatelliteRenderer renderer(clock, {});
    renderer.propagate();
    renderer.propagate();
    renderer.draw(glm::mat4(1.0f), glm::mat4(1.0f));
    renderer.setVisible({1});
    EXPECT_FALSE(renderer.getPosition(1));
    EXPECT_EQ(renderer.pickByGaze(glm::vec3(0), glm::vec3(0, 0, 1)), -1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace earth
