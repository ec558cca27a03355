#include "CliRun.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>

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
