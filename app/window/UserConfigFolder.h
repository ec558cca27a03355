#pragma once
// The installed program's lists. Installed from the package, kivlogs lives in
// /usr/bin, where no "kiv.ini" can be written, and the school's default lists
// come in /usr/share/kivlogs. Each member of staff then keeps their own lists
// in their configuration folder, filled from the defaults on first start, and
// the words they save from "Modifier mots recherchés par défaut" are the ones
// read at the next start.

#include "app/window/StartupPaths.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kiv {

// The default lists that come with the program: share/kivlogs beside the
// executable's folder (/usr/share/kivlogs for /usr/bin/kivlogs).
std::filesystem::path SharedListFolder(const std::filesystem::path& exeFolder);

// The word file read at start-up: "kiv.ini" beside the executable when there
// is one; else, for the installed program (its shared list folder exists),
// "kiv.ini" of the configuration folder, the file that the word dialog
// writes; else the absent one beside the executable, which leaves the
// built-in words.
std::filesystem::path StartupWordFile(const StartupPaths& paths);

// The user's own configuration folder: $XDG_CONFIG_HOME/kivlogs, or
// $HOME/.config/kivlogs when XDG_CONFIG_HOME is unset, empty or relative
// (%APPDATA%\kivlogs on Windows). Empty when the environment names neither.
std::filesystem::path UserConfigFolder();

// Creates folder when it is missing and copies into it each of the three
// lists that it lacks from sharedFolder; a list already there is never
// replaced, so nothing the user saved is lost. Gives the error texts
// (Windows-1252) of what could not be done, none on success.
std::vector<std::string> FillConfigFolder(const std::filesystem::path& folder,
                                          const std::filesystem::path& sharedFolder);

// Makes the user's configuration folder the configuration folder of paths and
// fills it from the shared lists. Gives the error texts, as FillConfigFolder;
// when the environment names no folder, the configuration folder stays.
std::vector<std::string> UseUserConfigFolder(StartupPaths& paths);

} // namespace kiv
