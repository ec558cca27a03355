#include "cli/LogFolderOption.h"

#include "cli/Diagnostics.h"
#include "logscan/FileIo.h"
#include "logscan/LogFolderSetting.h"
#include "logscan/LogMask.h"

namespace kiv::cli {

std::filesystem::path LogFolderPath(const CliOptions& options)
{
    if (options.logs)
        return PathFromBytes(*options.logs);
    // The folder chosen in the window, kept beside its lists.
    if (options.config)
        if (auto remembered = ReadLogFolderSetting(PathFromBytes(*options.config)))
            return *remembered;
    return PathFromBytes(DefaultLogFolder());
}

void TellAboutEmptyScan(const CliOptions& options, const ScanOutcome& outcome, const std::string& noLogMessage)
{
    if (outcome.filesFound != 0 || outcome.cancelled)
        return;
    if (outcome.allRead) {
        ReportError(noLogMessage, options.encoding);
    } else if (!options.logs) {
        // The share is not mounted here, or kivlogs.conf names an old folder.
        ReportError("Choisissez le dossier des logs avec --logs DOSSIER, ou avec --user-config celui que la "
                    "fen\xEAtre a retenu (\xAB Dossier des logs... \xBB)",
                    options.encoding);
    }
}

} // namespace kiv::cli
