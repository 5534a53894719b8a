// The satellite renderer against independent arithmetic: captured positions against the same
// single-precision formula on the CPU and against a double-precision Kepler solution, the
// per-satellite operations against the captured records, and a picture.
#include "render/SatelliteRenderer.h"

#include "render/SampleSatellites.h"

#include "data/Catalogue.h"
#include "data/OrbitGeometry.h"
#include "data/ResourceRegistry.h"
#include "support/GlTestContext.h"

#include <epoxy/gl.h>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <iterator>
#include <cmath>
#include <limits>
#include <set>
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
    return orbitPosition(renderer.orbitStates()[v.orbit], v.lead,
                         static_cast<float>(clockTime - renderer.baseTime()));
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
// anomaly (a few ulp of 2 pi, and of the time times the rate), by the driver's sin/cos
// (llvmpipe's are within about 1e-6 of the true value on [0, 2 pi], which also turns the
// frame) and by Newton stopping one step apart near the 0.001 threshold (quadratic
// convergence: (0.001)^2 / (1 - e)). Each is turned into scene units through the speed along
// the ellipse per radian.
void compareWithCpu(const std::vector<Satellite>& catalogue, const char* what,
                    std::initializer_list<double> times = {0.0, 3600.0, 864000.0}) {
    SimulationClock clock;
    SatelliteRenderer renderer(clock, catalogue);
    const auto& records = renderer.records();
    // Start, one hour, ten days of simulated time (what rate 1000 reaches in 864 s), ...
    for (double time : times) {
        SCOPED_TRACE(std::string(what) + " at t = " + std::to_string(time));
        propagateAt(clock, renderer, time);
        ASSERT_TRUE(renderer.positionsReady());
        const auto back = renderer.capturedRecords();
        double worstCpu = 0.0, worstKepler = 0.0;
        int failures = 0;
        for (std::size_t index = 0; index < catalogue.size(); ++index) {
            const Satellite& satellite = catalogue[index];
            const auto range = renderer.ranges().at(satellite.catalogNumber);
            const OrbitState& state = renderer.orbitStates()[index];
            for (std::uint32_t i = range.first; i <= range.second && failures < 10; ++i) {
                const OrbitVertex& v = records[i];
                const glm::vec3 gpu = back[i].position;
                const glm::vec3 cpu = cpuPosition(renderer, i, time);

                const double e = state.eccentricity;
                const double speed = std::max(state.semiMajorAxis, state.semiMinorAxis) / (1.0 - e);
                const double anomalyError =
                    4.0 * ulp(6.3f) + state.meanMotion * 2.0 * ulp(std::fabs(renderer.shaderTime()) +
                                                                   std::fabs(v.lead) + 1.0f) +
                    2e-6 + 1e-6 / (1.0 - e);
                const double tolerance = speed * anomalyError +
                                         4e-6 * state.semiMajorAxis * (1.0 + e) +
                                         8.0 * ulp(glm::length(cpu) + 1.0f);
                const double cpuError = glm::length(glm::dvec3(gpu) - glm::dvec3(cpu));
                worstCpu = std::max(worstCpu, cpuError / tolerance);
                if (cpuError > tolerance) {
                    ++failures;
                    ADD_FAILURE() << "satellite " << satellite.catalogNumber << " record " << i
                                  << ": GPU and CPU differ by " << cpuError << " > " << tolerance;
                }
                const double keplerError =
                    glm::length(glm::dvec3(gpu) - reference(satellite, clock, v.lead));
                worstKepler = std::max(worstKepler, keplerError);
                if (keplerError > 0.001) {
                    ++failures;
                    ADD_FAILURE() << "satellite " << satellite.catalogNumber << " record " << i
                                  << ": " << keplerError << " scene units from the orbit";
                }
            }
        }
        std::printf("%s t=%.2f: worst GPU-CPU / tolerance %.3f, worst orbit error %.2e units\n",
                    what, time, worstCpu, worstKepler);
    }
}

