#pragma once
// kivlogs-cli search: the keyword search of the window, results on standard
// output or saved as the window's "Enregistrer" saves them.

#include "CliOptions.h"

#include <filesystem>

namespace kiv::cli {

// Returns the exit status: 0 every found file read, 1 otherwise.
int RunSearch(const CliOptions& options, const std::filesystem::path& executableFolder);

} // namespace kiv::cli
