#pragma once
// Where "Enregistrer" may not write: saved results that replaced a day's log
// or a list file would destroy what the staff search in, or their own rooms,
// time slots and words, without a word. kivlogs-cli refuses the same targets
// for --output.

#include <filesystem>
#include <vector>

namespace kiv {

struct ProgramFiles {
    std::vector<std::filesystem::path> lists; // the list files the window reads and writes
    std::filesystem::path logFolder;          // every file in it is a log, or may become one
};

// Throws KivError when target is an existing file among files (through a link
// or another spelling of its path included) or lies in the log folder.
void RefuseSavingOverProgramFile(const std::filesystem::path& target, const ProgramFiles& files);

} // namespace kiv
