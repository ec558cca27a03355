#include "app/results/SaveTarget.h"

#include "logscan/FileIo.h"
#include "logscan/KivError.h"

#include <system_error>

namespace kiv {
namespace {

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

} // namespace

void RefuseSavingOverProgramFile(const std::filesystem::path& target, const ProgramFiles& files)
{
    std::error_code ec;
    // A file that does not exist yet is read by no one; a folder is refused
    // later, as a file that cannot be created.
    if (!std::filesystem::is_regular_file(target, ec))
        return;
    bool read = SameFile(std::filesystem::absolute(target, ec).parent_path(), files.logFolder)
                || SameFile(std::filesystem::canonical(target, ec).parent_path(), files.logFolder);
    for (const std::filesystem::path& list : files.lists)
        read = read || SameFile(target, list);
    if (read)
        throw KivError("Impossible d'enregistrer les r\xE9sultats dans " + PathForMessage(target)
                       + " : Kiv Logs lit ce fichier");
}

} // namespace kiv
