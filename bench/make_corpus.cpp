// kivlogs-gen: writes made-up logs of the school's Torvel server, for the
// bundled examples and for the benchmarks.
//
//   kivlogs-gen examples DIR [--seed N]
//   kivlogs-gen year DIR [--files 365] [--size-mb 1] [--seed N]
//   kivlogs-gen busyday DIR [--lines 1000000] [--users 3000] [--date YYYY-MM-DD] [--seed N]
//
// The same seed gives the same bytes on every system. All text is
// Windows-1252 with CR LF line ends.

#include "bench/Concat.h"
#include "bench/ConnectionLogText.h"
#include "bench/CorpusClock.h"
#include "bench/CorpusRandom.h"
#include "bench/ExampleWeek.h"
#include "bench/KeywordLogText.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

namespace fs = std::filesystem;
using namespace kivgen;

namespace {

constexpr std::uint64_t kDefaultSeed = 20261201;

void WriteFile(const fs::path& path, std::string_view bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error(Concat("cannot write ", path.string()));
}

struct Totals {
    std::size_t files = 0;
    std::uint64_t bytes = 0;
    std::uint64_t lines = 0;
    std::uint64_t watchedLines = 0;

    void Add(std::string_view text, std::uint64_t lineCount, std::uint64_t watched)
    {
        ++files;
        bytes += text.size();
        lines += lineCount;
        watchedLines += watched;
    }
};

void Report(std::string_view what, const Totals& t)
{
    std::cout << what << ": " << t.files << " files, " << t.bytes << " bytes, " << t.lines << " lines";
    if (t.watchedLines) std::cout << ", " << t.watchedLines << " lines with a watched word";
    std::cout << '\n';
}

Totals MakeExamples(const fs::path& dir, std::uint64_t seed)
{
    Totals totals;
    for (const ExampleFile& file : ExampleWeek(seed)) {
        WriteFile(dir / fs::path(file.path), file.bytes);
        totals.Add(file.bytes, file.lines, file.watchedLines);
    }
    return totals;
}

// A year of keyword logs, one file a day from 1 January 2026, for the search
// benchmark: one line in 2000 holds a watched word.
Totals MakeYear(const fs::path& dir, int files, double sizeMb, std::uint64_t seed)
{
    fs::create_directories(dir);
    const auto target = static_cast<std::size_t>(sizeMb * 1024 * 1024);
    const year_month_day first = ParseDate("2026-01-01");
    Totals totals;
    for (int f = 0; f < files; ++f) {
        const std::string key = DayKey(AddDays(first, f));
        Rng rng = StreamFor(seed, 3, static_cast<std::uint64_t>(f));
        const KeywordDay day = KeywordDayText(rng, key, target, 2000);
        WriteFile(dir / Concat("web", key, ".txt"), day.text);
        totals.Add(day.text, day.lines, day.watchedLines);
    }
    return totals;
}

// One very busy day of connections, for the occupation benchmark.
Totals MakeBusyDay(const fs::path& dir, std::size_t lineCount, std::uint32_t userCount,
                   const year_month_day& day, std::uint64_t seed)
{
    const std::string key = DayKey(day);
    const std::string text = BusyDayText(lineCount, userCount, key, seed);
    WriteFile(dir / Concat("connexr", key, ".log"), text);
    Totals totals;
    totals.Add(text, lineCount, 0);
    return totals;
}

constexpr const char* kUsage =
    "usage:\n"
    "  kivlogs-gen examples DIR [--seed N]\n"
    "  kivlogs-gen year DIR [--files 365] [--size-mb 1] [--seed N]\n"
    "  kivlogs-gen busyday DIR [--lines 1000000] [--users 3000] [--date YYYY-MM-DD] [--seed N]\n"
    "  kivlogs-gen --help\n";

[[noreturn]] void Usage()
{
    std::cerr << kUsage;
    std::exit(2);
}

// A whole number from min to max, or the usage text.
std::uint64_t Number(std::string_view text, std::uint64_t min, std::uint64_t max)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < min || value > max) Usage();
    return value;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (argc < 3) Usage();
    const std::string_view mode = argv[1];
    const fs::path dir = fs::path(argv[2]);
    std::uint64_t seed = kDefaultSeed;
    int files = 365;
    double sizeMb = 1.0;
    std::size_t lines = 1000000;
    std::uint32_t users = 3000;
    std::string date = "2026-12-01";
    for (int i = 3; i < argc; ++i) {
        const std::string_view opt = argv[i];
        if (i + 1 >= argc) Usage();
        const std::string_view value = argv[++i];
        if (opt == "--seed") seed = Number(value, 0, std::numeric_limits<std::uint64_t>::max());
        else if (opt == "--files" && mode == "year") files = static_cast<int>(Number(value, 1, 100000));
        else if (opt == "--size-mb" && mode == "year") {
            try {
                sizeMb = std::stod(std::string(value));
            } catch (const std::exception&) {
                Usage();
            }
            if (!(sizeMb > 0 && sizeMb <= 1024)) Usage();
        } else if (opt == "--lines" && mode == "busyday") lines = Number(value, 1, 100000000);
        else if (opt == "--users" && mode == "busyday") users = static_cast<std::uint32_t>(Number(value, 1, 1000000));
        else if (opt == "--date" && mode == "busyday") date = value;
        else Usage();
    }
    try {
        CheckPools();
        if (mode == "examples") {
            Report("examples", MakeExamples(dir, seed));
        } else if (mode == "year") {
            Report("year", MakeYear(dir, files, sizeMb, seed));
        } else if (mode == "busyday") {
            Report("busy day", MakeBusyDay(dir, lines, users, ParseDate(date), seed));
        } else {
            Usage();
        }
    } catch (const std::exception& e) {
        std::cerr << "kivlogs-gen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
