#pragma once
// The options of kivlogs: --logs DIR, --config DIR, --user-config, --help,
// --version.
// The options that Qt itself takes (-platform NAME, -style NAME, ...) are let
// through.

#include "app/window/StartupPaths.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kiv {

struct CommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    std::optional<std::filesystem::path> logFolder;
    std::optional<std::filesystem::path> configFolder;
    bool userConfigFolder = false; // --user-config: the user's own folder (UserConfigFolder.h)
    std::string error; // for UsageError, in French
};

// args: the arguments after the program name, as PathFromBytes takes paths
// (the system's bytes on POSIX, UTF-8 on Windows).
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The window's command line as the system gave it: on POSIX the bytes of
// argv, so that a folder whose name is not UTF-8 is found as it is named; on
// Windows the wide-character arguments that Qt holds. Call it once the
// QApplication exists.
CommandLine WindowCommandLine(int argc, char* argv[]);

// The short French usage text, ending with a line break.
std::string UsageText();

// The folders the window works with: the given ones made absolute against
// currentFolder, else the log share and the current folder.
StartupPaths ResolveStartupPaths(const CommandLine& commandLine, const std::filesystem::path& exeFolder,
                                 const std::filesystem::path& currentFolder);

} // namespace kiv
