// Cost of reading embedded text resources line by line, the way the readers do at start-up.

#include "data/ResourceRegistry.h"
#include "data/Resources.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BM_ReadAllElementSetLines(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (std::uint16_t id = 901; id <= 941; ++id) {
            if (!earth::findResource("DATA", std::to_string(id))) continue;
            earth::ResourceStream stream = earth::openDataResource(id);
            std::string line;
            while (std::getline(stream, line)) bytes += line.size() + 1;
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ReadAllElementSetLines)->Unit(benchmark::kMillisecond);

}  // namespace
