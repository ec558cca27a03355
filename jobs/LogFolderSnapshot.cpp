#include "jobs/LogFolderSnapshot.h"

#include "FileFind/NameMask.h"

namespace kiv {

LogFolderSnapshot::LogFolderSnapshot(const std::filesystem::path& folder) : all_(ListLogFiles(folder, "*")) {}

std::vector<std::string> LogFolderSnapshot::Files(std::string_view namePattern) const
{
    std::vector<std::string> files;
    for (const std::string& path : all_.files) {
        const std::size_t separator = path.find_last_of("/\\");
        const std::string_view name =
            std::string_view(path).substr(separator == std::string::npos ? 0 : separator + 1);
        if (NameMatchesMask(namePattern, name))
            files.push_back(path);
    }
    return files;
}

} // namespace kiv
