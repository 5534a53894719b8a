// Cost of building the globe mesh at start-up: it must stay well under 100 ms.

#include "data/ResourceRegistry.h"
#include "render/LoadedEarthData.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

// A full-size grid of the resource's layout, for builds that do not embed the real one.
const std::string& syntheticGrid() {
    static const std::string grid = [] {
        const earth::ElevationGridShape shape;
        std::string bytes(shape.recordCount() * earth::kElevationRecordBytes, '\0');
        for (int c = 0; c < shape.columns; ++c) {
            for (int r = 0; r < shape.rows; ++r) {
                const double lon = -180.0 + 0.4 * c;
                const double lat = -90.0 + 0.4 * r;
                const double record[3] = {lon, lat, 2000.0 * std::sin(lon) * std::cos(lat)};
                std::memcpy(&bytes[(static_cast<std::size_t>(c) * shape.rows + r) * 24], record,
                            sizeof record);
            }
        }
        return bytes;
    }();
    return grid;
}

void BM_BuildGlobeMeshSynthetic(benchmark::State& state) {
    const std::string& grid = syntheticGrid();
    for (auto _ : state) {
        earth::LoadedEarthData mesh(grid, 1.0f);
        benchmark::DoNotOptimize(mesh.vertices().data());
    }
}
BENCHMARK(BM_BuildGlobeMeshSynthetic)->Unit(benchmark::kMillisecond);

void BM_BuildGlobeMeshEmbedded(benchmark::State& state) {
    if (!earth::findResource("DATA", "942")) {
        state.SkipWithError("elevation grid not embedded");
        return;
    }
    for (auto _ : state) {
        earth::LoadedEarthData mesh(1.0f);
        benchmark::DoNotOptimize(mesh.vertices().data());
    }
}
BENCHMARK(BM_BuildGlobeMeshEmbedded)->Unit(benchmark::kMillisecond);

}  // namespace
