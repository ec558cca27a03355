#pragma once
// Where the window reads the school's logs: the folder given with --logs, else
// the one a member of staff chose and the program remembered (kivlogs.conf of
// the configuration folder), else the server's share. When that folder is
// missing, as on a computer where the share is mounted elsewhere, the window
// offers to choose it instead of failing at every search.

#include "app/window/StartupPaths.h"

#include <QWidget>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QDialog;

namespace kiv {

// Replaces the log folder of paths with the remembered one, unless it was
// given on the command line. The errors to show (a settings file that cannot
// be read), in Windows-1252.
std::vector<std::string> UseRememberedLogFolder(StartupPaths& paths, bool givenOnCommandLine);

// A scan's errors as the window shows them: a log folder that cannot be
// opened (a share not mounted here, the question at start answered "Non") is
// followed by where to choose another, "Dossier des logs...".
std::vector<std::string> WithLogFolderHint(std::vector<std::string> errors, const std::filesystem::path& logFolder);

// The question "Le dossier des logs ... est introuvable. Choisir le dossier
// des logs ?", then, on Yes, the folder dialog. runModal shows each dialog.
std::optional<std::filesystem::path> OfferLogFolderChoice(QWidget* parent, const std::filesystem::path& missing,
                                                          const std::function<int(QDialog&)>& runModal);

// The folder dialog, opened on the current folder (or its nearest existing
// parent); none when cancelled.
std::optional<std::filesystem::path> ChooseLogFolder(QWidget* parent, const std::filesystem::path& current,
                                                     const std::function<int(QDialog&)>& runModal);

} // namespace kiv
