#pragma once
// The log folder a command scans: --logs as the system gave its bytes, or the
// server's folder.

#include "CliOptions.h"

#include <filesystem>

namespace kiv::cli {

std::filesystem::path LogFolderPath(const CliOptions& options);

} // namespace kiv::cli
