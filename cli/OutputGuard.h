#pragma once
// --output must never name a file the command reads, a log of the log folder,
// nor a list file that the command line names: the results would replace a
// day's log, or the user's word, room or time-slot list.

#include <filesystem>
#include <string>
#include <vector>

namespace kiv::cli {

struct CliOptions;

// The list files that the command line names, whether the command reads them
// or not: --words, --slots, and the configuration folder's three lists and
// kivlogs.conf.
std::vector<std::filesystem::path> NamedListFiles(const CliOptions& options);

// With --output, throws UsageError when it names an existing file of the log
// folder (a log of any day), one of the logs that the scan reads (as the job
// lists them), one of the other files the command reads, or one of
// NamedListFiles: the rule of the window's "Enregistrer" (jobs/ProgramInputs.h).
void RefuseOutputOverScan(const CliOptions& options, const std::vector<std::string>& logFiles,
                          std::vector<std::filesystem::path> otherInputs = {});

} // namespace kiv::cli
