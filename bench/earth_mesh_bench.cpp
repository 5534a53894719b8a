// Cost of building the globe mesh from the embedded elevation grid at start-up: it must stay
// well under 100 ms.

#include "render/LoadedEarthData.h"

#include <benchmark/benchmark.h>

namespace {

void BM_BuildGlobeMesh(benchmark::State& state) {
    for (auto _ : state) {
        earth::LoadedEarthData mesh(1.0f);
        benchmark::DoNotOptimize(mesh.vertices().data());
    }
}
BENCHMARK(BM_BuildGlobeMesh)->Unit(benchmark::kMillisecond);

}  // namespace
