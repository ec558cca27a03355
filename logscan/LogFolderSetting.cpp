#include "logscan/LogFolderSetting.h"

#include "logscan/FileIo.h"
#include "logscan/KivError.h"

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace kiv {
namespace {

constexpr std::string_view kLogsKey = "logs=";

// The file's lines without their line ends (LF or CR LF); none when the file
// does not exist.
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

std::optional<std::filesystem::path> ReadLogFolderSetting(const std::filesystem::path& configFolder)
{
    for (const std::string& line : SettingLines(configFolder / kSettingsFileName))
        if (line.starts_with(kLogsKey) && line.size() > kLogsKey.size())
            return PathFromBytes(std::string_view(line).substr(kLogsKey.size()));
    return std::nullopt;
}

void WriteLogFolderSetting(const std::filesystem::path& configFolder, const std::filesystem::path& logFolder)
{
    const std::filesystem::path file = configFolder / kSettingsFileName;
    std::string text = std::string(kLogsKey) + PathBytes(logFolder) + "\n";
    for (const std::string& line : SettingLines(file))
        if (!line.starts_with(kLogsKey))
            text += line + "\n";
    if (!WriteFileBytes(file, text))
        throw KivError(CannotCreateMessage(PathForMessage(file)));
}

} // namespace kiv
