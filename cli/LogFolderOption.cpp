#include "LogFolderOption.h"

#include "FileIo.h"
#include "LogFolderSetting.h"
#include "LogMask.h"

namespace kiv::cli {

std::filesystem::path LogFolderPath(const CliOptions& options)
{
    if (options.logs)
        return PathFromBytes(*options.logs);
    // The folder chosen in the window, when the command reads that window's lists.
    if (options.config)
        if (auto remembered = ReadLogFolderSetting(PathFromBytes(*options.config)))
            return *remembered;
    return PathFromBytes(DefaultLogFolder());
}

std::vector<std::filesystem::path> FilePaths(const std::vector<std::string>& found)
{
    std::vector<std::filesystem::path> paths;
    paths.reserve(found.size());
    for (const std::string& file : found)
        paths.push_back(PathFromBytes(file));
    return paths;
}

} // namespace kiv::cli
