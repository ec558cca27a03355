#include "table/CellTextLines.h"

#include "logscan/LineBreaks.h"

namespace kiv {

std::string_view NextCellLine(std::string_view& text, bool multiLine)
{
    const std::size_t cr = FindCellBreak(text);
    if (cr == text.size()) {
        const std::string_view line = text;
        text = {};
        return line;
    }
    const std::string_view line = text.substr(0, cr);
    if (!multiLine) {
        text = {};
        return line;
    }
    text.remove_prefix(AfterCellBreak(text, cr));
    return line;
}

std::string NextCellLine(std::string& text, bool multiLine)
{
    std::string_view rest = text;
    std::string line(NextCellLine(rest, multiLine));
    text.erase(0, text.size() - rest.size());
    return line;
}

int CellLineCount(std::string_view text, bool multiLine)
{
    if (!multiLine)
        return 1;
    return 1 + static_cast<int>(CountCellBreaks(text));
}

int CellTextKind(std::string_view text, bool htmlEnabled)
{
    // The text is looked at with one blank after it, so that a lone "=" still
    // reads as a formula and an empty text is plain.
    if (text.empty())
        return kPlainCellText;
    const auto startsWith = [text](std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; };
    if (startsWith("="))
        return kFormulaCellText;
    if (startsWith("|\\"))
        return kWideCellText;
    if (startsWith("{\\"))
        return kRichCellText;
    if (htmlEnabled) {
        for (std::string_view tag : {"</", "<B", "<I"})
            if (text.find(tag) != std::string_view::npos)
                return kFormattedCellText;
    }
    return kPlainCellText;
}

} // namespace kiv
