#pragma once
// The log folder a command scans: --logs as the system gave its bytes, else
// the one remembered in the --config folder's kivlogs.conf, else the server's
// folder. Throws KivError when that settings file cannot be read.

#include "cli/CliOptions.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kiv::cli {

std::filesystem::path LogFolderPath(const CliOptions& options);

} // namespace kiv::cli
