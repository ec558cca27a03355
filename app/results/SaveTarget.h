#pragma once
// Where "Enregistrer" may not write: the window's side of the one rule that
// kivlogs-cli's --output follows too (IsProgramInput), said as the window's
// error.

#include "jobs/ProgramInputs.h"

#include <filesystem>

namespace kiv {

// The log folder and the list files the window reads and writes.
using ProgramFiles = ProgramInputs;

// Throws KivError when target is an existing file among files (through a link
// or another spelling of its path included) or lies in the log folder.
void RefuseSavingOverProgramFile(const std::filesystem::path& target, const ProgramFiles& files);

} // namespace kiv
