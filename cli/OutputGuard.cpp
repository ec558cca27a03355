#include "cli/OutputGuard.h"

#include "cli/CliOptions.h"
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
    for (const char* name : {"kiv.ini", "kiv_salles.txt", "kiv_heures.txt"})
        lists.push_back(folder / name);
    return lists;
}

void RefuseOutputOverScan(const CliOptions& options, const std::vector<std::string>& logFiles,
                          std::vector<std::filesystem::path> otherInputs)
{
    if (!options.output)
        return;
    std::vector<std::filesystem::path> inputs = NamedListFiles(options);
    inputs.insert(inputs.end(), otherInputs.begin(), otherInputs.end());
    for (const std::string& file : logFiles)
        inputs.push_back(PathFromBytes(file));
    RefuseOutputOverInput(*options.output, inputs);
}

void RefuseOutputOverInput(const std::string& output, const std::vector<std::filesystem::path>& inputs)
{
    const std::filesystem::path target = PathFromBytes(output);
    std::error_code ec;
    if (!std::filesystem::exists(target, ec))
        return; // a file that does not exist yet is read by no one
    for (const std::filesystem::path& input : inputs) {
        if (std::filesystem::equivalent(target, input, ec))
            throw UsageError("--output d\xC3\xA9signe un fichier que la commande lit : " + output);
    }
}

} // namespace kiv::cli
