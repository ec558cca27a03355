#include "LogFolder.h"

#include "LogMask.h"
#include "TFileSearch.h"

#include <system_error>

namespace kiv {
namespace {

// A share that is not mounted leaves an empty folder or none at all; a folder
// the program may not list looks empty to the finder. Either must be told
// apart from a day without logs.
bool CanListFolder(const std::filesystem::path& folder)
{
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        return false;
    const std::filesystem::directory_iterator first(folder, ec);
    return !ec;
}

} // namespace

LogFolderListing ListLogFiles(const std::filesystem::path& folder, std::string_view namePattern)
{
    LogFolderListing listing;
    if (!CanListFolder(folder.empty() ? std::filesystem::path(".") : folder)) {
        listing.error = std::string("Impossible d'ouvrir le dossier ") + PathForMessage(folder);
        return listing;
    }
    TFileSearch finder;
    finder.SetRecurseSubFolders(false);
    finder.SetSearchFile(LogFolderPrefix(PathBytes(folder)) + std::string(namePattern));
    finder.Execute();
    listing.files = finder.FilesFound();
    return listing;
}

} // namespace kiv
