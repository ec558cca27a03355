#include "LogFiles.h"

#include "TFileSearch.h"

namespace kiv::cli {

std::vector<std::string> FindLogFiles(const std::string& mask)
{
    TFileSearch finder;
    finder.SetRecurseSubFolders(false);
    finder.SetSearchFile(mask);
    finder.Execute();
    return finder.FilesFound();
}

} // namespace kiv::cli
