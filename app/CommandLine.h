#pragma once
// The options of kivlogs: --logs DIR, --config DIR, --user-config, --help.
// The options that Qt itself takes (-platform NAME, -style NAME, ...) are let
// through.

#include "StartupPaths.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kiv {

struct CommandLine {
    enum class Action { Run, Help, UsageError };
    Action action = Action::Run;
    std::optional<std::filesystem::path> logFolder;
    std::optional<std::filesystem::path> configFolder;
    bool userConfigFolder = false; // --user-config: the user's own folder (UserConfigFolder.h)
    std::string error; // for UsageError, in French
};

// args: the arguments after the program name, in UTF-8.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The short French usage text, ending with a line break.
std::string UsageText();

// The folders the window works with: the given ones made absolute against
// currentFolder, else the log share and the current folder.
StartupPaths ResolveStartupPaths(const CommandLine& commandLine, const std::filesystem::path& exeFolder,
                                 const std::filesystem::path& currentFolder);

} // namespace kiv
