#pragma once
// The log folder a command scans: --logs as the system gave its bytes, or the
// server's folder.

#include "CliOptions.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kiv::cli {

std::filesystem::path LogFolderPath(const CliOptions& options);

// The finder's paths as paths of the system.
std::vector<std::filesystem::path> FilePaths(const std::vector<std::string>& found);

} // namespace kiv::cli
