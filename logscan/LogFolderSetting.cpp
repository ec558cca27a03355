#include "logscan/LogFolderSetting.h"

#include "logscan/FileIo.h"
#include "logscan/KivError.h"

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace kiv {
namespace {

constexpr std::string_view kLogsKey = "logs";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// A settings file holds a line or two; a larger one is no settings file of
// ours (or a damaged one), and reading it whole could take all the memory.
constexpr std::size_t kMostSettingsBytes = 16 * 1024;

struct SettingsText {
    std::vector<std::string> lines; // without their line ends (LF or CR LF)
    bool whole = true;              // false: only its first kMostSettingsBytes were read
};

// The file's lines; none when the file does not exist. Of a file too large,
// the whole lines of its beginning.
SettingsText ReadSettings(const std::filesystem::path& file)
{
    SettingsText text;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        return text;
    ByteBuffer bytes;
    const bool read = ReadFileInPieces(file, bytes, kMostSettingsBytes, [&](ByteBuffer&, bool atEnd) {
        text.whole = atEnd;
        return false;
    });
    if (!read)
        throw KivError(CannotOpenMessage(PathForMessage(file)));
    std::string_view rest = bytes.View();
    // Written by a Windows editor, the file may begin with a byte order mark.
    if (rest.starts_with(kUtf8Mark))
        rest.remove_prefix(kUtf8Mark.size());
    if (!text.whole)
        rest = rest.substr(0, rest.rfind('\n') + 1); // a line cut by the limit is no setting
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        text.lines.emplace_back(line);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return text;
}

} // namespace

std::optional<std::string> ReadSetting(const std::filesystem::path& configFolder, std::string_view key)
{
    for (const std::string& line : ReadSettings(configFolder / kSettingsFileName).lines)
        if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == '=')
            return line.substr(key.size() + 1);
    return std::nullopt;
}

void WriteSetting(const std::filesystem::path& configFolder, std::string_view key, std::string_view value)
{
    const std::filesystem::path file = configFolder / kSettingsFileName;
    const SettingsText old = ReadSettings(file);
    // Rewriting only the beginning of a file too large would lose its end.
    if (!old.whole)
        throw KivError(TooLargeMessage(PathForMessage(file)));
    std::string text = std::string(key) + '=' + std::string(value) + "\n";
    for (const std::string& line : old.lines)
        if (!(line.starts_with(key) && line.size() > key.size() && line[key.size()] == '='))
            text += line + "\n";
    if (!WriteFileBytes(file, text))
        throw KivError(CannotCreateMessage(PathForMessage(file)));
}

std::optional<std::filesystem::path> ReadLogFolderSetting(const std::filesystem::path& configFolder)
{
    const std::optional<std::string> value = ReadSetting(configFolder, kLogsKey);
    if (!value || value->empty())
        return std::nullopt;
    // A relative folder is the file's neighbour, whatever folder the program
    // was started in: the configuration travels with its logs.
    const std::filesystem::path folder = PathFromBytes(*value);
    return folder.is_absolute() ? folder : configFolder / folder;
}

void WriteLogFolderSetting(const std::filesystem::path& configFolder, const std::filesystem::path& logFolder)
{
    WriteSetting(configFolder, kLogsKey, PathBytes(logFolder));
}

} // namespace kiv
