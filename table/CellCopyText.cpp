#include "table/CellCopyText.h"

#include "table/CellTextLines.h"

#include <algorithm>
#include <vector>

namespace kiv {
namespace {

std::vector<std::string> EntryLines(std::string_view text)
{
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    const bool startsWithBreak = text.front() == '\r';
    for (int count = CellLineCount(text, true); count > 0; --count) {
        std::string line(NextCellLine(text, true));
        std::replace(line.begin(), line.end(), '\t', ' ');
        std::replace(line.begin(), line.end(), '\n', ' ');
        lines.push_back(std::move(line));
    }
    if (startsWithBreak)
        lines.erase(lines.begin());
    return lines;
}

} // namespace

std::string CellCopyText(const CellStore& cells, const GridRect& selection)
{
    std::string text;
    for (int row = selection.top; row <= selection.bottom; ++row) {
        std::vector<std::vector<std::string>> columns;
        std::size_t height = 1;
        for (int col = selection.left; col <= selection.right; ++col) {
            columns.push_back(EntryLines(cells.CellView(col, row)));
            height = std::max(height, columns.back().size());
        }
        for (std::size_t line = 0; line < height; ++line) {
            for (std::size_t c = 0; c < columns.size(); ++c) {
                if (c > 0)
                    text += '\t';
                if (line < columns[c].size())
                    text += columns[c][line];
            }
            text += '\n';
        }
    }
    return text;
}

} // namespace kiv
