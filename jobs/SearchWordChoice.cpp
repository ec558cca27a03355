#include "jobs/SearchWordChoice.h"

#include "logscan/DefaultWords.h"
#include "logscan/FileIo.h"

#include <system_error>

namespace kiv {
namespace {

bool Exists(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

} // namespace

std::optional<std::filesystem::path> SearchWordFile(const SearchWordSources& sources)
{
    if (!sources.typed.empty())
        return std::nullopt;
    if (sources.wordFile)
        return sources.wordFile;
    if (sources.configFolder && Exists(*sources.configFolder / "kiv.ini"))
        return *sources.configFolder / "kiv.ini";
    if (Exists(sources.programFolder / "kiv.ini"))
        return sources.programFolder / "kiv.ini";
    return std::nullopt;
}

TextList ChooseSearchWords(const SearchWordSources& sources)
{
    if (!sources.typed.empty())
        return sources.typed;
    const auto file = SearchWordFile(sources);
    if (!file)
        return BuiltInWatchedWords();
    // The configuration's list is named as the window names it; any other
    // file by its whole path.
    const bool configured = sources.configFolder && *file == *sources.configFolder / "kiv.ini";
    return LoadTextListFile(*file, configured ? std::string("kiv.ini") : PathForMessage(*file));
}

} // namespace kiv
