#pragma once
// kivlogs-cli watch: the day's keyword logs followed as the server writes
// them, each new result on standard output as soon as it is found, until
// Ctrl+C or SIGTERM. Made to be piped into a script that mails or notifies.

#include "cli/CliOptions.h"

#include <filesystem>

namespace kiv::cli {

// Returns the exit status: 0 once stopped by a signal, 1 when standard output
// could not be written or the word file read.
int RunWatch(const CliOptions& options, const std::filesystem::path& executableFolder);

} // namespace kiv::cli
