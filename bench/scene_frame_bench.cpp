// Frame cost of the globe, the star cube and the information panels, drawn offscreen at
// 1280 x 720 (on llvmpipe in CI: a software rasteriser, so the figures are CPU-bound).
// Uses the program's maps when they are embedded, the test maps otherwise.

#include "data/ResourceRegistry.h"
#include "data/SimulationClock.h"
#include "overlay/Overlay.h"
#include "render/EarthRenderer.h"
#include "render/LoadedEarthData.h"
#include "render/PanelRenderer.h"
#include "render/Starfield.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>
#include <imgui.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

bool embedded(const char* type, std::uint16_t id) {
    return earth::findResource(type, std::to_string(id)).has_value();
}

// Everything a frame needs, built once for all benchmarks of the run.
struct SceneFixture {
    GLFWwindow* window = nullptr;
    GLuint framebuffer = 0, colour = 0, depth = 0;
    earth::SimulationClock clock;
    float scale = 1.0f / 6378100.0f;
    std::unique_ptr<earth::LoadedEarthData> syntheticMesh;
    std::unique_ptr<earth::Starfield> stars;
    std::unique_ptr<earth::EarthRenderer> globe;
    std::unique_ptr<earth::PanelRenderer> panels;
    std::string failure;

    SceneFixture() {
        if (!glfwInit()) {
            failure = "no window system (is DISPLAY set?)";
            return;
        }
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
        window = glfwCreateWindow(64, 64, "bench", nullptr, nullptr);
        if (window == nullptr) {
            failure = "no OpenGL 4.3 core context";
            return;
        }
        glfwMakeContextCurrent(window);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kWidth, kHeight);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        glGenRenderbuffers(1, &depth);
        glBindRenderbuffer(GL_RENDERBUFFER, depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kWidth, kHeight);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        glViewport(0, 0, kWidth, kHeight);

        const bool realMaps = embedded("IMG", 533) && embedded("IMG", 549) && embedded("IMG", 517);
        const bool realStars = embedded("IMG", 593) && embedded("IMG", 581) &&
                               embedded("IMG", 597) && embedded("IMG", 585) &&
                               embedded("IMG", 601) && embedded("IMG", 589);
        earth::EarthResources maps;
        if (!realMaps) {
            maps.day = 60200;
            maps.specular = 60201;
            maps.night = 60202;
        }
        if (!embedded("DATA", 942)) {
            syntheticMesh = std::make_unique<earth::LoadedEarthData>(syntheticGrid(), 1.0f);
            maps.mesh = syntheticMesh.get();
        }
        earth::StarfieldFaces faces;
        if (!realStars) faces = {60210, 60211, 60212, 60213, 60214, 60215};
        try {
            stars = std::make_unique<earth::Starfield>(faces);
            globe = std::make_unique<earth::EarthRenderer>(clock, scale, maps);
            panels = std::make_unique<earth::PanelRenderer>(earth::Overlay::instance());
        } catch (const std::exception& e) {
            failure = e.what();
        }
        glEnable(GL_CULL_FACE);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }

    static std::string syntheticGrid() {
        const earth::ElevationGridShape shape;
        std::string bytes(shape.recordCount() * earth::kElevationRecordBytes, '\0');
        for (int c = 0; c < shape.columns; ++c) {
            for (int r = 0; r < shape.rows; ++r) {
                const double record[3] = {-180.0 + 0.4 * c, -90.0 + 0.4 * r,
                                          3000.0 * std::sin(0.1 * c) * std::sin(0.1 * r)};
                std::memcpy(&bytes[(static_cast<std::size_t>(c) * shape.rows + r) * 24], record,
                            sizeof record);
            }
        }
        return bytes;
    }

    // Two information panels as the frame cycle lays them out: a full one beside the
    // viewer and a name label at a satellite.
    void layoutPanels(const glm::vec3& eye) {
        panels->clear();
        earth::Overlay& overlay = earth::Overlay::instance();
        overlay.beginPanel("25544", 1.0f / 60.0f);
        ImGui::TextUnformatted("Name:    ISS (ZARYA)");
        ImGui::Separator();
        ImGui::TextUnformatted("Apogee:  421.35km");
        ImGui::TextUnformatted("Perigee: 409.87km");
        ImGui::TextUnformatted("Inclin.: 51.65deg");
        ImGui::TextUnformatted("RAAN:    237.61deg");
        ImGui::TextUnformatted("Eccen.:  0.000853");
        ImGui::Separator();
        ImGui::TextUnformatted("Period:  5559.74sec");
        ImGui::TextUnformatted("Mass:    419725.00kg");
        overlay.endPanel(*panels, eye + glm::vec3(0.35f, 0.0f, -0.35f), glm::vec3(0.7071f, 0, 0.7071f),
                         glm::vec3(0, 1, 0), 0.05f);
        overlay.beginPanel("39084", 1.0f / 60.0f);
        ImGui::TextUnformatted("LANDSAT 8");
        overlay.endPanel(*panels, glm::vec3(-0.8f, 0.9f, 0.4f), glm::vec3(1, 0, 0),
                         glm::vec3(0, 1, 0), 0.3f);
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
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (drawStars) stars->draw(sky);
        if (drawGlobe) globe->draw(projection, view);
        if (drawPanels) panels->draw(projection, view);
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
