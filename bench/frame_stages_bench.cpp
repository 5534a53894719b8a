// The frame's drawing, stage by stage, offscreen and with the program's own data: the star
// cube, the globe and every satellite in its class colour (as free exploration shows them),
// seen from the free camera's start (3 Earth radii out), at 1x and 10x the catalogue (copies
// shifted in phase) and for one 1280x720 window or two 1080x1200 headset eyes (one
// propagation, both eyes drawn). Each stage ends with glFinish, so a software rasteriser's
// work is charged to the stage that asked for it. It uses only the renderers' long-standing
// interfaces, so that it also measures an older tree for an old-beside-new table (there the
// copies' phase went through the satellite's time of perigee instead of its mean anomaly).
#include "render/EarthRenderer.h"
#include "render/SatelliteRenderer.h"
#include "render/Starfield.h"

#include "data/Catalogue.h"
#include "data/SimulationClock.h"
#include "script/Camera.h"
#include "support/GlTestContext.h"
#include "support/OffscreenTarget.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#include <glm/gtc/matrix_transform.hpp>

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

using earth::Satellite;

std::vector<Satellite> scaledCatalogue(int copies) {
    static const std::vector<Satellite> base = earth::loadSatellites();
    std::vector<Satellite> out;
    for (int c = 0; c < copies; ++c) {
        for (Satellite s : base) {
            s.catalogNumber += c * 1000000;
            s.meanAnomaly += 6.283185307179586 * c / copies;
            out.push_back(std::move(s));
        }
    }
    return out;
}

// Free exploration's colours by orbit class; debris keeps its own grey.
glm::vec4 classColour(const Satellite& s) {
    using earth::OrbitClass;
    if (s.orbitClass & OrbitClass::Leo) return {0.44f, 0.82f, 0.42f, 1.0f};
    if (s.orbitClass & OrbitClass::Elliptical) return {0.78f, 0.13f, 0.22f, 1.0f};
    if (s.orbitClass & OrbitClass::Meo) return {1.0f, 0.75f, 0.34f, 1.0f};
    if (s.orbitClass & OrbitClass::Geo) return {0.42f, 0.65f, 0.87f, 1.0f};
    return {0.2f, 0.2f, 0.2f, 0.5f};
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// One function per stage, so that an instruction count (callgrind, inclusive cost) can be
// split by stage as well.
__attribute__((noinline)) void stageStars(earth::Starfield& stars, const glm::mat4& sky) {
    stars.draw(sky);
    glFinish();
}
__attribute__((noinline)) void stageGlobe(earth::EarthRenderer& globe, const glm::mat4& projection,
                                          const glm::mat4& view) {
    globe.draw(projection, view);
    glFinish();
}
__attribute__((noinline)) void stageSatellites(earth::SatelliteRenderer& satellites,
                                               const glm::mat4& projection, const glm::mat4& view) {
    satellites.draw(projection, view);
    glFinish();
}
__attribute__((noinline)) void stagePropagate(earth::SatelliteRenderer& satellites) {
    satellites.propagate();
    glFinish();
}

// Args: copies of the catalogue; eyes (1: a 1280x720 window, 2: two 1080x1200 eyes).
void BM_FrameStages(benchmark::State& state) {
    const int copies = static_cast<int>(state.range(0));
    const int eyes = static_cast<int>(state.range(1));
    const int width = eyes == 1 ? 1280 : 1080;
    const int height = eyes == 1 ? 720 : 1200;
    earth::test::GlTestContext context(64, 64);
    std::vector<std::unique_ptr<earth::test::OffscreenTarget>> targets;
    for (int e = 0; e < eyes; ++e) {
        targets.push_back(std::make_unique<earth::test::OffscreenTarget>(width, height));
    }
    earth::test::enableSceneState();

    const auto catalogue = scaledCatalogue(copies);
    earth::SimulationClock clock;
    const float scale = 1.0f / 6378100.0f;
    earth::Starfield stars;
    earth::EarthRenderer globe(clock, scale);
    earth::SatelliteRenderer satellites(clock, catalogue);
    std::vector<int> all;
    std::vector<std::pair<int, glm::vec4>> colours;
    for (const Satellite& s : catalogue) {
        all.push_back(s.catalogNumber);
        if (!s.isDebris) colours.emplace_back(s.catalogNumber, classColour(s));
    }
    satellites.setColors(colours);
    satellites.setVisible(all);

    const earth::CameraFrame camera = earth::fromAngles(0.0f, 0.0f, 3.0f).frame;
    // The desktop projection (45 handed over as radians); the eyes a little apart.
    const glm::mat4 projection =
        glm::perspective(45.0f, static_cast<float>(width) / height, 0.1f, 100.0f);
    const glm::vec3 right = glm::normalize(glm::cross(camera.forward, camera.up));
    for (int i = 0; i < 3; ++i) satellites.propagate();  // both capture buffers written
    glFinish();

    enum { Propagate, Stars, Globe, Satellites, Stages };
    double spent[Stages] = {};
    for (auto _ : state) {
        clock.advance(1000.0 / 60.0);  // rate 1000 at 60 frames per second
        auto t = std::chrono::steady_clock::now();
        stagePropagate(satellites);
        spent[Propagate] += seconds(t);
        for (int e = 0; e < eyes; ++e) {
            const float side = eyes == 1 ? 0.0f : (e == 0 ? -1e-4f : 1e-4f);
            const glm::vec3 eye = camera.position + side * right;
            const glm::mat4 view = glm::lookAt(eye, eye + camera.forward, camera.up);
            const glm::mat4 sky = projection * glm::lookAt(glm::vec3(0.0f), camera.forward, camera.up);
            targets[static_cast<std::size_t>(e)]->begin();
            t = std::chrono::steady_clock::now();
            stageGlobe(globe, projection, view);
            spent[Globe] += seconds(t);
            t = std::chrono::steady_clock::now();
            stageStars(stars, sky);  // the program's order: the stars fill what the globe left
            spent[Stars] += seconds(t);
            t = std::chrono::steady_clock::now();
            stageSatellites(satellites, projection, view);
            spent[Satellites] += seconds(t);
        }
    }
    const double frames = static_cast<double>(state.iterations());
    const char* names[Stages] = {"propagate_ms", "stars_ms", "globe_ms", "satellites_ms"};
    double total = 0.0;
    for (int s = 0; s < Stages; ++s) {
        state.counters[names[s]] = spent[s] / frames * 1e3;
        total += spent[s];
    }
    state.counters["total_ms"] = total / frames * 1e3;
    state.counters["fps"] = frames / total;
}
BENCHMARK(BM_FrameStages)
    ->Args({1, 1})->Args({10, 1})->Args({1, 2})->Args({10, 2})
    ->ArgNames({"copies", "eyes"})->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
