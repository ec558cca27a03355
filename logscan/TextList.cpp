#include "TextList.h"

#include "FileIo.h"
#include "KivError.h"

#include <cstring>

namespace kiv {

TextList SplitTextList(std::string_view content)
{
    if (const void* nul = std::memchr(content.data(), '\0', content.size()))
        content = content.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - content.data()));

    TextList lines;
    std::size_t start = 0;
    const std::size_t n = content.size();
    while (start < n) {
        std::size_t end = start;
        while (end < n && content[end] != '\r' && content[end] != '\n')
            ++end;
        lines.emplace_back(content.substr(start, end - start));
        if (end < n && content[end] == '\r' && end + 1 < n && content[end + 1] == '\n')
            end += 2;
        else
            end += 1;
        start = end;
    }
    return lines;
}

std::string JoinTextList(const TextList& lines)
{
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i != 0)
            joined += "\r\n";
        joined += lines[i];
    }
    return joined;
}

TextList LoadTextListFile(const std::filesystem::path& path, std::string_view shownName)
{
    ByteBuffer bytes;
    if (!ReadFileBytes(path, bytes, ReadSharing::WithoutWriters))
        throw KivError(CannotOpenMessage(shownName));
    return SplitTextList(bytes.View());
}

void SaveTextFile(const std::filesystem::path& path, std::string_view bytes, std::string_view shownName)
{
    if (!WriteFileBytes(path, bytes))
        throw KivError(CannotCreateMessage(shownName));
}

} // namespace kiv
