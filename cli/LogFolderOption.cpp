#include "LogFolderOption.h"

#include "FileIo.h"
#include "LogMask.h"

namespace kiv::cli {

std::filesystem::path LogFolderPath(const CliOptions& options)
{
    return PathFromBytes(options.logs ? *options.logs : DefaultLogFolder());
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
