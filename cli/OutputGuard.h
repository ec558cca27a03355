#pragma once
// --output must never name a file the command reads, nor a list file that the
// command line names: the results would replace the day's log, or the user's
// word, room or time-slot list.

#include <filesystem>
#include <string>
#include <vector>

namespace kiv::cli {

struct CliOptions;

// The list files that the command line names, whether the command reads them
// or not: --words, --slots, and the three lists of the configuration folder
// (--config, else the current folder).
std::vector<std::filesystem::path> NamedListFiles(const CliOptions& options);

// Throws UsageError when output is the same file as one of inputs (through a
// link or another spelling of its path included).
void RefuseOutputOverInput(const std::string& output, const std::vector<std::filesystem::path>& inputs);

// With --output, throws UsageError when it names one of the logs that the
// scan reads (as the job lists them), one of the other files the command
// reads, or one of NamedListFiles.
void RefuseOutputOverScan(const CliOptions& options, const std::vector<std::string>& logFiles,
                          std::vector<std::filesystem::path> otherInputs = {});

} // namespace kiv::cli
