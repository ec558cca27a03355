#include "cli/ConfigFolderOption.h"

#include "jobs/ConfigFolder.h"
#include "logscan/FileIo.h"

#include <system_error>

namespace kiv::cli {

std::vector<std::string> SettleConfigFolder(CliOptions& options, const std::filesystem::path& exeFolder)
{
    if (options.config && options.userConfig)
        throw UsageError("les options --config et --user-config s'excluent");
    std::error_code ec;
    // A misspelt --config in a scheduled task would otherwise scan with the
    // built-in words and slots, and nobody would notice.
    if (options.config && !std::filesystem::is_directory(PathFromBytes(*options.config), ec))
        throw UsageError("dossier de configuration introuvable : " + *options.config);
    if (options.userConfig && UserConfigFolder().empty())
        throw UsageError("dossier de configuration introuvable : ni XDG_CONFIG_HOME ni HOME ne sont d\xC3\xA9" "finis");

    std::optional<std::filesystem::path> given;
    if (options.config)
        given = PathFromBytes(*options.config);
    std::filesystem::path current = std::filesystem::current_path(ec);
    if (ec)
        current = ".";
    ConfigFolderChoice choice = ChooseConfigFolder(given, options.userConfig, current, exeFolder);
    options.config = PathBytes(choice.folder);
    return std::move(choice.errors);
}

} // namespace kiv::cli
