// The keyword search's inner loop on one day's keyword log held in memory:
// testing every line in turn, and scanning the whole text through each
// prefilter, with few watched lines (as in real logs) and with many.

#include "bench/CorpusRandom.h"
#include "bench/KeywordLogText.h"
#include "logscan/KeywordMatcher.h"
#include "logscan/LogLineReader.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace {

constexpr std::size_t kTextBytes = std::size_t{16} << 20;

// One text per density, made once: a day of 16 MB where one line in oneIn
// holds a watched word.
const std::string& LogText(std::uint32_t oneIn)
{
    static std::map<std::uint32_t, std::string> texts;
    auto it = texts.find(oneIn);
    if (it == texts.end()) {
        kivgen::Rng rng = kivgen::StreamFor(1, 10, oneIn);
        it = texts.emplace(oneIn, kivgen::KeywordDayText(rng, "150306", kTextBytes, oneIn).text).first;
    }
    return it->second;
}

kiv::TextList Words()
{
    kiv::TextList words;
    for (std::string_view w : kivgen::WatchedWords()) words.emplace_back(w);
    return words;
}

// Every line tested with FirstMatch, as a scan without prefilter does.
void BM_FirstMatchEveryLine(benchmark::State& state)
{
    const std::string& text = LogText(static_cast<std::uint32_t>(state.range(0)));
    kiv::LogLineReader lines;
    lines.ReadBytes(text);
    const kiv::KeywordMatcher matcher(Words());
    std::size_t found = 0;
    for (auto _ : state) {
        found = 0;
        for (std::size_t i = 0; i < lines.Count(); ++i)
            if (matcher.FirstMatch(lines[i]) >= 0) ++found;
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["lines"] = static_cast<double>(lines.Count());
    state.counters["found"] = static_cast<double>(found);
}

// The whole text at once: the prefilter points at candidate lines, FirstMatch
// settles each.
void BM_ForEachMatch(benchmark::State& state)
{
    const auto kind = static_cast<kiv::PrefilterKind>(state.range(0));
    if (!kiv::PrefilterAvailable(kind)) {
        state.SkipWithError("prefilter not available in this build");
        return;
    }
    const std::string& text = LogText(static_cast<std::uint32_t>(state.range(1)));
    const kiv::KeywordMatcher matcher(Words(), kind);
    kiv::KeywordMatcher::Workspace workspace = matcher.MakeWorkspace();
    std::size_t found = 0;
    const kiv::KeywordMatcher::LineFound count = [&found](std::string_view, int) { ++found; };
    for (auto _ : state) {
        found = 0;
        matcher.ForEachMatch(text, workspace, count);
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["found"] = static_cast<double>(found);
}

constexpr std::int64_t kHyperscan = static_cast<std::int64_t>(kiv::PrefilterKind::Hyperscan);
constexpr std::int64_t kBufferSearch = static_cast<std::int64_t>(kiv::PrefilterKind::BufferSearch);
constexpr std::int64_t kAutomaton = static_cast<std::int64_t>(kiv::PrefilterKind::Automaton);

} // namespace

// Argument: one line in N holds a watched word.
BENCHMARK(BM_FirstMatchEveryLine)->Arg(2000)->Arg(20)->Unit(benchmark::kMillisecond);
// Arguments: prefilter (0 Hyperscan, 1 portable buffer search, 2 automaton), one line in N.
BENCHMARK(BM_ForEachMatch)
    ->ArgNames({"prefilter", "oneIn"})
    ->Args({kHyperscan, 2000})
    ->Args({kBufferSearch, 2000})
    ->Args({kAutomaton, 2000})
    ->Args({kHyperscan, 20})
    ->Args({kBufferSearch, 20})
    ->Args({kAutomaton, 20})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
