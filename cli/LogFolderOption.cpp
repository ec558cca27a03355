#include "cli/LogFolderOption.h"

#include "logscan/FileIo.h"
#include "logscan/LogFolderSetting.h"
#include "logscan/LogMask.h"

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

} // namespace kiv::cli
