#pragma once
// kivlogs-cli occupation: the day's sessions of the window's "Occupation des
// salles" tab, as its text view, as the table's cells, or as CSV.

#include "CliOptions.h"

namespace kiv::cli {

// Returns the exit status: 0 every found file read, 1 otherwise.
int RunOccupation(const CliOptions& options);

} // namespace kiv::cli
