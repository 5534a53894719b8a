// The satellite pass offscreen: per frame, CPU time to issue the propagation pass and to read
// positions back, and the bytes read back, for both read-back ways (every captured record, or
// the heads that are asked for) under what a frame asks of them (nothing, riding one
// satellite, a gaze pick); and how these grow with 2, 5 and 10 copies of the catalogue
// (copies shifted in phase). A separate benchmark times the tube draw submission.
#include "render/SatelliteRenderer.h"

#include "ElementFileWriter.h"

#include "data/OrbitGeometry.h"
#include "data/Sky.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

#include <chrono>
#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

namespace {

using earth::Satellite;

// A hidden window whose context renders into an offscreen framebuffer of a desktop size.
class OffscreenContext {
public:
    OffscreenContext() {
        glfwSetErrorCallback([](int code, const char* text) {
            std::fprintf(stderr, "GLFW error %d: %s\n", code, text);
        });
        if (!glfwInit()) return;
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
        window_ = glfwCreateWindow(64, 64, "bench", nullptr, nullptr);
        if (!window_) return;
        glfwMakeContextCurrent(window_);
        glGenFramebuffers(1, &fbo_);
        glGenRenderbuffers(2, rb_);
        glBindRenderbuffer(GL_RENDERBUFFER, rb_[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kWidth, kHeight);
        glBindRenderbuffer(GL_RENDERBUFFER, rb_[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kWidth, kHeight);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rb_[0]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rb_[1]);
        glViewport(0, 0, kWidth, kHeight);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    ~OffscreenContext() {
        if (window_) {
            glDeleteFramebuffers(1, &fbo_);
            glDeleteRenderbuffers(2, rb_);
            glfwDestroyWindow(window_);
        }
        glfwTerminate();
    }
    bool ok() const { return window_ != nullptr; }

    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 720;

private:
    GLFWwindow* window_ = nullptr;
    GLuint fbo_ = 0;
    GLuint rb_[2] = {};
};

// One context for the whole run: X servers refuse clients after many window-system restarts.
OffscreenContext& sharedContext() {
    static OffscreenContext context;
    return context;
}

// `copies` times the embedded catalogue's objects, shifted along their orbits from copy to
// copy, written to an OMM CSV file and loaded from it as a user's file is.
std::vector<Satellite> scaledCatalogue(int copies) {
    const std::string path = earth::bench::writeElementFile(
        earth::bench::syntheticSets(earth::bench::embeddedSetCount() *
                                    static_cast<std::size_t>(copies)),
        earth::ElementFormat::OmmCsv, "orbitarium_bench_copies");
    std::ostringstream quiet;
    auto sky = earth::loadSky({path}, {}, earth::SimulationClock::embeddedSkyStart(), quiet);
    std::filesystem::remove(path);
    return std::move(sky.satellites);
}

enum Demand { kNothing = 0, kRide = 1, kGaze = 2 };

// Args: copies of the catalogue; read-back way (0 every record, 1 heads); what the frame asks
// (Demand). Every satellite is shown, as in free exploration; the tubes are not drawn, so the
// figures are the pass alone.
void BM_SatellitePass(benchmark::State& state) {
    OffscreenContext& context = sharedContext();
    if (!context.ok()) {
        state.SkipWithError("no OpenGL 4.3 context (is DISPLAY set?)");
        return;
    }
    const auto catalogue = scaledCatalogue(static_cast<int>(state.range(0)));
    const auto way = state.range(1) == 0 ? earth::SatelliteRenderer::ReadBack::Everything
                                         : earth::SatelliteRenderer::ReadBack::Heads;
    const auto demand = static_cast<Demand>(state.range(2));
    earth::SimulationClock clock;
    earth::SatelliteRenderer renderer(clock, catalogue, way);
    std::vector<int> all;
    for (const auto& s : catalogue) all.push_back(s.catalogNumber);
    renderer.setVisible(all);
    const int ridden = catalogue[catalogue.size() / 2].catalogNumber;
    const glm::vec3 eye(0.0f, 1.0f, 4.0f);
    const glm::vec3 gaze = glm::normalize(glm::vec3(0.3f, -0.8f, -3.5f));

    // As the frame cycle asks: the script step before the pass (the camera riding a
    // satellite, or the gaze pick), the panel of that satellite after it.
    int picked = -1;
    auto beforePass = [&] {
        if (demand == kRide) {
            auto where = renderer.getPosition(ridden);
            benchmark::DoNotOptimize(where);
        }
        if (demand == kGaze) picked = renderer.pickByGaze(eye, gaze);
    };
    auto afterPass = [&] {
        const int panel = demand == kRide ? ridden : picked;
        if (demand != kNothing && panel >= 0) {
            auto where = renderer.getPosition(panel);
            benchmark::DoNotOptimize(where);
        }
    };
    for (int i = 0; i < 3; ++i) {  // fill the pipeline of capture buffers
        clock.advance(1000.0 / 60.0);
        beforePass();
        renderer.propagate();
        afterPass();
    }
    glFinish();

    double pass = 0.0;
    const auto totalsBefore = renderer.readBackTotals();
    using Clock = std::chrono::steady_clock;
    double gpuWait = 0.0;
    for (auto _ : state) {
        clock.advance(1000.0 / 60.0);  // rate 1000 at 60 frames per second
        beforePass();
        renderer.propagate();
        pass += renderer.lastPassSeconds();
        afterPass();
        const auto t0 = Clock::now();
        glFinish();  // what a buffer swap would wait for
        gpuWait += std::chrono::duration<double>(Clock::now() - t0).count();
    }
    const double frames = static_cast<double>(state.iterations());
    const auto& totals = renderer.readBackTotals();
    const double readBack = totals.seconds - totalsBefore.seconds;
    state.counters["satellites"] = static_cast<double>(catalogue.size());
    state.counters["records"] = static_cast<double>(renderer.records().size());
    state.counters["pass_us"] = pass / frames * 1e6;
    state.counters["readback_us"] = readBack / frames * 1e6;
    state.counters["cpu_us"] = (pass + readBack) / frames * 1e6;
    state.counters["gpu_wait_us"] = gpuWait / frames * 1e6;
    state.counters["readback_bytes"] =
        static_cast<double>(totals.bytes - totalsBefore.bytes) / frames;
    state.counters["bytes_per_sat"] =
        static_cast<double>(totals.bytes - totalsBefore.bytes) / frames / catalogue.size();
    state.counters["picked"] = picked;
}

void passArguments(benchmark::internal::Benchmark* b) {
    for (int way : {0, 1}) {
        for (int demand : {kNothing, kRide, kGaze}) b->Args({1, way, demand});
    }
    for (int copies : {2, 5, 10}) {
        for (int way : {0, 1}) b->Args({copies, way, kGaze});
    }
    for (int copies : {2, 5, 10}) b->Args({copies, 1, kRide});
    b->ArgNames({"copies", "heads", "demand"});
}
// Few frames: llvmpipe solves the orbits on the CPU (about 15 ms per copy per frame).
BENCHMARK(BM_SatellitePass)->Apply(passArguments)->Iterations(20)->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The tube draw of every shown satellite, submission and rasteriser apart.
void BM_TubeDraw(benchmark::State& state) {
    OffscreenContext& context = sharedContext();
    if (!context.ok()) {
        state.SkipWithError("no OpenGL 4.3 context (is DISPLAY set?)");
        return;
    }
    const auto catalogue = scaledCatalogue(static_cast<int>(state.range(0)));
    earth::SimulationClock clock;
    earth::SatelliteRenderer renderer(clock, catalogue);
    std::vector<int> all;
    for (const auto& s : catalogue) all.push_back(s.catalogNumber);
    renderer.setVisible(all);
    const glm::mat4 projection = glm::perspective(glm::radians(60.0f),
        float(OffscreenContext::kWidth) / OffscreenContext::kHeight, 0.01f, 100.0f);
    const glm::mat4 view = glm::lookAt(glm::vec3(0.0f, 1.0f, 4.0f), glm::vec3(0.0f),
                                       glm::vec3(0.0f, 1.0f, 0.0f));
    renderer.propagate();
    renderer.propagate();
    glFinish();
    double submission = 0.0, finish = 0.0;
    using Clock = std::chrono::steady_clock;
    const std::uint64_t callsBefore = renderer.drawCalls();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const auto t0 = Clock::now();
        renderer.draw(projection, view);
        const auto t1 = Clock::now();
        glFinish();
        submission += std::chrono::duration<double>(t1 - t0).count();
        finish += std::chrono::duration<double>(Clock::now() - t1).count();
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["submit_us"] = submission / frames * 1e6;
    state.counters["gpu_wait_us"] = finish / frames * 1e6;
    state.counters["draw_calls"] = static_cast<double>(renderer.drawCalls() - callsBefore) / frames;
}
BENCHMARK(BM_TubeDraw)->Arg(1)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
