#include "app/results/SaveTarget.h"

#include "logscan/FileIo.h"
#include "logscan/KivError.h"

namespace kiv {

void RefuseSavingOverProgramFile(const std::filesystem::path& target, const ProgramFiles& files)
{
    if (IsProgramInput(target, files))
        throw KivError("Impossible d'enregistrer les r\xE9sultats dans " + PathForMessage(target)
                       + " : Kiv Logs lit ce fichier");
}

} // namespace kiv
