#include "tests/cli/CliRun.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <random>
#include <sstream>
#include <poll.h>
#include <pty.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

int ExitStatus(int raw)
{
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// The child leads a process group of its own: at the deadline the whole
// group is killed, the shell and whatever it started, and the test fails.
int KillOnDeadline(pid_t child, std::chrono::milliseconds deadline)
{
    ::kill(-child, SIGKILL);
    int raw = 0;
    ::waitpid(child, &raw, 0);
    ADD_FAILURE() << "kivlogs-cli did not end within " << deadline.count() << " ms: killed";
    return -1;
}

// Waits for the child to end until the deadline; returns its exit status.
int WaitUntil(pid_t child, Clock::time_point deadline, std::chrono::milliseconds given)
{
    // By system call: glibc 2.36 declares pidfd_open without C linkage.
    const int ended = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    if (ended >= 0) {
        pollfd ready{ended, POLLIN, 0};
        int polled;
        while ((polled = ::poll(&ready, 1, MillisecondsLeft(deadline))) < 0 && errno == EINTR) {
        }
        ::close(ended);
        if (polled == 0)
            return KillOnDeadline(child, given);
    }
    // Ended, or a kernel that cannot tell (before Linux 5.3): ctest's own
    // timeout is then the only deadline.
    int raw = 0;
    ::waitpid(child, &raw, 0);
    return ExitStatus(raw);
}

std::string Quote(const std::string& arg)
{
    std::string quoted = "'";
    for (char c : arg) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

} // namespace

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

TempFolder::TempFolder(const std::string& name)
{
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / (name + "_" + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd, const std::string& shellPrefix,
              std::chrono::milliseconds deadline)
{
    static int counter = 0;
    const auto base = std::filesystem::temp_directory_path() / ("kiv_cli_run_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
    std::string command = "cd " + Quote(cwd.string()) + " && " + shellPrefix + Quote(KIVLOGS_CLI_PATH);
    for (const auto& arg : args) {
        command += ' ';
        command += Quote(arg);
    }
    command += " > " + Quote(base.string() + ".out") + " 2> " + Quote(base.string() + ".err");
    const auto until = Clock::now() + deadline;
    CliRun run;
    const pid_t child = ::fork();
    if (child < 0)
        return run;
    if (child == 0) {
        ::setpgid(0, 0);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::setpgid(child, child); // here too, so that the group exists before any kill
    run.status = WaitUntil(child, until, deadline);
    run.out = ReadFile(base.string() + ".out");
    run.err = ReadFile(base.string() + ".err");
    std::error_code ec;
    std::filesystem::remove(base.string() + ".out", ec);
    std::filesystem::remove(base.string() + ".err", ec);
    return run;
}

CliRun RunCliOnTerminal(const std::vector<std::string>& args, const std::filesystem::path& cwd)
{
    std::vector<std::string> argv{KIVLOGS_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    CliRun run;
    if (child < 0)
        return run;
    if (child == 0) {
        if (::chdir(cwd.c_str()) == 0)
            ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    // A session leader, so its process group is its own to kill.
    const auto until = Clock::now() + kCliDeadline;
    char buffer[4096];
    for (;;) {
        pollfd ready{terminal, POLLIN, 0};
        const int polled = ::poll(&ready, 1, MillisecondsLeft(until));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled == 0) {
            ::close(terminal);
            KillOnDeadline(child, kCliDeadline);
            return run;
        }
        const ssize_t got = ::read(terminal, buffer, sizeof buffer);
        if (got <= 0) // EIO once the program has ended and closed the terminal
            break;
        run.out.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(terminal);
    run.status = WaitUntil(child, until, kCliDeadline);
    return run;
}
