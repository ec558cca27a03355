#pragma once
// kivlogs-cli report: one pupil or one computer over a day or a period, as
// text (the window's lines), CSV (one row per session or result) or a page of
// HTML to mail and print.

#include "cli/CliOptions.h"

#include <filesystem>

namespace kiv::cli {

// Returns the exit status: 0 every log of every day read, 1 otherwise.
int RunReport(const CliOptions& options, const std::filesystem::path& executableFolder);

} // namespace kiv::cli
