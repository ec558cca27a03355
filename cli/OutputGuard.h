#pragma once
// --output must never name a file the command reads: the results would
// replace the day's log, or the word list, that they came from.

#include <filesystem>
#include <string>
#include <vector>

namespace kiv::cli {

// Throws UsageError when output is the same file as one of inputs (through a
// link or another spelling of its path included).
void RefuseOutputOverInput(const std::string& output, const std::vector<std::filesystem::path>& inputs);

} // namespace kiv::cli
