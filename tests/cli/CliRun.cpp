#include "tests/cli/CliRun.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

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

CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd, const std::string& shellPrefix)
{
    static int counter = 0;
    const auto base = std::filesystem::temp_directory_path() / ("kiv_cli_run_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
    std::string command = "cd " + Quote(cwd.string()) + " && " + shellPrefix + Quote(KIVLOGS_CLI_PATH);
    for (const auto& arg : args) {
        command += ' ';
        command += Quote(arg);
    }
    command += " > " + Quote(base.string() + ".out") + " 2> " + Quote(base.string() + ".err");
    const int raw = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile(base.string() + ".out");
    run.err = ReadFile(base.string() + ".err");
    std::filesystem::remove(base.string() + ".out");
    std::filesystem::remove(base.string() + ".err");
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
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(terminal, buffer, sizeof buffer);
        if (got <= 0) // EIO once the program has ended and closed the terminal
            break;
        run.out.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(terminal);
    int raw = 0;
    ::waitpid(child, &raw, 0);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}
