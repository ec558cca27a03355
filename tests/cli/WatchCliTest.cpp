// kivlogs-cli watch as a script runs it: started on a folder, fed lines, read
// line by line from its pipe, stopped with SIGTERM.

#include "tests/cli/CliRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A watch running with its standard output on a pipe that the test reads.
class RunningWatch {
public:
    // prefix: a program that runs the watch (prlimit and its options).
    RunningWatch(std::vector<std::string> args, const std::filesystem::path& errFile,
                 std::vector<std::string> prefix = {})
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        args.insert(args.begin(), KIVLOGS_CLI_PATH);
        args.insert(args.begin(), prefix.begin(), prefix.end());
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out_ = fds[0];
    }
    ~RunningWatch()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            close(out_);
    }

    bool Started() const { return pid_ > 0; }

    // The next line it writes, waiting until the deadline; "" at the end of
    // its output or when nothing came in time.
    std::string NextLine(Clock::time_point deadline)
    {
        for (;;) {
            if (const auto end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd ready{out_, POLLIN, 0};
            if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0)
                return "";
            char bytes[4096];
            const ssize_t got = read(out_, bytes, sizeof bytes);
            if (got <= 0)
                return "";
            buffer_.append(bytes, static_cast<std::size_t>(got));
        }
    }

    // Sends the signal and returns the exit status, -1 when it did not exit.
    int StopWith(int signal)
    {
        kill(pid_, signal);
        int status = 0;
        const pid_t ended = waitpid(pid_, &status, 0);
        pid_ = -1;
        return ended > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffer_;
};

void Append(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::app) << bytes;
}

// Numbered lines of 7 December 2026 holding the word "jeu", from P<from> to
// P<to - 1>. (Appended piece by piece: GCC 12 at -O3 warns wrongly of an
// overlap in "P" + std::to_string(i) + ...)
std::string NumberedLines(int from, int to)
{
    std::string text;
    for (int i = from; i < to; ++i) {
        text += 'P';
        text += std::to_string(i);
        text += ":e:071226:1432:jeu\r\n";
    }
    return text;
}

TEST(CliWatch, WritesEachNewResultAsSearchDoesAndStopsCleanlyOnSignals)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        TempFolder root("kiv_cli_watch");
        const auto web = root.path() / "logs" / "web071226.txt";
        WriteFile(web, "P0:e0:071226:1432:jeu d'avant\r\n");
        RunningWatch watch({"watch", "--logs", (root.path() / "logs").string(), "--word", "jeu", "--with-word",
                            "--date", "2026-12-07", "--interval", "50", "--catch-up"},
                           root.path() / "err.txt");
        ASSERT_TRUE(watch.Started());
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        // The day so far first: the watch has looked once, what follows is new.
        EXPECT_EQ(watch.NextLine(deadline), "jeu\tP0:e0: le 07/12/26: \xC3\xA0 14 h 32 min :jeu d'avant");

        Append(web, "P1:e1:071226:1433:un JEU d'\xE9t\xE9\r\nP2:e2:071226:1433:rien\r\n");
        Append(root.path() / "logs" / "zz071226.txt", "P3:e3:071226:1434:jeu\n");
        EXPECT_EQ(watch.NextLine(deadline), "jeu\tP1:e1: le 07/12/26: \xC3\xA0 14 h 33 min :un JEU d'\xC3\xA9t\xC3\xA9");
        EXPECT_EQ(watch.NextLine(deadline), "jeu\tP3:e3: le 07/12/26: \xC3\xA0 14 h 34 min :jeu");

        EXPECT_EQ(watch.StopWith(signal), 0);
        EXPECT_EQ(watch.NextLine(deadline), ""); // and nothing more
        EXPECT_EQ(ReadFile(root.path() / "err.txt"), "");
    }
}

// For a screen that others see: each look that found something gives one
// line, how many, never the pupil's line.
TEST(CliWatch, CountOnlyGivesEachLooksCountInsteadOfTheLines)
{
    TempFolder root("kiv_cli_watch_count");
    const auto web = root.path() / "logs" / "web071226.txt";
    WriteFile(web, "P0:e0:071226:1432:jeu\r\nP1:e1:071226:1432:JEU\r\nP2:e2:071226:1432:rien\r\n");
    RunningWatch watch({"watch", "--logs", (root.path() / "logs").string(), "--word", "jeu", "--date", "2026-12-07",
                        "--interval", "50", "--catch-up", "--count-only"},
                       root.path() / "err.txt");
    ASSERT_TRUE(watch.Started());
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    EXPECT_EQ(watch.NextLine(deadline), "2 lignes avec un mot surveill\xC3\xA9");
    Append(web, "P3:e3:071226:1433:un jeu\r\n");
    EXPECT_EQ(watch.NextLine(deadline), "1 ligne avec un mot surveill\xC3\xA9");
    EXPECT_EQ(watch.StopWith(SIGTERM), 0);
    EXPECT_EQ(ReadFile(root.path() / "err.txt"), "");
}

