#pragma once
// What a save may never replace, for the window's "Enregistrer", its period's
// summary and kivlogs-cli --output alike: saved results over a day's log
// would destroy what the staff search in, and over a list file their own
// rooms, time slots or words, without a word.

#include <filesystem>
#include <vector>

namespace kiv {

struct ProgramInputs {
    std::vector<std::filesystem::path> lists; // the list and settings files read or written
    std::filesystem::path logFolder;          // every file in it is a log, or may become one
};

// Whether target is an existing file that the program reads: one of lists, or
// any file of the log folder, whatever its day (through a link or another
// spelling of its path included). A file that does not exist yet is read by
// no one; a folder or a device is not replaced by a save either way.
bool IsProgramInput(const std::filesystem::path& target, const ProgramInputs& inputs);

} // namespace kiv
