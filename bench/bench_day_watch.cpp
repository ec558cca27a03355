// How soon `kivlogs-cli watch` shows a watched word, and what watching costs.
//
//   bench_day_watch KIVLOGS_CLI [--seconds 60] [--rate 1000] [--interval MS] [--idle-seconds 30]
//                   [--flood-mb-per-s 250] [--burst-mb 2048] [--start-mb 1024] [--floods 1]
//
// 1. Writing: this program writes lines into three of today's keyword logs at
//    --rate lines a second for --seconds, 1 % of them holding the watched word
//    with their number and the time they were written; the watch runs as a
//    separate process and the lines it prints are read back here. Reports
//    whether every matching line came exactly once, the delay from write to
//    print (median, 99th percentile, worst), and the watch's CPU time.
// 2. Floods, each in a folder of its own: fast growth (one log gaining
//    --flood-mb-per-s megabytes a second for --seconds), a burst (--burst-mb
//    written at once, then one watched line 5 s later) and a big start (the
//    watch started on a log of --start-mb, then lines written at 1,000 a
//    second). Reports lines delivered once, missing, the delay (median, 99th
//    percentile) and the watch's peak resident memory, against what
//    `tail -F LOG | grep --line-buffered` keeps for the same case.
// 3. Idle: a folder of 365 days of logs (three keyword logs of 1 MB and a
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
    if (posix_spawnp(&w.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
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

// Lines of a keyword log, about `bytes` of them, 1 % holding the watched
// word with their number and the time they are written.
class Flooder {
public:
    explicit Flooder(const std::string& key) : key_(key) {}

    void Write(std::FILE* file, std::size_t bytes, bool watched = true)
    {
        std::string block;
        block.reserve(bytes + 200);
        char line[200];
        while (block.size() < bytes) {
            const long i = lines_++;
            int n;
            if (watched && i % 100 == 0)
                n = std::snprintf(line, sizeof line, "POSTE%02ld:eleve%02ld:%s:1432:page sexe n=%ld t=%lld\r\n", i % 40,
                                  i % 30, key_.c_str(), matching_++, static_cast<long long>(NowNs()));
            else
                n = std::snprintf(line, sizeof line, "POSTE%02ld:eleve%02ld:%s:1432:%s\r\n", i % 40, i % 30,
                                  key_.c_str(), Filler(static_cast<std::size_t>(i)).c_str());
            block.append(line, static_cast<std::size_t>(n));
        }
        std::fwrite(block.data(), 1, block.size(), file);
        std::fflush(file);
    }
    long Matching() const { return matching_; }

private:
    std::string key_;
    long lines_ = 0;
    long matching_ = 0;
};

struct Delivery {
    long once = 0, twice = 0, missing = 0;
    double median = 0, p99 = 0;
};

Delivery Summary(const std::map<long, std::vector<std::int64_t>>& delays, long matching)
{
    Delivery d;
    std::vector<std::int64_t> all;
    for (const auto& [n, times] : delays) {
        d.once += times.size() == 1;
        d.twice += times.size() > 1;
        all.insert(all.end(), times.begin(), times.end());
    }
    d.missing = matching - static_cast<long>(delays.size());
    std::sort(all.begin(), all.end());
    const auto ms = [&](double q) {
        return all.empty() ? 0.0 : static_cast<double>(all[static_cast<std::size_t>(q * static_cast<double>(all.size() - 1))]) / 1e6;
    };
    d.median = ms(0.5);
    d.p99 = ms(0.99);
    return d;
}

long KbOf(const std::string& status)
{
    return std::strtol(status.c_str(), nullptr, 10);
}

// The same case followed by `tail -F | grep`: its peak memory, for scale.
struct Reference {
    pid_t tail = -1, grep = -1;
    int out = -1;
};

Reference SpawnTailGrep(const fs::path& log)
{
    Reference r;
    int toGrep[2], fromGrep[2];
    if (pipe(toGrep) != 0 || pipe(fromGrep) != 0)
        std::exit(1);
    posix_spawn_file_actions_t a;
    posix_spawn_file_actions_init(&a);
    posix_spawn_file_actions_adddup2(&a, toGrep[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&a, toGrep[0]);
    posix_spawn_file_actions_addclose(&a, fromGrep[0]);
    posix_spawn_file_actions_addclose(&a, fromGrep[1]);
    std::string logPath = log.string();
    std::vector<std::string> tailArgs{"tail", "-n", "0", "-F", logPath};
    std::vector<char*> argv;
    for (auto& s : tailArgs)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    posix_spawnp(&r.tail, "tail", &a, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&a);
    posix_spawn_file_actions_init(&a);
    posix_spawn_file_actions_adddup2(&a, toGrep[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&a, fromGrep[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&a, toGrep[1]);
    posix_spawn_file_actions_addclose(&a, fromGrep[0]);
    std::vector<std::string> grepArgs{"grep", "--line-buffered", "-i", "sexe"};
    argv.clear();
    for (auto& s : grepArgs)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    posix_spawnp(&r.grep, "grep", &a, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&a);
    close(toGrep[0]);
    close(toGrep[1]);
    close(fromGrep[1]);
    r.out = fromGrep[0];
    return r;
}

void Flood(const std::string& cli, const std::string& interval, const std::string& name, int mbPerSecond, int seconds,
           int startMb, int burstMb)
{
    const fs::path logs = fs::temp_directory_path() / ("kiv_watch_flood_" + std::to_string(getpid()));
    fs::create_directories(logs);
    const std::string key = DayKey(std::time(nullptr));
    const fs::path log = logs / ("web" + key + ".txt");
    Flooder flooder(key);
    std::FILE* file = std::fopen(log.c_str(), "ab");
    for (int mb = 0; mb < startMb; ++mb)
        flooder.Write(file, std::size_t{1} << 20, false);
    Watcher w = Spawn(cli, logs, interval);
    Reference ref = SpawnTailGrep(log);
    std::this_thread::sleep_for(std::chrono::seconds(2)); // the first looks
    Reader reader(w.out);
    Reader refReader(ref.out);
    const auto start = Clock::now();
    if (burstMb > 0) {
        for (int mb = 0; mb < burstMb; ++mb)
            flooder.Write(file, std::size_t{1} << 20);
        std::this_thread::sleep_for(std::chrono::seconds(5));
        flooder.Write(file, 1);
    }
    const std::size_t step = static_cast<std::size_t>(mbPerSecond) << 20 >> 6; // a 64th of a second's worth
    for (long i = 0; mbPerSecond > 0 && i < static_cast<long>(seconds) * 64; ++i) {
        std::this_thread::sleep_until(start + std::chrono::microseconds(i * 1'000'000 / 64));
        flooder.Write(file, step);
    }
    if (startMb > 0 && mbPerSecond == 0 && burstMb == 0) {
        for (long i = 0; i < 5000; ++i) {
            std::this_thread::sleep_until(start + std::chrono::milliseconds(i));
            flooder.Write(file, 1);
        }
    }
    std::this_thread::sleep_for(std::chrono::seconds(4)); // the last looks
    const std::string peak = PeakMemory(w.pid);
    const std::string refPeak = std::to_string(KbOf(PeakMemory(ref.tail)) + KbOf(PeakMemory(ref.grep)));
    std::fclose(file);
    const int status = Stop(w);
    kill(ref.tail, SIGTERM);
    waitpid(ref.tail, nullptr, 0);
    waitpid(ref.grep, nullptr, 0);
    close(ref.out);
    const Delivery d = Summary(reader.Delays(), flooder.Matching());
    const Delivery r = Summary(refReader.Delays(), flooder.Matching());
    std::printf("%s: %ld watched lines; interval %s ms\n", name.c_str(), flooder.Matching(), interval.c_str());
    std::printf("  kivlogs-cli watch: once %ld, more than once %ld, missing %ld; delay median %.0f ms, 99th %.0f ms; "
                "peak memory%s; exit %d\n",
                d.once, d.twice, d.missing, d.median, d.p99, peak.c_str(), status);
    std::printf("  tail -F | grep:    once %ld, more than once %ld, missing %ld; delay median %.0f ms, 99th %.0f ms; "
                "peak memory %s kB (watch/reference: %.2f)\n",
                r.once, r.twice, r.missing, r.median, r.p99, refPeak.c_str(),
                static_cast<double>(KbOf(peak)) / static_cast<double>(std::max(1L, std::stol(refPeak))));
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
    int seconds = 60, rate = 1000, idle = 30, floodRate = 250, burstMb = 2048, startMb = 1024, floods = 1;
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
        else if (opt == "--flood-mb-per-s")
            floodRate = std::stoi(value);
        else if (opt == "--burst-mb")
            burstMb = std::stoi(value);
        else if (opt == "--start-mb")
            startMb = std::stoi(value);
        else if (opt == "--floods")
            floods = std::stoi(value);
    }
    if (seconds > 0)
        Writing(cli, interval, seconds, rate);
    if (floods > 0) {
        Flood(cli, interval, "fast growth (" + std::to_string(floodRate) + " MB/s for 10 s)", floodRate, 10, 0, 0);
        Flood(cli, interval, "burst (" + std::to_string(burstMb) + " MB at once, one line 5 s later)", 0, 0, 0, burstMb);
        Flood(cli, interval, "big start (a log of " + std::to_string(startMb) + " MB, then 1,000 lines a second)", 0, 0,
              startMb, 0);
    }
    if (idle > 0)
        Idle(cli, interval, idle);
    return 0;
}
