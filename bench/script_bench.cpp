// Per-frame costs of the tour machinery: the gaze pick over the whole catalogue (every frame
// while the continue control is held) and the pose blend of a camera move.

#include "script/Camera.h"
#include "data/GazePick.h"

#include <benchmark/benchmark.h>
#include <glm/vec3.hpp>

#include <random>
#include <vector>

namespace {

// 5,431 satellites in the delivered catalogue; a pick must stay well inside a frame.
void BM_GazePickWholeCatalogue(benchmark::State& state) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> u(-7.0f, 7.0f);
    std::vector<glm::vec3> positions(5431);
    for (glm::vec3& p : positions) {
        p = glm::vec3(u(rng), u(rng), u(rng));
    }
    const glm::vec3 origin(0.0f, 0.0f, 4.0f);
    const glm::vec3 direction(0.0f, 0.0f, -1.0f);
    for (auto _ : state) {
        earth::GazePick pick(origin, direction);
        for (std::size_t i = 0; i < positions.size(); ++i) {
            pick.consider(static_cast<int>(i), positions[i]);
        }
        benchmark::DoNotOptimize(pick.result());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(positions.size()));
}
BENCHMARK(BM_GazePickWholeCatalogue);

void BM_InterpolatePose(benchmark::State& state) {
    const earth::OrbitPose a = earth::fromAngles(0.2f, 0.1f, 3.0f);
    const earth::OrbitPose b = earth::fromAngles(0.9f, 4.0f, 8.0f, glm::vec3(1.0f, 0.0f, 0.0f));
    float t = 0.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(earth::interpolate(a, b, t));
        t = t >= 1.0f ? 0.0f : t + 0.001f;
    }
}
BENCHMARK(BM_InterpolatePose);

}  // namespace
