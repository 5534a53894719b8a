// The satellite pass offscreen: per frame, CPU time to issue the propagation pass, to read the
// previous pass back and to submit the tube draw; bytes read back and draw calls per frame;
// and how these grow with 2, 5 and 10 copies of the catalogue (copies shifted in phase).
#include "render/SatelliteRenderer.h"

#include "data/Catalogue.h"
#include "data/OrbitGeometry.h"
#include "data/ResourceRegistry.h"
#include "data/TleReader.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

#include <chrono>
#include <cstdio>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
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

// Stands in for the embedded catalogue until its resources are in the build: 5,431 objects
// with a mix of classes like the delivered data (mostly low orbits, a third debris).
std::vector<Satellite> syntheticCatalogue() {
    std::mt19937 random(20141121);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<Satellite> out;
    for (int i = 0; i < 5431; ++i) {
        earth::TleRecord r;
        r.catalogNumber = 1000 + i;
        r.name = "SYNTHETIC " + std::to_string(i);
        r.epochYear = 14;
        r.epochDay = 300.0f + 24.0f * unit(random);
        r.inclination = 180.0f * unit(random);
        r.raan = 360.0f * unit(random);
        r.argumentOfPerigee = 360.0f * unit(random);
        r.meanAnomaly = 360.0f * unit(random);
        const float kind = unit(random);
        bool debris = false;
        if (kind < 0.35f) {  // debris in low orbits
            r.meanMotion = 13.5f + 2.0f * unit(random);
            r.eccentricity = 0.02f * unit(random);
            debris = true;
        } else if (kind < 0.80f) {
            r.meanMotion = 13.0f + 3.0f * unit(random);
            r.eccentricity = 0.01f * unit(random);
        } else if (kind < 0.88f) {
            r.meanMotion = 2.0f + 0.5f * unit(random);
            r.eccentricity = 0.02f * unit(random);
        } else if (kind < 0.96f) {
            r.meanMotion = 1.0027f;
            r.eccentricity = 0.001f * unit(random);
        } else {
            r.meanMotion = 2.0f + 3.0f * unit(random);
            r.eccentricity = 0.3f + 0.4f * unit(random);
        }
        out.push_back(earth::makeSatellite(r, std::nullopt, {"synthetic"}, debris));
    }
    return out;
}

const std::vector<Satellite>& baseCatalogue() {
    static const std::vector<Satellite> catalogue =
        earth::findResource("DATA", "902") ? earth::loadSatellites() : syntheticCatalogue();
    return catalogue;
}

// `copies` copies of the catalogue, each shifted by a fraction of its period and renumbered
// above the real numbers.
std::vector<Satellite> scaledCatalogue(int copies) {
    std::vector<Satellite> out;
    const auto& base = baseCatalogue();
    for (int c = 0; c < copies; ++c) {
        for (Satellite s : base) {
            s.catalogNumber += c * 1000000;
            s.perigeeTime += boost::posix_time::milliseconds(
                static_cast<std::int64_t>(s.period * 1000.0 * c / copies));
            out.push_back(std::move(s));
        }
    }
    return out;
}

void BM_SatellitePass(benchmark::State& state) {
    OffscreenContext context;
    if (!context.ok()) {
        state.SkipWithError("no OpenGL 4.3 context (is DISPLAY set?)");
        return;
    }
    const auto catalogue = scaledCatalogue(static_cast<int>(state.range(0)));
    earth::SimulationClock clock;
    earth::SatelliteRenderer renderer(clock, catalogue);
    // Second argument 0: everything hidden, so the frame is propagation and read-back plus a
    // tube pass that emits nothing; 1: every satellite shown, as in free exploration.
    std::vector<int> all;
    if (state.range(1) != 0) {
        for (const auto& s : catalogue) all.push_back(s.catalogNumber);
    }
    renderer.setVisible(all);

    const glm::mat4 projection = glm::perspective(glm::radians(60.0f),
        float(OffscreenContext::kWidth) / OffscreenContext::kHeight, 0.01f, 100.0f);
    const glm::mat4 view = glm::lookAt(glm::vec3(0.0f, 1.0f, 4.0f), glm::vec3(0.0f),
                                       glm::vec3(0.0f, 1.0f, 0.0f));
    // Two frames to fill the pipeline of capture buffers.
    for (int i = 0; i < 2; ++i) {
        clock.advance(1000.0 / 60.0);
        renderer.propagate();
        renderer.draw(projection, view);
    }
    glFinish();

    const std::uint64_t callsBefore = renderer.drawCalls();
    double propagation = 0.0, readBack = 0.0, submission = 0.0, finish = 0.0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        clock.advance(1000.0 / 60.0);  // rate 1000 at 60 frames per second
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderer.propagate();
        const auto t0 = Clock::now();
        renderer.draw(projection, view);
        const auto t1 = Clock::now();
        glFinish();  // what a buffer swap would wait for
        const auto t2 = Clock::now();
        propagation += renderer.lastTimings().propagation;
        readBack += renderer.lastTimings().readBack;
        submission += std::chrono::duration<double>(t1 - t0).count();
        finish += std::chrono::duration<double>(t2 - t1).count();
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["satellites"] = static_cast<double>(catalogue.size());
    state.counters["records"] = static_cast<double>(renderer.records().size());
    state.counters["propagate_us"] = propagation / frames * 1e6;
    state.counters["readback_us"] = readBack / frames * 1e6;
    state.counters["submit_us"] = submission / frames * 1e6;
    state.counters["gpu_wait_us"] = finish / frames * 1e6;
    state.counters["readback_bytes"] = static_cast<double>(renderer.bytesReadBackPerFrame());
    state.counters["draw_calls"] = static_cast<double>(renderer.drawCalls() - callsBefore) / frames;
}

// Frame counts shrink with the catalogue so that the software rasteriser of CI finishes.
BENCHMARK(BM_SatellitePass)->Args({1, 1})->Iterations(300)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SatellitePass)->Args({2, 1})->Iterations(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SatellitePass)->Args({5, 1})->Iterations(30)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SatellitePass)->Args({10, 1})->Iterations(15)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SatellitePass)->Args({1, 0})->Iterations(300)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SatellitePass)->Args({2, 0})->Iterations(200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SatellitePass)->Args({5, 0})->Iterations(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SatellitePass)->Args({10, 0})->Iterations(50)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
