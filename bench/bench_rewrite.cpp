// Rewriting keyword log lines into their readable form, on lines of the
// made-up logs (rewriting runs once per result, so this bounds the cost of a
// search that finds very many lines).

#include "bench/CorpusRandom.h"
#include "bench/KeywordLogText.h"
#include "logscan/LogLineReader.h"
#include "logscan/RewriteLogLine.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace {

void BM_RewriteLogLine(benchmark::State& state)
{
    kivgen::Rng rng = kivgen::StreamFor(1, 11, 0);
    kiv::LogLineReader lines;
    lines.ReadBytes(kivgen::KeywordDayText(rng, "150306", std::size_t{4} << 20, 2000).text);
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < lines.Count(); ++i) bytes += lines[i].size();
    for (auto _ : state) {
        for (std::size_t i = 0; i < lines.Count(); ++i) {
            std::string rewritten = kiv::RewriteLogLine(lines[i]);
            benchmark::DoNotOptimize(rewritten.data());
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines.Count()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

} // namespace

BENCHMARK(BM_RewriteLogLine)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
