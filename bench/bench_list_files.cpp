// What a large list file costs: a "kiv.ini", "kiv_salles.txt" or
// "kiv_heures.txt" of any shape, read as the tool reads it. Each case runs in
// a child process of its own, so that its peak memory is its own.
//
//   bench_list_files [--mb 100] [--dir FOLDER]
//
// Prints, per shape of file and use, the time, the peak memory added and the
// limit of 3 bytes per byte of file plus 40 per line.

#include "bench/ProcessStatus.h"
#include "logscan/KeywordMatcher.h"
#include "logscan/TextList.h"
#include "table/OccupationTable.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#ifdef __linux__
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

#ifdef __linux__
// The processor time this process has used, in seconds: on a busy machine the
// wall time of a case says little, this says what the case itself cost.
double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}
#endif

struct Shape {
    const char* name;
    std::string line; // repeated until the file has its size
};

void WriteShape(const fs::path& path, const Shape& shape, std::size_t bytes, std::size_t& lines)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string block;
    while (block.size() < (std::size_t{1} << 20))
        block += shape.line;
    lines = 0;
    std::size_t written = 0;
    const std::size_t perBlock = block.size() / shape.line.size();
    while (written + block.size() <= bytes) {
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
        written += block.size();
        lines += perBlock;
    }
    for (; written + shape.line.size() <= bytes; written += shape.line.size(), ++lines)
        out.write(shape.line.data(), static_cast<std::streamsize>(shape.line.size()));
    if (written == 0) { // one line longer than the whole file: the file is that line
        out << std::string(bytes, shape.line.front());
        lines = 1;
    }
}

struct Use {
    const char* name;
    std::function<std::size_t(const fs::path&)> run; // returns something the work computed
};

const std::vector<Use>& Uses()
{
    static const std::vector<Use> uses = {
        {"list", [](const fs::path& path) { return kiv::LoadTextListFile(path, "list").size(); }},
        {"search words", [](const fs::path& path) {
             const kiv::KeywordMatcher matcher(kiv::LoadTextListFile(path, "kiv.ini"));
             return static_cast<std::size_t>(matcher.FirstMatch("S514-PC03:eleve12:page jeux") + 1);
         }},
        {"slot headers", [](const fs::path& path) {
             return kiv::LoadTextListFile(path, "kiv_heures.txt", kiv::kSlotColumnCount).size();
         }},
    };
    return uses;
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t megabytes = 100;
    fs::path dir = fs::temp_directory_path() / "kiv-list-bench";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        if (name == "--mb")
            megabytes = std::strtoull(argv[i + 1], nullptr, 10);
        else if (name == "--dir")
            dir = argv[i + 1];
    }
    const std::size_t bytes = megabytes << 20;
    fs::create_directories(dir);

    const std::vector<Shape> shapes = {
        {"empty lines, LF", "\n"},
        {"empty lines, CR LF", "\r\n"},
        {"empty lines, lone CR", "\r"},
        {"one-letter words", "a\n"},
        {"rooms", "S514\r\n"},
        {"long lines of 1 MB", std::string(1 << 20, 'x') + "\r\n"},
        {"one line, no break", std::string(bytes + 1, 'x')},
    };
    std::printf("List files of %zu MB; peak memory added, against 3 bytes per byte + 40 per line\n", megabytes);
    std::printf("%-22s %-14s %12s %10s %10s %10s %10s  %s\n", "shape", "use", "lines", "seconds", "cpu s", "peak MB",
                "limit MB", "verdict");
    bool allMet = true;
    for (const Shape& shape : shapes) {
        const fs::path path = dir / "list.txt";
        std::size_t lines = 0;
        WriteShape(path, shape, bytes, lines);
        for (const Use& use : Uses()) {
            // Only the word list builds a matcher: a file of millions of real
            // words is a search of millions of words, not a list to load.
            if (std::string_view(use.name) == "search words" && shape.line.find_first_not_of("\r\n") == 0)
                continue;
            const double limitMb = (3.0 * static_cast<double>(bytes) + 40.0 * static_cast<double>(lines)) / (1 << 20);
            double seconds = 0;
            double cpu = 0;
            double peakMb = 0;
#ifdef __linux__
            int pipeEnds[2];
            if (pipe(pipeEnds) != 0)
                return 1;
            const pid_t child = fork();
            if (child == 0) {
                close(pipeEnds[0]);
                const long before = StatusKb("VmRSS:");
                const double cpuBefore = CpuSeconds();
                const auto start = std::chrono::steady_clock::now();
                volatile std::size_t result = use.run(path);
                (void)result;
                const double taken = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                const double report[3] = {taken, static_cast<double>(StatusKb("VmHWM:") - before) / 1024,
                                          CpuSeconds() - cpuBefore};
                if (write(pipeEnds[1], report, sizeof report) != static_cast<ssize_t>(sizeof report))
                    _exit(1);
                _exit(0);
            }
            close(pipeEnds[1]);
            double report[3] = {0, 0, 0};
            const bool got = read(pipeEnds[0], report, sizeof report) == static_cast<ssize_t>(sizeof report);
            close(pipeEnds[0]);
            int status = 0;
            waitpid(child, &status, 0);
            if (!got) {
                std::printf("%-22s %-14s failed\n", shape.name, use.name);
                allMet = false;
                continue;
            }
            seconds = report[0];
            peakMb = report[1];
            cpu = report[2];
#else
            const auto start = std::chrono::steady_clock::now();
            use.run(path);
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            cpu = seconds;
#endif
            const bool met = seconds < 1.0 && peakMb < limitMb;
            allMet = allMet && met;
            std::printf("%-22s %-14s %12zu %10.3f %10.3f %10.1f %10.1f  %s\n", shape.name, use.name, lines, seconds, cpu,
                        peakMb, limitMb, met ? "met" : "MISSED");
            std::fflush(stdout);
        }
        fs::remove(path);
    }
    std::printf("every case under a second and under its memory limit: %s\n", allMet ? "met" : "MISSED");
    return 0;
}