TEST_F(SatelliteRendererTest, GpuMatchesCpuAndKeplerForSampleOrbits) {
    compareWithCpu(test::sampleCatalogue(), "sample");
}

// Time reaches the shader only as seconds since a base near the present, so a billion
// seconds on, 0.01 s steps still move every satellite by distinct, even steps.
TEST_F(SatelliteRendererTest, SmoothMotionAfterABillionSeconds) {
    const auto catalogue = test::sampleCatalogue();
    std::vector<double> times;
    for (int k = 0; k <= 10; ++k) times.push_back(1e9 + 0.01 * k);
    compareWithCpu(catalogue, "1e9", {times[0], times[5], times[10]});
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
        SCOPED_TRACE(s.catalogNumber);
        const std::uint32_t at = renderer.ranges().at(s.catalogNumber).first + 5;
        const float mean = glm::distance(passes.front()[at].position, passes.back()[at].position) / 10.0f;
        // Where 0.01 s moves a satellite by 100 ulp of its position or more: well above the
        // noise of the driver's sine (slow ones, far out, move by only a few).
        if (mean < 1e-5f) continue;
        ++checked;
        for (std::size_t k = 1; k < passes.size(); ++k) {
            const float step = glm::distance(passes[k][at].position, passes[k - 1][at].position);
            EXPECT_NEAR(step, mean, 0.2f * mean) << "step " << k;
        }
    }
    EXPECT_GE(checked, 5);
}

TEST_F(SatelliteRendererTest, GpuMatchesCpuAndKeplerForEmbeddedCatalogue) {
    const auto catalogue = embeddedCatalogueOrEmpty();
    ASSERT_FALSE(catalogue.empty()) << "the element-set resources are not embedded";
    compareWithCpu(catalogue, "embedded");
}