// Output that can no longer be written ends the watch with status 1: a full
// disk says so; a reader that went away (head) wanted no more, and is not
// told. Each run has a deadline: a watch that went on would be killed and fail.
TEST(CliWatch, EndsWithStatusOneWhenItsOutputFails)
{
    struct Case {
        const char* name;
        const char* pipeline; // the watch's output, as the shell writes it
        const char* err;
    };
    const Case cases[] = {
        {"full_disk", "> /dev/full", "Erreur d'\xC3\xA9" "criture.\n"},
        {"reader_gone", "| head -1 > /dev/null", ""},
    };
    TempFolder root("kiv_cli_watch_fails");
    // More than a pipe holds, so that the watch is still writing when head has gone.
    WriteFile(root.path() / "logs" / "web071226.txt", NumberedLines(0, 5000));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string err = (root.path() / "err.txt").string();
        const std::string status = (root.path() / "status.txt").string();
        const std::string command = std::string("bash -c 'timeout -s KILL 60 ") + KIVLOGS_CLI_PATH + " watch --logs "
            + (root.path() / "logs").string() + " --word jeu --date 2026-12-07 --interval 50 --catch-up 2> " + err
            + " " + c.pipeline + "; echo ${PIPESTATUS[0]} > " + status + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(ReadFile(status), "1\n");
        EXPECT_EQ(ReadFile(err), c.err);
    }
}

// What the watch holds stays small whatever the logs do: under an address
// space of 96 MB, a log holding a line of 128 MB (a hole read as zeros) and
// thousands of watched lines gives each of them once, whether the watch
// starts on it or reads it from its start, and lines written later still come.
TEST(CliWatch, BigLogsAndGiantLinesFitInSmallMemoryAndNoLineIsLost)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#endif
    if (std::system("prlimit --version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "no prlimit";
    for (const bool catchUp : {true, false}) {
        SCOPED_TRACE(catchUp ? "catch-up" : "from the end");
        TempFolder root("kiv_cli_watch_memory");
        const auto web = root.path() / "logs" / "web071226.txt";
        WriteFile(web, NumberedLines(0, 5000));
        std::filesystem::resize_file(web, std::filesystem::file_size(web) + (std::uintmax_t{128} << 20));
        Append(web, "\r\n" + NumberedLines(5000, 10000));
        std::vector<std::string> args{"watch", "--logs", (root.path() / "logs").string(), "--word", "jeu", "--date",
                                      "2026-12-07", "--interval", "50"};
        if (catchUp)
            args.push_back("--catch-up");
        RunningWatch watch(args, root.path() / "err.txt", {"prlimit", "--as=" + std::to_string(96 << 20), "--"});
        ASSERT_TRUE(watch.Started());
        const auto deadline = Clock::now() + std::chrono::seconds(120);
        int next = 0;
        if (!catchUp) {
            // What the log held at the start is not printed: a marker line is
            // written until one comes out, then the watch is surely under way.
            while (Clock::now() < deadline) {
                Append(web, "M:e:071226:1432:jeu\r\n");
                const std::string line = watch.NextLine(Clock::now() + std::chrono::milliseconds(200));
                if (!line.empty()) {
                    ASSERT_EQ(line.substr(0, 2), "M:");
                    break;
                }
            }
            next = 10000;
        }
        Append(web, NumberedLines(10000, 11000));
        while (next < 11000) {
            const std::string line = watch.NextLine(deadline);
            if (line.substr(0, 2) == "M:" && next == 10000)
                continue; // markers written before the first came out
            ASSERT_EQ(line.substr(0, line.find(':')), 'P' + std::to_string(next));
            ++next;
        }
        EXPECT_EQ(watch.StopWith(SIGTERM), 0);
        EXPECT_EQ(ReadFile(root.path() / "err.txt"), "");
    }
}

} // namespace
