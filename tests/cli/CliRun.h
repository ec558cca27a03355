#pragma once
// Runs kivlogs-cli as a script would and keeps what it printed.

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

struct CliRun {
    int status = -1; // -1 when the program was ended by a signal or killed
    std::string out;
    std::string err;
};

// How long one run may take. The folders of these tests are small: a run
// that has not ended after a minute, even under the sanitizers on a loaded
// machine, hangs, and would otherwise hold the whole test run with it.
inline constexpr std::chrono::milliseconds kCliDeadline = std::chrono::seconds(60);

// Each argument is quoted for the shell; cwd is where the program starts.
// shellPrefix comes just before the program: a ulimit, or a timeout. A run
// still going at the deadline is killed, with what the shell started, and
// fails the test.
CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
              const std::string& shellPrefix = "", std::chrono::milliseconds deadline = kCliDeadline);

// Runs kivlogs-cli with standard output and standard error on a new
// pseudo-terminal, as a user at a terminal sees it: out holds both streams
// (the terminal writes each LF as CR LF). The same deadline applies.
CliRun RunCliOnTerminal(const std::vector<std::string>& args, const std::filesystem::path& cwd);

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// A fresh folder under the temporary folder, removed by the destructor.
class TempFolder {
public:
    explicit TempFolder(const std::string& name);
    ~TempFolder();
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};
