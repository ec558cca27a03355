#include "CellTextLines.h"

#include <algorithm>

namespace kiv {

std::string NextCellLine(std::string& text, bool multiLine)
{
    const std::size_t cr = text.find('\r');
    if (cr == std::string::npos) {
        std::string line = std::move(text);
        text.clear();
        return line;
    }
    std::string line = text.substr(0, cr);
    if (!multiLine) {
        text.clear();
        return line;
    }
    std::size_t rest = cr + 1;
    if (rest < text.size() && text[rest] == '\n')
        ++rest;
    text.erase(0, rest);
    return line;
}

int CellLineCount(std::string_view text, bool multiLine)
{
    if (!multiLine)
        return 1;
    return 1 + static_cast<int>(std::count(text.begin(), text.end(), '\r'));
}

} // namespace kiv
