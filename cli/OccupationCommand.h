#pragma once
// kivlogs-cli occupation: the day's sessions of the window's "Occupation des
// salles" tab, as its text view, as the table's cells, or as CSV; or the
// room use of a period (SummaryOutput.h).

#include "cli/CliOptions.h"
#include "table/OccupationTable.h"

#include <filesystem>
#include <optional>
#include <string>

namespace kiv::cli {

struct SlotsFile {
    std::filesystem::path path;
    std::string shownName;
};

// The time-slot list of the table: --slots, else the configuration's
// "kiv_heures.txt" when there is one.
std::optional<SlotsFile> ChosenSlotsFile(const CliOptions& options);

// The header row as the window's table shows it: the time-slot list loaded
// over the eight initial headers. Throws KivError when the list cannot be read.
void LoadSlotHeaders(const CliOptions& options, OccupationTable& table);

// What a failed write of the output says, as search says it: the day's
// sessions and the period's summary fail alike.
std::string OutputFailedMessage(const CliOptions& options);

// Returns the exit status: 0 every found file read, 1 otherwise.
int RunOccupation(const CliOptions& options);

} // namespace kiv::cli
