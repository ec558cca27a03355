#pragma once
// The installed window's lists. Installed from the package, kivlogs lives in
// /usr/bin, where no "kiv.ini" can be written: each member of staff keeps
// their own lists in their configuration folder (jobs/ConfigFolder.h, the
// rule kivlogs-cli shares), and the words they save from "Modifier mots
// recherchés par défaut" are the ones read at the next start.

#include "app/window/StartupPaths.h"
#include "jobs/ConfigFolder.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kiv {

// The word file read at start-up: "kiv.ini" beside the executable when there
// is one; else, for the installed program (its shared list folder exists),
// "kiv.ini" of the configuration folder, the file that the word dialog
// writes; else the absent one beside the executable, which leaves the
// built-in words.
std::filesystem::path StartupWordFile(const StartupPaths& paths);

// Makes the user's configuration folder the configuration folder of paths and
// fills it from the shared lists. Gives the error texts, as FillConfigFolder;
// when the environment names no folder, the configuration folder stays.
std::vector<std::string> UseUserConfigFolder(StartupPaths& paths);

} // namespace kiv
