#pragma once
// The log folder of a scan: the files of one name pattern in it, in the order
// the school's file server lists them. A folder that is missing or is not a
// folder (a share that is not mounted) is an error, not an empty day.

#include "logscan/FileIo.h" // PathForMessage

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

// namePattern: the name part of a mask ("*050206.txt", "*r050206.*").
LogFolderListing ListLogFiles(const std::filesystem::path& folder, std::string_view namePattern);

// PathForMessage (FileIo.h): a path as messages show it, converted from the
// system's encoding to Windows-1252, "?" for what it cannot hold.

} // namespace kiv
