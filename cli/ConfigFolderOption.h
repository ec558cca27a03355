#pragma once
// The configuration folder of a command, by the window's own rule
// (jobs/ConfigFolder.h): --config DIR, else with --user-config the user's
// folder, else the current folder. Every file of the configuration is read
// from it: the three lists, kivlogs.conf, and the files --output may not
// replace.

#include "cli/CliOptions.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kiv::cli {

// Sets options.config to the chosen folder, so that every command reads the
// same one. Throws UsageError for --config with --user-config, for a --config
// that names no folder, and for --user-config when the environment names no
// user folder. Gives the errors (Windows-1252) met while filling the user's
// folder from the installed lists; the command goes on with what is there.
std::vector<std::string> SettleConfigFolder(CliOptions& options, const std::filesystem::path& exeFolder);

} // namespace kiv::cli
