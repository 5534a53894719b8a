// Start-up cost of the catalogue: reading every element set and the table, joining them, and
// generating the orbit vertices of all satellites. Targets: under 50 ms for the embedded
// 5,400 objects; under a second for a user's file of 30,000 objects in any format.
#include "ElementFileWriter.h"

#include "data/Catalogue.h"
#include "data/CatalogueReader.h"
#include "data/ElementFiles.h"
#include "data/OrbitGeometry.h"
#include "data/SimulationClock.h"
#include "data/Sky.h"


#include <benchmark/benchmark.h>

#include <filesystem>
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
    std::vector<OrbitVertex> vertices;
    std::vector<std::uint32_t> segments;
    VertexRangeMap ranges;
    std::int32_t index = 0;
    for (const Satellite& satellite : satellites) {
        buildOrbitVertices(vertices, segments, ranges, satellite, index++,
                           satellite.catalogNumber);
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

// A user's file of the whole public catalogue (30,000 objects) in each format, read the way
// start-up reads it (loadSky: the file, the join with the catalogue table, the satellites).
void BM_LoadElementFile(benchmark::State& state) {
    const auto format = static_cast<ElementFormat>(state.range(0));
    const std::string path = bench::writeElementFile(bench::syntheticSets(30000), format,
                                                     "orbitarium_bench_30k");
    NullBuffer buffer;
    std::ostream quiet(&buffer);
    std::size_t count = 0;
    for (auto _ : state) {
        count = loadSky({path}, StartTime{}, SimulationClock::embeddedSkyStart(), quiet).satellites.size();
    }
    state.counters["megabytes"] = double(std::filesystem::file_size(path)) / 1e6;
    label(state, count);
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadElementFile)
    ->ArgName("format")  // 1 three-line sets, 2 OMM CSV, 3 OMM JSON, 4 OMM XML
    ->DenseRange(1, 4)
    ->Unit(benchmark::kMillisecond);

}  // namespace
