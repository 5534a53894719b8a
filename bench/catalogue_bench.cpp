// Start-up cost of the catalogue: reading every element set and the table, joining them, and
// generating the orbit vertices of all satellites. Target: under 50 ms for about 5,400
// objects.

#include "data/Catalogue.h"
#include "data/CatalogueReader.h"
#include "data/OrbitGeometry.h"

#include <benchmark/benchmark.h>

#include <ostream>
#include <streambuf>
#include <string>

namespace {

using namespace earth;

class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
};

std::vector<Satellite> load() {
    NullBuffer buffer;
    std::ostream quiet(&buffer);  // start-up's warnings are not what is measured
    return loadSatellites(categoryTable, catalogueResourceId, quiet);
}

std::size_t buildAll(const std::vector<Satellite>& satellites) {
    const SimulationClock clock;
    std::vector<OrbitVertex> vertices;
    std::vector<std::uint32_t> segments;
    VertexRangeMap ranges;
    for (const Satellite& satellite : satellites) {
        buildOrbitVertices(vertices, segments, ranges, satellite,
                           satellitePhase(clock, satellite), satellite.catalogNumber);
    }
    benchmark::DoNotOptimize(segments.data());
    return vertices.size();
}

void label(benchmark::State& state, std::size_t satellites) {
    state.SetLabel(std::to_string(satellites) + " satellites");
}

void BM_LoadSatellites(benchmark::State& state) {
    std::size_t count = 0;
    for (auto _ : state) {
        count = load().size();
    }
    label(state, count);
}
BENCHMARK(BM_LoadSatellites)->Unit(benchmark::kMillisecond);

void BM_BuildAllOrbitVertices(benchmark::State& state) {
    const auto satellites = load();
    std::size_t vertices = 0;
    for (auto _ : state) {
        vertices = buildAll(satellites);
    }
    state.counters["vertices"] = double(vertices);
    label(state, satellites.size());
}
BENCHMARK(BM_BuildAllOrbitVertices)->Unit(benchmark::kMillisecond);

// The whole start-up share of the catalogue; this is the figure with the 50 ms target.
void BM_LoadAndBuildCatalogue(benchmark::State& state) {
    std::size_t count = 0;
    for (auto _ : state) {
        const auto satellites = load();
        count = satellites.size();
        benchmark::DoNotOptimize(buildAll(satellites));
    }
    label(state, count);
}
BENCHMARK(BM_LoadAndBuildCatalogue)->Unit(benchmark::kMillisecond);

}  // namespace
