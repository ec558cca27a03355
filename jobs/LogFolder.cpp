#include "LogFolder.h"

#include "Cp1252.h"
#include "LogMask.h"
#include "TFileSearch.h"

#include <system_error>

namespace kiv {

std::string PathForMessage(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return Utf8ToCp1252(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

LogFolderListing ListLogFiles(const std::filesystem::path& folder, std::string_view namePattern)
{
    LogFolderListing listing;
    std::error_code ec;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
        listing.error = std::string("Impossible d'ouvrir le dossier ") + PathForMessage(folder);
        return listing;
    }
    TFileSearch finder;
    finder.SetRecurseSubFolders(false);
    finder.SetSearchFile(LogFolderPrefix(folder.string()) + std::string(namePattern));
    finder.Execute();
    listing.files = finder.FilesFound();
    return listing;
}

} // namespace kiv
