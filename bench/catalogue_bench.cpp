// Start-up cost of the catalogue: reading every element set and the table, joining them, and
// generating the orbit vertices of all satellites. Target: under 50 ms for about 5,400
// objects. Without the embedded data (DATA 901 to 941) the same work runs over a generated
// catalogue of the delivered size (5,684 sets in 40 files, a 902-row table).

#include "data/Catalogue.h"
#include "data/CatalogueReader.h"
#include "data/OrbitGeometry.h"
#include "data/ResourceRegistry.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ostream>
#include <random>
#include <streambuf>
#include <string>

namespace {

using namespace earth;

class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
};

bool embedded() {
    for (const auto& row : categoryTable) {
        if (!findResource("DATA", std::to_string(row.second))) return false;
    }
    return findResource("DATA", std::to_string(catalogueResourceId)).has_value();
}

struct Generated {
    CategoryTable table;
    std::uint16_t catalogue = 0;
};

// Element-set files and a table like the delivered ones, registered as resources 61000 on.
const Generated& generated() {
    static const Generated result = [] {
        static std::vector<std::string> texts;
        static std::vector<std::string> ids;
        static std::vector<EmbeddedResource> entries;
        std::mt19937 random(5431);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        const int files = 40, sets = 5684, rows = 902;
        texts.resize(files + 1);
        char line[160];
        for (int i = 0; i < sets; ++i) {
            const int number = 1000 + (i * 7919) % 5500;  // 184 numbers in two files
            const float meanMotion = i % 10 == 0 ? 1.0027f + unit(random) * 0.001f
                                                 : 12.0f + unit(random) * 4.0f;
            std::string& text = texts[i % files];
            text += "OBJECT " + std::to_string(number) + "\r\n";
            std::snprintf(line, sizeof line,
                          "1 %05dU 98067A   14%012.8f  .00016717  00000-0  10270-3 0  9005\r\n",
                          number, 300.0 + unit(random) * 25.0);
            text += line;
            std::snprintf(line, sizeof line, "2 %05d %8.4f %8.4f %07d %8.4f %8.4f %11.8f563537\r\n",
                          number, unit(random) * 180.0, unit(random) * 360.0,
                          int(unit(random) * 200000.0f), unit(random) * 360.0,
                          unit(random) * 360.0, meanMotion);
            text += line;
        }
        std::string& table = texts[files];
        table = "NORAD-UCS\tcountry\tusers\tpurpose\tclass\ttype\tlaunch-mass\tdry-mass\t"
                "launch-date\tname-UCS\r\n";
        for (int i = 0; i < rows; ++i) {
            table += std::to_string(1000 + (i * 7919) % 5500) +
                     "\tUSA\tCivil\tCommunications\tLEO\t\t\"3,180\"\t\"1,600\"\t11/15/1974\t"
                     "\"Satellite, number " + std::to_string(i) + "\"\r\n";
        }
        Generated g;
        for (int i = 0; i <= files; ++i) ids.push_back(std::to_string(61000 + i));
        for (int i = 0; i <= files; ++i) {
            entries.push_back({"DATA", ids[i].c_str(), texts[i].data(),
                               texts[i].data() + texts[i].size()});
            if (i < files) g.table.emplace_back("category-" + std::to_string(i), 61000 + i);
        }
        g.catalogue = static_cast<std::uint16_t>(61000 + files);
        static ResourceRegistration registration(entries.data(), entries.size());
        return g;
    }();
    return result;
}

std::vector<Satellite> load() {
    if (embedded()) {
        NullBuffer buffer;
        std::ostream quiet(&buffer);
        return loadSatellites(categoryTable, catalogueResourceId, quiet);
    }
    NullBuffer buffer;
    std::ostream quiet(&buffer);
    return loadSatellites(generated().table, generated().catalogue, quiet);
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
    state.SetLabel((embedded() ? "embedded, " : "generated, ") + std::to_string(satellites) +
                   " satellites");
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
