#pragma once
// The log folder of a scan: the files of one name pattern in it, in the order
// the school's file server lists them. A folder that is missing or is not a
// folder (a share that is not mounted) is an error, not an empty day.

#include "logscan/FileIo.h" // PathForMessage
#include "logscan/LogMask.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

struct LogFolderListing {
    std::vector<std::string> files; // full paths, as the finder gives them
    // "Impossible d'ouvrir le dossier %s" (Windows-1252) when the folder could
    // not be listed; files is then empty.
    std::optional<std::string> error;
};

// "Impossible d'ouvrir le dossier %s": the folder cannot be listed.
std::string CannotOpenFolderMessage(const std::filesystem::path& folder);

// namePattern: the name part of a mask ("*050206.txt", "*r050206.*").
LogFolderListing ListLogFiles(const std::filesystem::path& folder, std::string_view namePattern);

// A folder without one log of the day looks like a day without matches, and
// is more often the wrong folder: what the command line says then, in
// Windows-1252. "aucun fichier de log pour le 01/12/2026 dans %s" (of the
// month: "pour 12/2026"; of all: none), "aucun fichier de connexion pour le
// 01/12/2026 dans %s".
std::string NoKeywordLogMessage(const std::filesystem::path& folder, LogDate date, SearchScope scope);
std::string NoConnectionLogMessage(const std::filesystem::path& folder, LogDate date);

// PathForMessage (FileIo.h): a path as messages show it, converted from the
// system's encoding to Windows-1252, "?" for what it cannot hold.

} // namespace kiv
