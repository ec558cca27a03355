// kivlogs-cli watch as a script runs it: started on a folder, fed lines, read
// line by line from its pipe, stopped with SIGTERM.

#include "tests/cli/CliRun.h"

#include <gtest/gtest.h>

#include <chrono>
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
    RunningWatch(std::vector<std::string> args, const std::filesystem::path& errFile)
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
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, KIVLOGS_CLI_PATH, &actions, nullptr, argv.data(), environ) != 0)
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

} // namespace
