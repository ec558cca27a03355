#include "app/window/NoticeSetting.h"

#include "logscan/FileIo.h"
#include "logscan/KivError.h"
#include "logscan/LogFolderSetting.h"

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace kiv {
namespace {

constexpr std::string_view kNoticeKey = "avis=";
constexpr std::string_view kCountOnly = "nombre";

// The file's lines without their ends; none when it does not exist. Throws
// when it exists but cannot be read, so that a write never drops its lines.
std::vector<std::string> SettingLines(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        return {};
    ByteBuffer bytes;
    if (!ReadFileBytes(file, bytes, ReadSharing::WithoutWriters))
        throw KivError(CannotOpenMessage(PathForMessage(file)));
    std::vector<std::string> lines;
    std::string_view rest = bytes.View();
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.emplace_back(line);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return lines;
}

} // namespace

bool ReadCountOnlyNotices(const std::filesystem::path& configFolder)
{
    try {
        for (const std::string& line : SettingLines(configFolder / kSettingsFileName))
            if (line.starts_with(kNoticeKey))
                return std::string_view(line).substr(kNoticeKey.size()) == kCountOnly;
    } catch (const KivError&) {
    }
    return false;
}

void WriteCountOnlyNotices(const std::filesystem::path& configFolder, bool countOnly)
{
    const std::filesystem::path file = configFolder / kSettingsFileName;
    std::string text;
    for (const std::string& line : SettingLines(file))
        if (!line.starts_with(kNoticeKey))
            text += line + "\n";
    text += std::string(kNoticeKey) + (countOnly ? std::string(kCountOnly) : std::string("complet")) + "\n";
    if (!WriteFileBytes(file, text))
        throw KivError(CannotCreateMessage(PathForMessage(file)));
}

} // namespace kiv
