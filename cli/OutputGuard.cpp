#include "cli/OutputGuard.h"

#include "cli/CliOptions.h"
#include "cli/LogFolderOption.h"
#include "jobs/ProgramInputs.h"
#include "logscan/FileIo.h"

#include <system_error>

namespace kiv::cli {

std::vector<std::filesystem::path> NamedListFiles(const CliOptions& options)
{
    std::vector<std::filesystem::path> lists;
    if (options.wordsFile)
        lists.push_back(PathFromBytes(*options.wordsFile));
    if (options.slotsFile)
        lists.push_back(PathFromBytes(*options.slotsFile));
    std::error_code ec;
    const std::filesystem::path folder = options.config ? PathFromBytes(*options.config) : std::filesystem::current_path(ec);
    for (const char* name : {"kiv.ini", "kiv_salles.txt", "kiv_heures.txt", "kivlogs.conf"})
        lists.push_back(folder / name);
    return lists;
}

void RefuseOutputOverScan(const CliOptions& options, const std::vector<std::string>& logFiles,
                          std::vector<std::filesystem::path> otherInputs)
{
    if (!options.output)
        return;
    ProgramInputs inputs{NamedListFiles(options), LogFolderPath(options)};
    inputs.lists.insert(inputs.lists.end(), otherInputs.begin(), otherInputs.end());
    // The logs the scan lists are in the log folder, unless a link leads elsewhere.
    for (const std::string& file : logFiles)
        inputs.lists.push_back(PathFromBytes(file));
    if (IsProgramInput(PathFromBytes(*options.output), inputs))
        throw UsageError("--output d\xC3\xA9signe un fichier que la commande lit : " + *options.output);
}

} // namespace kiv::cli