TEST_F(SatelliteRendererTest, HeadAndTrailRangesAndStrengths) {
    const auto catalogue = test::sampleCatalogue();
    SimulationClock clock;
    SatelliteRenderer renderer(clock, catalogue);
    propagateAt(clock, renderer, 1234.0);
    const auto back = renderer.capturedRecords();

    std::uint32_t expectedFirst = 0;
    std::size_t segments = 0;
    for (const auto& s : catalogue) {
        SCOPED_TRACE(s.catalogNumber);
        const auto range = renderer.ranges().at(s.catalogNumber);
        // Trail vertices: n + 1 with n the truncated circumference in scene units.
        const double meanRadius = std::sqrt((double(s.semiMajorAxis) * s.semiMajorAxis +
                                             double(s.semiMinorAxis) * s.semiMinorAxis) / 2.0);
        const int n = static_cast<int>(meanRadius * kTwoPi * orbit::sceneScale);
        ASSERT_EQ(range.first, expectedFirst);
        ASSERT_EQ(range.second - range.first + 1, static_cast<std::uint32_t>(n + 6));
        expectedFirst = range.second + 1;
        segments += n + 5;

        for (int k = 5; k >= 1; --k) {  // head, front tip first
            const double x = k / 5.0;
            EXPECT_NEAR(back[range.first + 5 - k].strength, std::sqrt(1.0 - x * x), 1e-6);
        }
        for (int j = 0; j <= n; ++j) {
            const double x = double(j) / n;
            EXPECT_NEAR(back[range.first + 5 + j].strength,
                        std::min(1.0, std::pow(1.0 - x, 10.0) + 0.2), 1e-5);
        }
        const float size = s.isDebris ? 0.005f : 0.01f;
        const glm::vec4 color = s.isDebris ? glm::vec4(0.2f, 0.2f, 0.2f, 0.5f)
                                           : glm::vec4(0.44f, 0.82f, 0.42f, 1.0f);
        for (std::uint32_t i = range.first; i <= range.second; ++i) {
            EXPECT_EQ(back[i].size, size);
            EXPECT_EQ(back[i].color, color);
            EXPECT_EQ(back[i].show, 0) << "every satellite starts hidden";
        }
        if (s.eccentricity < 0.02f) {
            // The tip leads the satellite by about 0.02 scene units; the trail ends a tenth of
            // a period (36 degrees of a circle) behind it.
            const glm::vec3 satellite = back[range.first + 5].position;
            EXPECT_NEAR(glm::distance(back[range.first].position, satellite), 0.02, 0.02 * 0.05);
            const double r = glm::length(satellite);
            EXPECT_NEAR(glm::distance(back[range.second].position, satellite),
                        2.0 * r * std::sin(kTwoPi / 20.0), r * 0.05);
        }
    }
    EXPECT_EQ(renderer.segmentIndices().size(), 2 * segments);
    // One segment per consecutive pair inside a satellite, none across satellites.
    const auto& idx = renderer.segmentIndices();
    std::set<std::uint32_t> firsts;
    for (const auto& [number, range] : renderer.ranges()) firsts.insert(range.first);
    for (std::size_t i = 0; i < idx.size(); i += 2) {
        EXPECT_EQ(idx[i + 1], idx[i] + 1);
        EXPECT_EQ(firsts.count(idx[i + 1]), 0u) << "segment joins two satellites at " << idx[i];
    }
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
        const std::size_t tip = renderer.ranges().at(s.catalogNumber).first;
        // Where the tip will be a moment later lies along the direction reported.
        const glm::vec3 later = cpuPosition(renderer, tip, clock.time() + 1.0);
        const glm::vec3 now = cpuPosition(renderer, tip, clock.time());
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
            ASSERT_EQ(renderer.records()[i].lead, before[i].lead);
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

TEST_F(SatelliteRendererTest, RepeatedNumberKeepsTheFirstRange) {
    auto catalogue = test::sampleCatalogue();
    Satellite again = catalogue[2];  // number 22 once more, another orbit
    again.semiMajorAxis *= 1.5f;
    again.semiMinorAxis *= 1.5f;
    catalogue.insert(catalogue.begin() + 3, again);
    SimulationClock clock;
    SatelliteRenderer renderer(clock, catalogue);
    const auto range = renderer.ranges().at(22);
    EXPECT_EQ(range.first, renderer.ranges().at(11).second + 1);
    EXPECT_LT(range.second + 1, renderer.ranges().at(33).first) << "later copy still has records";
}

TEST_F(SatelliteRendererTest, PickByGaze) {
    const auto catalogue = test::sampleCatalogue();
    SimulationClock clock;
    SatelliteRenderer renderer(clock, catalogue);
    renderer.setVisible({11, 22, 33, 70001, 70002});
    propagateAt(clock, renderer, 0.0);
    const auto back = renderer.capturedRecords();
    auto tip = [&](int n) { return back[renderer.ranges().at(n).first].position; };

    const glm::vec3 eye(0.0f);
    for (int n : {11, 22, 33}) {
        EXPECT_EQ(renderer.pickByGaze(eye, tip(n)), n) << "looking straight at it";
        EXPECT_EQ(renderer.pickByGaze(eye, 3.0f * tip(n)), n) << "direction need not be unit";
        // Behind the eye on the same line: not picked.
        EXPECT_NE(renderer.pickByGaze(eye, -tip(n)), n);
    }
    // The two identical orbits tie: the lower number wins.
    EXPECT_EQ(renderer.pickByGaze(eye, tip(70002)), 70001);
    // Hidden satellites are never picked, however close.
    EXPECT_NE(renderer.pickByGaze(eye, tip(44)), 44);
    // A line of sight 50 scene units above the north pole passes nothing within one unit.
    EXPECT_EQ(renderer.pickByGaze(glm::vec3(-50.0f, 50.0f, 0.0f), glm::vec3(1, 0, 0)), -1);
    // The geosynchronous one alone, seen from just under and just over one unit aside (from
    // beyond the globe, which would otherwise graze the line).
    const glm::vec3 d = glm::normalize(tip(33));
    const glm::vec3 side = glm::normalize(glm::cross(d, glm::vec3(0, 1, 0)));
    EXPECT_EQ(renderer.pickByGaze(2.0f * d + side * 0.999f, d), 33);
    EXPECT_NE(renderer.pickByGaze(2.0f * d + side * 1.001f, d), 33);
    // Straight through the globe: hidden.
    EXPECT_EQ(renderer.pickByGaze(-2.0f * d, d), -1);
    EXPECT_EQ(renderer.pickByGaze(eye, glm::vec3(0.0f)), -1) << "zero direction";
}

// An offscreen picture: satellites at positions computed on the CPU appear at the pixels the
// projection predicts, in their colours, with the outside of each tube facing the camera; a
// hidden one leaves the background.
TEST_F(SatelliteRendererTest, PictureShowsSatellitesWherePredicted) {
    constexpr int kSize = 128;
    GLuint fbo = 0, color = 0, depth = 0;
    glGenFramebuffers(1, &fbo);
    glGenRenderbuffers(1, &color);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kSize, kSize);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kSize, kSize);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glViewport(0, 0, kSize, kSize);

    // The scene's global state.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const auto catalogue = test::sampleCatalogue();
    SimulationClock clock;
    SatelliteRenderer renderer(clock, catalogue);
    struct Shown {
        int number;
        glm::vec4 color;
        int channel;  // the one that must dominate
    };
    const Shown shown[] = {{11, {1, 0, 0, 1}, 0}, {22, {0, 1, 0, 1}, 1}, {66, {0, 0, 1, 1}, 2}};
    const int hidden = 44;
    std::vector<int> visible;
    for (const auto& s : shown) {
        renderer.setColors({{s.number, s.color}});
        renderer.setSizes({{s.number, 0.15f}});
        visible.push_back(s.number);
    }
    renderer.setSizes({{hidden, 0.15f}});
    renderer.setColors({{hidden, glm::vec4(1, 1, 1, 1)}});
    renderer.setVisible(visible);
    propagateAt(clock, renderer, 0.0);

    const glm::mat4 projection = glm::perspective(glm::radians(60.0f), 1.0f, 0.1f, 100.0f);
    const glm::mat4 view = glm::lookAt(glm::vec3(1.5f, 2.0f, 6.0f), glm::vec3(0.0f),
                                       glm::vec3(0.0f, 1.0f, 0.0f));
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderer.draw(projection, view);

    GLboolean depthWrites = GL_FALSE;
    GLint frontFace = 0;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    glGetIntegerv(GL_FRONT_FACE, &frontFace);
    EXPECT_EQ(depthWrites, GL_TRUE);
    EXPECT_EQ(frontFace, GL_CCW);
    EXPECT_FALSE(glIsEnabled(GL_RASTERIZER_DISCARD));

    std::vector<unsigned char> pixels(kSize * kSize * 4);
    std::vector<float> depths(kSize * kSize);
    glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glReadPixels(0, 0, kSize, kSize, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());

    struct Pixel {
        int x, y;
        float depth;
    };
    // The satellite itself is the trail's first record; where the CPU says it is, projected.
    auto project = [&](int number) {
        const std::size_t satellite = renderer.ranges().at(number).first + 5;
        const glm::vec4 clip =
            projection * view * glm::vec4(cpuPosition(renderer, satellite, clock.time()), 1.0f);
        const glm::vec3 ndc = glm::vec3(clip) / clip.w;
        return Pixel{static_cast<int>((ndc.x * 0.5f + 0.5f) * kSize),
                     static_cast<int>((ndc.y * 0.5f + 0.5f) * kSize), ndc.z * 0.5f + 0.5f};
    };
    auto at = [&](int x, int y, int c) { return int(pixels[(y * kSize + x) * 4 + c]); };

    std::vector<Pixel> places;
    for (const auto& s : shown) places.push_back(project(s.number));
    places.push_back(project(hidden));
    for (std::size_t i = 0; i < places.size(); ++i) {
        ASSERT_TRUE(places[i].x >= 2 && places[i].x < kSize - 2 && places[i].y >= 2 &&
                    places[i].y < kSize - 2) << "satellite " << i << " off the picture";
        for (std::size_t j = 0; j < i; ++j) {
            ASSERT_GT(std::abs(places[i].x - places[j].x) + std::abs(places[i].y - places[j].y), 8)
                << "test satellites overlap in the picture";
        }
    }

    bool pictureOk = true;
    for (std::size_t i = 0; i < std::size(shown); ++i) {
        SCOPED_TRACE(shown[i].number);
        // Tube radius 0.15 is about 2.5 pixels at this distance; the brightest pixel of the
        // 3x3 neighbourhood allows for where the centre falls within its pixel. Lit colour is
        // 0.7 to 1.0 of the tube colour; near the satellite the strength is close to 1, so the
        // other channels stay small (grey mix at most a third of the strength's complement).
        int best = -1, bx = 0, by = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int v = at(places[i].x + dx, places[i].y + dy, shown[i].channel);
                if (v > best) best = v, bx = places[i].x + dx, by = places[i].y + dy;
            }
        EXPECT_GE(best, 150);
        for (int c = 0; c < 3; ++c) {
            if (c != shown[i].channel) {
                EXPECT_LE(at(bx, by, c), best * 0.35) << "channel " << c;
            }
        }
        // The visible surface is the near side of the tube: outside faces are front faces.
        EXPECT_LT(depths[by * kSize + bx], places[i].depth);
        pictureOk = pictureOk && best >= 150;
    }
    const Pixel& h = places.back();
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            for (int c = 0; c < 3; ++c) EXPECT_EQ(at(h.x + dx, h.y + dy, c), 0) << "hidden satellite drawn";

    if (!pictureOk || HasFailure()) {
        // Leave the picture next to the test output for a look (binary PPM, rows bottom-up).
        FILE* f = std::fopen("satellite_picture_actual.ppm", "wb");
        if (f) {
            std::fprintf(f, "P6 %d %d 255\n", kSize, kSize);
            for (int y = kSize - 1; y >= 0; --y)
                for (int x = 0; x < kSize; ++x) std::fwrite(&pixels[(y * kSize + x) * 4], 1, 3, f);
            std::fclose(f);
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &fbo);
    glDeleteRenderbuffers(1, &color);
    glDeleteRenderbuffers(1, &depth);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SatelliteRendererTest, OneDrawCallPerPassWhateverTheCatalogueSize) {
    for (int copies : {1, 4}) {
        std::vector<Satellite> catalogue;
        for (int c = 0; c < copies; ++c) {
            for (Satellite s : test::sampleCatalogue()) {
                s.catalogNumber += c * 100000;
                catalogue.push_back(s);
            }
        }
        SimulationClock clock;
        SatelliteRenderer renderer(clock, catalogue);
        renderer.propagate();
        EXPECT_EQ(renderer.drawCalls(), 1u);
        renderer.draw(glm::mat4(1.0f), glm::mat4(1.0f));
        renderer.draw(glm::mat4(1.0f), glm::mat4(1.0f));  // second eye
        EXPECT_EQ(renderer.drawCalls(), 3u);
    }
}

TEST_F(SatelliteRendererTest, OrbitAlpha) {
    SimulationClock clock;
    SatelliteRenderer renderer(clock, test::sampleCatalogue());
    EXPECT_EQ(renderer.orbitAlpha(), 1.0f);
    renderer.setOrbitAlpha(0.1f);
    EXPECT_EQ(renderer.orbitAlpha(), 0.1f);
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
