// How the room occupation of one busy day's connection log grows with the
// number of distinct pupils logging in, the number of lines staying the same:
// a school of 3,000 pupils against a day where every login is someone else's.
//
//   bench_pairing_users [--lines 1000000] [--users 3000,300000] [--runs 3]
//
// Prints the median time of each user count and its ratio to the first one.

#include "bench/ConnectionLogText.h"
#include "logscan/LogLineReader.h"
#include "logscan/OccupationScan.h"
#include "logscan/SessionEntry.h"
#include "logscan/SessionParser.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Options {
    std::size_t lines = 1000000;
    std::vector<std::uint32_t> users = {3000, 300000};
    int runs = 3;
};

std::vector<std::uint32_t> ParseCounts(const char* text)
{
    std::vector<std::uint32_t> counts;
    for (const char* p = text; *p != '\0';) {
        char* end = nullptr;
        counts.push_back(static_cast<std::uint32_t>(std::strtoul(p, &end, 10)));
        p = *end == ',' ? end + 1 : end;
        if (end == p && *p != '\0')
            break;
    }
    return counts;
}

Options Parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        if (name == "--lines")
            options.lines = std::strtoull(argv[i + 1], nullptr, 10);
        else if (name == "--users")
            options.users = ParseCounts(argv[i + 1]);
        else if (name == "--runs")
            options.runs = std::max(1, std::atoi(argv[i + 1]));
    }
    return options;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 != 0 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = Parse(argc, argv);
    std::printf("Room occupation of one day of %zu lines, every room, %d runs each (median)\n", options.lines,
                options.runs);
    std::printf("%12s %12s %12s %10s\n", "users", "sessions", "seconds", "ratio");
    double first = 0;
    double worstRatio = 0;
    for (std::uint32_t users : options.users) {
        kiv::LogLineReader reader;
        reader.ReadContentBytes(kivgen::BusyDayText(options.lines, users, "011226", 1));
        std::size_t sessions = 0;
        std::size_t closed = 0;
        std::vector<double> times;
        for (int run = 0; run < options.runs; ++run) {
            sessions = 0;
            closed = 0;
            const auto start = std::chrono::steady_clock::now();
            kiv::ExtractSessions(reader, kiv::kAllRooms, [&](const kiv::SessionEntry& session) {
                ++sessions;
                closed += session.LogoutTime.empty() ? 0 : 1;
            });
            times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        const double median = Median(times);
        if (first == 0)
            first = median;
        const double ratio = median / first;
        worstRatio = std::max(worstRatio, ratio);
        std::printf("%12u %12zu %12.3f %10.2f   (%zu closed by a logout)\n", users, sessions, median, ratio, closed);
        std::fflush(stdout);
    }
    std::printf("largest ratio to %u users: %.2f (target <= 1.5: %s)\n", options.users.empty() ? 0 : options.users[0],
                worstRatio, worstRatio <= 1.5 ? "met" : "MISSED");
    return 0;
}
