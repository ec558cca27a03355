// The room occupation scan on one busy day's connection log held in memory:
// splitting it into lines, and pairing each login with its logout, for every
// room and for one floor's rooms.

#include "bench/ConnectionLogText.h"
#include "logscan/LogLineReader.h"
#include "logscan/OccupationScan.h"
#include "logscan/SessionEntry.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>

namespace {

constexpr std::uint32_t kUsers = 3000;

const std::string& BusyDay(std::size_t lines)
{
    static std::map<std::size_t, std::string> days;
    auto it = days.find(lines);
    if (it == days.end()) it = days.emplace(lines, kivgen::BusyDayText(lines, kUsers, "011226", 1)).first;
    return it->second;
}

void BM_ReadBytes(benchmark::State& state)
{
    const std::string& day = BusyDay(static_cast<std::size_t>(state.range(0)));
    kiv::LogLineReader reader;
    for (auto _ : state) {
        state.PauseTiming();
        std::string copy = day;
        state.ResumeTiming();
        reader.ReadBytes(std::move(copy));
        benchmark::DoNotOptimize(reader.Count());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * day.size()));
}

// Argument 1: 0 for "Toutes", 1 for the rooms of the third floor ("S3").
void BM_ExtractSessions(benchmark::State& state)
{
    const std::string& day = BusyDay(static_cast<std::size_t>(state.range(0)));
    const std::string room = state.range(1) == 0 ? "Toutes" : "S3";
    kiv::LogLineReader reader;
    reader.ReadBytes(day);
    std::size_t sessions = 0;
    const std::function<void(const kiv::SessionEntry&)> count = [&sessions](const kiv::SessionEntry& s) {
        benchmark::DoNotOptimize(s.LogoutTime.data());
        ++sessions;
    };
    for (auto _ : state) {
        sessions = 0;
        kiv::ExtractSessions(reader, room, count);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * day.size()));
    state.counters["sessions"] = static_cast<double>(sessions);
}

} // namespace

// Argument: lines in the day.
BENCHMARK(BM_ReadBytes)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
// Arguments: lines in the day, room (0 every room, 1 one floor).
BENCHMARK(BM_ExtractSessions)
    ->ArgNames({"lines", "room"})
    ->Args({100000, 0})
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
