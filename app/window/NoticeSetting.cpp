#include "app/window/NoticeSetting.h"

#include "logscan/KivError.h"
#include "logscan/LogFolderSetting.h"

#include <string_view>

namespace kiv {
namespace {

constexpr std::string_view kNoticeKey = "avis";
constexpr std::string_view kCountOnly = "nombre";

} // namespace

bool ReadCountOnlyNotices(const std::filesystem::path& configFolder)
{
    try {
        return ReadSetting(configFolder, kNoticeKey) == kCountOnly;
    } catch (const KivError&) {
        return false;
    }
}

void WriteCountOnlyNotices(const std::filesystem::path& configFolder, bool countOnly)
{
    WriteSetting(configFolder, kNoticeKey, countOnly ? kCountOnly : std::string_view("complet"));
}

} // namespace kiv
