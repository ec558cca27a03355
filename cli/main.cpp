// kivlogs-cli: the keyword search and the room occupation of Kiv Logs, for a
// terminal, a script or a scheduled job on the server itself.

#include "CliOptions.h"
#include "ExecutablePath.h"
#include "OccupationCommand.h"
#include "SearchCommand.h"

#include <cstdio>
#include <ctime>
#include <exception>
#include <string>
#include <vector>

namespace {

kiv::LogDate Today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

void Print(std::FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace kiv::cli;
    const std::vector<std::string> args(argv + 1, argv + argc);
    CliOptions options;
    try {
        options = ParseCommandLine(args, Today());
    } catch (const UsageError& error) {
        Print(stderr, std::string("kivlogs-cli : ") + error.what() + "\n\n" + UsageText());
        return 2;
    }

    try {
        switch (options.command) {
        case Command::Help:
            Print(stdout, UsageText());
            return 0;
        case Command::Version:
            Print(stdout, "kivlogs-cli " KIVLOGS_VERSION "\n");
            return 0;
        case Command::Search:
            return RunSearch(options, ExecutableFolder(argc > 0 ? argv[0] : nullptr));
        case Command::Occupation:
            return RunOccupation(options);
        }
    } catch (const UsageError& error) {
        // Found once the command knows what it reads (an --output over one of its inputs).
        Print(stderr, std::string("kivlogs-cli : ") + error.what() + "\n\n" + UsageText());
        return 2;
    } catch (const std::exception& error) {
        // Nothing should reach here; if something does, say so rather than abort.
        Print(stderr, std::string("kivlogs-cli : ") + error.what() + "\n");
        return 1;
    }
    return 0;
}
