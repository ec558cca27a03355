#include "app/window/UserConfigFolder.h"

#include <system_error>

namespace kiv {

std::filesystem::path StartupWordFile(const StartupPaths& paths)
{
    std::error_code error;
    const std::filesystem::path besideProgram = paths.exeFolder / "kiv.ini";
    if (!std::filesystem::is_regular_file(besideProgram, error)
        && std::filesystem::is_directory(SharedListFolder(paths.exeFolder), error))
        return paths.configFolder / "kiv.ini";
    return besideProgram;
}

std::vector<std::string> UseUserConfigFolder(StartupPaths& paths)
{
    ConfigFolderChoice choice = ChooseConfigFolder(std::nullopt, true, paths.configFolder, paths.exeFolder);
    paths.configFolder = choice.folder;
    return std::move(choice.errors);
}

} // namespace kiv
