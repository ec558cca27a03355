#include "LogFolderOption.h"

#include "FileIo.h"
#include "LogMask.h"

namespace kiv::cli {

std::filesystem::path LogFolderPath(const CliOptions& options)
{
    return PathFromBytes(options.logs ? *options.logs : DefaultLogFolder());
}

} // namespace kiv::cli
