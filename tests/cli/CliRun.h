#pragma once
// Runs kivlogs-cli as a script would and keeps what it printed.

#include <filesystem>
#include <string>
#include <vector>

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Each argument is quoted for the shell; cwd is where the program starts.
// shellPrefix comes just before the program: a ulimit, or a timeout.
CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
              const std::string& shellPrefix = "");

// Runs kivlogs-cli with standard output and standard error on a new
// pseudo-terminal, as a user at a terminal sees it: out holds both streams
// (the terminal writes each LF as CR LF).
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
