#include "jobs/LogFolder.h"

#include "FileFind/TFileSearch.h"
#include "common/SystemPath.h"
#include "logscan/LogMask.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kiv {
namespace {

// A share that is not mounted leaves an empty folder or none at all; a folder
// the program may not list looks empty to the finder. Either must be told
// apart from a day without logs.
bool CanListFolder(const std::filesystem::path& folder)
{
#ifdef _WIN32
    // Asked of the system directly, which takes folders longer than MAX_PATH.
    const DWORD attributes = GetFileAttributesW(SystemPath(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileExW(SystemPath(folder / L"*").c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND; // the empty root of a drive
    FindClose(find);
    return true;
#else
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        return false;
    const std::filesystem::directory_iterator first(folder, ec);
    return !ec;
#endif
}

std::string TwoDigits(int value)
{
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

std::string DayText(LogDate date)
{
    return "le " + TwoDigits(date.day) + "/" + TwoDigits(date.month) + "/" + std::to_string(date.year);
}

} // namespace

std::string CannotOpenFolderMessage(const std::filesystem::path& folder)
{
    return "Impossible d'ouvrir le dossier " + PathForMessage(folder);
}

std::string NoKeywordLogMessage(const std::filesystem::path& folder, LogDate date, SearchScope scope)
{
    std::string when;
    switch (scope) {
    case SearchScope::Jour:
        when = " pour " + DayText(date);
        break;
    case SearchScope::Mois:
        when = " pour " + TwoDigits(date.month) + "/" + std::to_string(date.year);
        break;
    case SearchScope::Tout:
        break;
    }
    return "aucun fichier de log" + when + " dans " + PathForMessage(folder);
}

std::string NoConnectionLogMessage(const std::filesystem::path& folder, LogDate date)
{
    return "aucun fichier de connexion pour " + DayText(date) + " dans " + PathForMessage(folder);
}

LogFolderListing ListLogFiles(const std::filesystem::path& folder, std::string_view namePattern)
{
    LogFolderListing listing;
    if (!CanListFolder(folder.empty() ? std::filesystem::path(".") : folder)) {
        listing.error = CannotOpenFolderMessage(folder);
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
