// kivlogs-cli: the keyword search and the room occupation of Kiv Logs, for a
// terminal, a script or a scheduled job on the server itself.

#include "cli/CliOptions.h"
#include "cli/ConfigFolderOption.h"
#include "cli/Diagnostics.h"
#include "cli/ExecutablePath.h"
#include "cli/OccupationCommand.h"
#include "cli/Output.h"
#include "cli/ReportCommand.h"
#include "cli/SearchCommand.h"
#include "cli/WatchCommand.h"
#include "logscan/FileIo.h"
#include "logscan/KivError.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#include <fcntl.h>
#include <io.h>
#endif

namespace {

// The arguments after the program name as PathFromBytes takes paths: the
// system's bytes on POSIX, UTF-8 from the wide command line on Windows, so
// that a folder with accents is found whatever the console's code page.
std::vector<std::string> Arguments(int argc, char** argv)
{
#ifdef _WIN32
    (void)argc;
    (void)argv;
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
        if (size > 1)
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, utf8.data(), size, nullptr, nullptr);
        args.push_back(std::move(utf8));
    }
    LocalFree(wide);
    return args;
#else
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
#endif
}

void Print(std::FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
}

// One line that says what is wrong, one that says where the help is: the
// whole usage would push the error itself off a small terminal.
void PrintUsageError(const kiv::cli::UsageError& error, const std::vector<std::string>& args)
{
    Print(stderr, std::string("kivlogs-cli : ") + kiv::VisibleControls(error.what(), kiv::Encoding::Utf8, false) + "\n" + kiv::cli::HelpHint(args) + "\n");
}

} // namespace

int main(int argc, char** argv)
{
    using namespace kiv::cli;
    kiv::FailWritesBeyondFileSizeLimit();
#ifdef _WIN32
    // What the command writes goes out byte for byte, as on Linux: Windows' C
    // library would write each LF as CR LF, and the CR LF of a summary or of
    // cp1252 output as CR CR LF, so that a scheduled task's file or a pipe
    // would not hold what "Enregistrer" and --output write.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    const std::vector<std::string> args = Arguments(argc, argv);
    const std::filesystem::path exeFolder = ExecutableFolder(argc > 0 ? argv[0] : nullptr);
    CliOptions options;
    std::vector<std::string> configErrors;
    try {
        options = ParseCommandLine(args, kiv::LocalToday());
        if (options.command != Command::Help && options.command != Command::Version)
            configErrors = SettleConfigFolder(options, exeFolder);
    } catch (const UsageError& error) {
        PrintUsageError(error, args);
        return 2;
    } catch (const std::bad_alloc&) {
        ReportError("M\xE9moire insuffisante", Encoding::Utf8);
        return 1;
    }
    for (const std::string& error : configErrors)
        ReportError(error, options.encoding);

    try {
        switch (options.command) {
        case Command::Help:
            Print(stdout, HelpText(options.helpTopic));
            return 0;
        case Command::Version:
            Print(stdout, "kivlogs-cli " KIVLOGS_VERSION "\n");
            return 0;
        case Command::Search:
            return RunSearch(options, exeFolder);
        case Command::Occupation:
            return RunOccupation(options);
        case Command::Watch:
            return RunWatch(options, exeFolder);
        case Command::Report:
            return RunReport(options, exeFolder);
        }
    } catch (const UsageError& error) {
        // Found once the command knows what it reads (an --output over one of its inputs).
        PrintUsageError(error, args);
        return 2;
    } catch (const kiv::KivError& error) {
        // A file of the configuration that cannot be read (kivlogs.conf).
        ReportError(error.what(), options.encoding);
        return 1;
    } catch (const std::bad_alloc&) {
        // As a scan says it: a list or a settings file too large for the memory left.
        ReportError("M\xE9moire insuffisante", options.encoding);
        return 1;
    } catch (const std::exception& error) {
        // Nothing should reach here; if something does, say so rather than abort.
        Print(stderr, "kivlogs-cli : " + VisibleControls(error.what(), Encoding::Utf8, false) + "\n");
        return 1;
    }
    return 0;
}
