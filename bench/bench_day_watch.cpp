// How soon `kivlogs-cli watch` shows a watched word, and what watching costs.
//
//   bench_day_watch KIVLOGS_CLI [--seconds 60] [--rate 1000] [--interval MS] [--idle-seconds 30]
//
// 1. Writing: this program writes lines into three of today's keyword logs at
//    --rate lines a second for --seconds, 1 % of them holding the watched word
//    with their number and the time they were written; the watch runs as a
//    separate process and the lines it prints are read back here. Reports
//    whether every matching line came exactly once, the delay from write to
//    print (median, 99th percentile, worst), and the watch's CPU time.
// 2. Idle: a folder of 365 days of logs (three keyword logs of 1 MB and a
//    connection log each), the watch started on it with nothing written;
//    reports its CPU share over --idle-seconds and its peak memory.
// POSIX only (the watch is spawned with its output on a pipe).

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// ddmmyy of the local day of that time, as the server names its logs.
std::string DayKey(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char key[40];
    std::snprintf(key, sizeof key, "%02d%02d%02d", local.tm_mday, local.tm_mon + 1, local.tm_year % 100);
    return key;
}

struct Watcher {
    pid_t pid = -1;
    int out = -1;
};

Watcher Spawn(const std::string& cli, const fs::path& logs, const std::string& interval)
{
    int fds[2];
    if (pipe(fds) != 0)
        std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<std::string> args{cli, "watch", "--logs", logs.string(), "--word", "sexe", "--interval", interval};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    Watcher w;
    if (posix_spawn(&w.pid, cli.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        std::exit(1);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    w.out = fds[0];
    return w;
}

// User and system CPU time of the process, in seconds.
double CpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), {});
    std::istringstream fields(all.substr(all.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            utime = std::stoull(field);
        if (i == 15)
            stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string PeakMemory(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return line.substr(6);
    return "?";
}

int Stop(Watcher& w)
{
    kill(w.pid, SIGTERM);
    int status = 0;
    waitpid(w.pid, &status, 0);
    close(w.out);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reads the watch's lines as they come: "... sexe n=<number> t=<ns>".
class Reader {
public:
    explicit Reader(int fd) : thread_([this, fd] { Run(fd); }) {}
    ~Reader() { thread_.join(); }

    std::map<long, std::vector<std::int64_t>> Delays()
    {
        const std::lock_guard lock(mutex_);
        return delays_;
    }

private:
    void Run(int fd)
    {
        std::string buffer;
        char bytes[65536];
        for (;;) {
            const ssize_t got = read(fd, bytes, sizeof bytes);
            if (got <= 0)
                return;
            const std::int64_t now = NowNs();
            buffer.append(bytes, static_cast<std::size_t>(got));
            std::size_t end;
            while ((end = buffer.find('\n')) != std::string::npos) {
                const std::string line = buffer.substr(0, end);
                buffer.erase(0, end + 1);
                const auto n = line.find(" n="), t = line.find(" t=");
                if (n == std::string::npos || t == std::string::npos)
                    continue;
                const std::lock_guard lock(mutex_);
                delays_[std::stol(line.substr(n + 3))].push_back(now - std::stoll(line.substr(t + 3)));
            }
        }
    }

    std::mutex mutex_;
    std::map<long, std::vector<std::int64_t>> delays_;
    std::thread thread_;
};

std::string Filler(std::size_t i)
{
    static const char* const pages[] = {"http://www.wikipedia.org/wiki/Photosynth%C3%A8se", "http://cours.example/maths/ch3",
                                        "http://www.youtube.com/watch?v=7FvVB2fthnK", "http://meteo.example/paris"};
    return pages[i % 4];
}

void Writing(const std::string& cli, const std::string& interval, int seconds, int rate)
{
    const fs::path logs = fs::temp_directory_path() / ("kiv_watch_bench_" + std::to_string(getpid()));
    fs::create_directories(logs);
    const std::string key = DayKey(std::time(nullptr));
    std::vector<fs::path> files;
    for (const char* name : {"web", "proxy", "mail"}) {
        files.push_back(logs / (std::string(name) + key + ".txt"));
        std::ofstream(files.back(), std::ios::binary) << "POSTE00:eleve00:" << key << ":0759:debut\r\n";
    }
    Watcher w = Spawn(cli, logs, interval);
    std::this_thread::sleep_for(std::chrono::seconds(2)); // its first look
    Reader reader(w.out);
    const double cpu0 = CpuSeconds(w.pid);

    std::vector<std::FILE*> out;
    for (const auto& f : files)
        out.push_back(std::fopen(f.c_str(), "ab"));
    long matching = 0;
    const long total = static_cast<long>(seconds) * rate;
    const auto start = Clock::now();
    for (long i = 0; i < total; ++i) {
        // Paced to the rate, line by line.
        std::this_thread::sleep_until(start + std::chrono::nanoseconds(i * 1'000'000'000LL / rate));
        std::FILE* file = out[static_cast<std::size_t>(i) % out.size()];
        if (i % 100 == 0)
            std::fprintf(file, "POSTE%02ld:eleve%02ld:%s:1432:page sexe n=%ld t=%lld\r\n", i % 40, i % 30, key.c_str(),
                         matching++, static_cast<long long>(NowNs()));
        else
            std::fprintf(file, "POSTE%02ld:eleve%02ld:%s:1432:%s\r\n", i % 40, i % 30, key.c_str(), Filler(i).c_str());
        std::fflush(file);
    }
    const double writeSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::seconds(3)); // the last look
    const double cpu1 = CpuSeconds(w.pid);
    const std::string peak = PeakMemory(w.pid);
    for (std::FILE* f : out)
        std::fclose(f);
    const int status = Stop(w);

    const auto delays = reader.Delays();
    long once = 0, twice = 0;
    std::vector<std::int64_t> all;
    for (const auto& [n, d] : delays) {
        once += d.size() == 1;
        twice += d.size() > 1;
        all.insert(all.end(), d.begin(), d.end());
    }
    std::sort(all.begin(), all.end());
    const auto ms = [&](double q) {
        return all.empty() ? 0.0 : static_cast<double>(all[static_cast<std::size_t>(q * static_cast<double>(all.size() - 1))]) / 1e6;
    };
    std::printf("writing: %ld lines in %.1f s into 3 logs, %ld matching; interval %s ms\n", total, writeSeconds, matching,
                interval.c_str());
    std::printf("  delivered exactly once: %ld of %ld; more than once: %ld; missing: %ld\n", once, matching, twice,
                matching - static_cast<long>(delays.size()));
    std::printf("  delay write->print: median %.0f ms, 99th percentile %.0f ms, worst %.0f ms\n", ms(0.5), ms(0.99),
                ms(1.0));
    std::printf("  watch CPU while writing: %.2f s over %.1f s (%.2f %% of a core); peak memory%s; exit %d\n",
                cpu1 - cpu0, writeSeconds + 3, 100 * (cpu1 - cpu0) / (writeSeconds + 3), peak.c_str(), status);
    fs::remove_all(logs);
}

void Idle(const std::string& cli, const std::string& interval, int seconds)
{
    const fs::path logs = fs::temp_directory_path() / ("kiv_watch_idle_" + std::to_string(getpid()));
    fs::create_directories(logs);
    const std::string mb(1 << 20, 'x');
    const std::time_t now = std::time(nullptr);
    for (int d = 0; d < 365; ++d) {
        const std::string key = DayKey(now - static_cast<std::time_t>(d) * 86400);
        for (const char* name : {"web", "proxy", "mail"})
            std::ofstream(logs / (std::string(name) + key + ".txt"), std::ios::binary) << mb << "\r\n";
        std::ofstream(logs / ("connexr" + key + ".log"), std::ios::binary) << "x\r\n";
    }
    Watcher w = Spawn(cli, logs, interval);
    std::this_thread::sleep_for(std::chrono::seconds(3)); // its first look
    const double cpu0 = CpuSeconds(w.pid);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double cpu1 = CpuSeconds(w.pid);
    std::printf("idle: 365 days (1,460 files, 1.1 GB), interval %s ms: CPU %.3f s over %d s (%.3f %% of a core); "
                "peak memory%s\n",
                interval.c_str(), cpu1 - cpu0, seconds, 100 * (cpu1 - cpu0) / seconds, PeakMemory(w.pid).c_str());
    Stop(w);
    fs::remove_all(logs);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_day_watch KIVLOGS_CLI [--seconds 60] [--rate 1000] [--interval MS] "
                             "[--idle-seconds 30]\n");
        return 2;
    }
    const std::string cli = argv[1];
    int seconds = 60, rate = 1000, idle = 30;
    std::string interval = "1000";
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string opt = argv[i], value = argv[i + 1];
        if (opt == "--seconds")
            seconds = std::stoi(value);
        else if (opt == "--rate")
            rate = std::stoi(value);
        else if (opt == "--interval")
            interval = value;
        else if (opt == "--idle-seconds")
            idle = std::stoi(value);
    }
    if (seconds > 0)
        Writing(cli, interval, seconds, rate);
    if (idle > 0)
        Idle(cli, interval, idle);
    return 0;
}
