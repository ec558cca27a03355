#pragma once
// The log folder a command scans: --logs as the system gave its bytes, else
// the one remembered in the configuration folder's kivlogs.conf, else the
// server's folder. Throws KivError when that settings file cannot be read.

#include "cli/CliOptions.h"
#include "jobs/ScanOutcome.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kiv::cli {

std::filesystem::path LogFolderPath(const CliOptions& options);

// After a scan that found no file: for a folder that could not be listed, how
// to choose another (unless --logs named it); for a folder without the day's
// logs, noLogMessage (Windows-1252), which the status leaves at 0. Both on
// standard error.
void TellAboutEmptyScan(const CliOptions& options, const ScanOutcome& outcome, const std::string& noLogMessage);

} // namespace kiv::cli
