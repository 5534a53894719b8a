// Frame cost of the globe, the star cube and the information panels, drawn offscreen at
// 1280 x 720 (on llvmpipe in CI: a software rasteriser, so the figures are CPU-bound).

#include "data/Catalogue.h"
#include "data/OrbitGeometry.h"
#include "data/SimulationClock.h"
#include "overlay/SatelliteInformationPanel.h"
#include "render/EarthRenderer.h"
#include "render/PanelPlacement.h"
#include "overlay/Overlay.h"
#include "render/PanelRenderer.h"
#include "render/Starfield.h"
#include "support/GlTestContext.h"
#include "support/OffscreenTarget.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#include <glm/gtc/matrix_transform.hpp>

#include <memory>
#include <optional>
#include <string>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

// Everything a frame needs, built once for all benchmarks of the run.
struct SceneFixture {
    std::optional<earth::test::GlTestContext> context;
    std::unique_ptr<earth::test::OffscreenTarget> target;
    earth::SimulationClock clock;
    float scale = earth::orbit::sceneScale;
    std::vector<earth::Satellite> satellites;
    std::unique_ptr<earth::Starfield> stars;
    std::unique_ptr<earth::EarthRenderer> globe;
    std::unique_ptr<earth::PanelRenderer> panels;
    std::unique_ptr<earth::FontTextureLease> font;
    std::string failure;

    SceneFixture() {
        try {
            context.emplace(64, 64);
            target = std::make_unique<earth::test::OffscreenTarget>(kWidth, kHeight);
            satellites = earth::loadSatellites();
            stars = std::make_unique<earth::Starfield>();
            globe = std::make_unique<earth::EarthRenderer>(clock, scale);
            panels = std::make_unique<earth::PanelRenderer>();
            font = std::make_unique<earth::FontTextureLease>();
        } catch (const std::exception& e) {
            failure = e.what();
        }
        earth::test::enableSceneState();
    }

    // Two information panels as the frame cycle lays them out: a full one beside the
    // viewer and a name label at a satellite.
    void layoutPanels(const glm::vec3& eye) {
        const earth::PanelCamera camera{eye, glm::vec3(0, 0, -1), glm::vec3(0, 1, 0),
                                        glm::vec3(1, 0, 0)};
        panels->clear();
        earth::drawSatelliteInformation(
            *panels, earth::placePanel(camera, true, glm::vec3(0.0f), glm::vec3(1, 0, 0)),
            1.0f / 60.0f, earth::findSatellite(satellites, 25544), false);
        earth::drawSatelliteInformation(
            *panels,
            earth::placePanel(camera, false, glm::vec3(-0.8f, 0.9f, 0.4f), glm::vec3(0, 0, 1)),
            1.0f / 60.0f, earth::findSatellite(satellites, 39084), true);
        panels->upload();
    }

    void frame(bool drawStars, bool drawGlobe, bool drawPanels) {
        const glm::vec3 eye(0.0f, 0.0f, 3.0f);
        const glm::mat4 projection =
            glm::perspective(22.5f * 2.0f, static_cast<float>(kWidth) / kHeight, 0.1f, 100.0f);
        const glm::mat4 view = glm::lookAt(eye, glm::vec3(0.0f), glm::vec3(0, 1, 0));
        const glm::mat4 sky =
            projection * glm::lookAt(glm::vec3(0.0f), glm::vec3(0, 0, -1), glm::vec3(0, 1, 0));
        if (drawPanels) layoutPanels(eye);
        target->begin();
        if (drawStars) stars->draw(sky);
        if (drawGlobe) globe->draw(projection, view);
        if (drawPanels) panels->draw(projection, view, font->texture());
        glFinish();
    }
};

SceneFixture& fixture() {
    static SceneFixture f;
    return f;
}

void runFrames(benchmark::State& state, bool stars, bool globe, bool panels) {
    SceneFixture& f = fixture();
    if (!f.failure.empty()) {
        state.SkipWithError(f.failure.c_str());
        return;
    }
    f.frame(stars, globe, panels);  // warm caches and shader variants outside the timing
    for (auto _ : state) {
        f.frame(stars, globe, panels);
        f.clock.advance(1000.0 / 60.0);
    }
}

void BM_FrameStars(benchmark::State& s) { runFrames(s, true, false, false); }
void BM_FrameGlobe(benchmark::State& s) { runFrames(s, false, true, false); }
void BM_FramePanels(benchmark::State& s) { runFrames(s, false, false, true); }
void BM_FrameStarsGlobePanels(benchmark::State& s) { runFrames(s, true, true, true); }
BENCHMARK(BM_FrameStars)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FrameGlobe)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FramePanels)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FrameStarsGlobePanels)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
