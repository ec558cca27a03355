#pragma once
// kivlogs-cli occupation --format summary: how many sessions each room had in
// each slot of the day table over a period, as the period window saves it.

#include "cli/CliOptions.h"

namespace kiv::cli {

// Returns the exit status: 0 every found log read, 1 otherwise.
int RunOccupationSummary(const CliOptions& options);

} // namespace kiv::cli
