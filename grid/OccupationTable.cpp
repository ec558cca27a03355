#include "OccupationTable.h"

#include "SessionText.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kiv {
namespace {

// Ordinal order of texts: the first differing byte decides, as an unsigned
// value (accented letters order after "z"); a proper beginning orders first.
// Times are never read as numbers, so "10h30" orders before "9h20".
bool OrdinalLess(std::string_view a, std::string_view b) noexcept
{
    const std::size_t common = std::min(a.size(), b.size());
    const int c = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
    return c != 0 ? c < 0 : a.size() < b.size();
}

} // namespace

TextList InitialSlotHeaders()
{
    return {"8h25", "9h20", "10h30", "11h25", "12h35", "14h00", "15h00", "17h00"};
}

std::string ExpandHeaderBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\r';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string HeaderOnOneLine(std::string_view header)
{
    std::string shown;
    for (char c : header) {
        if (c == '\r')
            shown += "\\n";
        else
            shown += c;
    }
    return shown;
}

void OccupationTable::HeaderList::LoadFromFile(const std::filesystem::path& path, std::string_view shownName,
                                               std::size_t maxLines)
{
    // Read first: a file that cannot be read must leave the headers alone.
    TextList loaded = LoadTextListFile(path, shownName, maxLines);
    items_ = std::move(loaded);
    table_.CopyHeaders();
}

void OccupationTable::HeaderList::Assign(TextList items)
{
    items_ = std::move(items);
    table_.CopyHeaders();
}

OccupationTable::OccupationTable(CellStore& cells, int colCount, int fixedRows)
    : cells_(cells), colCount_(colCount), fixedRows_(fixedRows), headers_(*this)
{
}

void OccupationTable::SetShape(int colCount, int fixedRows) noexcept
{
    colCount_ = colCount;
    fixedRows_ = fixedRows;
}

void OccupationTable::SetColumnHeaders(const TextList& items)
{
    headers_.items_ = items;
    CopyHeaders();
    if (fixedRows_ <= 0)
        return;
    for (int col = 0; col < colCount_; ++col)
        cells_.SetCellText(col, 0, std::string());
    CopyHeaders();
}

void OccupationTable::CopyHeaders()
{
    if (fixedRows_ <= 0 || colCount_ <= 0)
        return;
    const TextList& items = headers_.items_;
    const std::size_t shown = std::min(items.size(), static_cast<std::size_t>(colCount_));
    for (std::size_t i = 0; i < shown; ++i)
        cells_.SetCellText(static_cast<int>(i), 0, ExpandHeaderBreaks(items[i]));
}

std::vector<int> OccupationTable::Columns(std::string_view loginTime) const
{
    std::vector<int> columns;
    const int n = colCount_;
    if (n <= 0)
        return columns;
    if (n == 1) {
        columns.push_back(0);
        return columns;
    }
    if (OrdinalLess(loginTime, Header(1)))
        columns.push_back(0);
    for (int c = 1; c <= n - 2; ++c)
        if (!OrdinalLess(loginTime, Header(c)) && OrdinalLess(loginTime, Header(c + 1)))
            columns.push_back(c);
    if (!OrdinalLess(loginTime, Header(n - 1)))
        columns.push_back(n - 1);
    return columns;
}

std::vector<int> OccupationTable::Place(const SessionEntry& entry)
{
    std::vector<int> columns = Columns(entry.LoginTime);
    if (!columns.empty()) {
        entry_.clear();
        AppendSlotEntry(entry, entry_);
        for (int c : columns)
            cells_.AppendCellText(c, kSessionRow, entry_);
    }
    return columns;
}

const std::string& OccupationTable::SessionCell(int col) const
{
    static const std::string empty;
    return col >= 0 && col < colCount_ ? cells_.CellText(col, kSessionRow) : empty;
}

void OccupationTable::ClearSessions()
{
    for (int col = 0; col < colCount_; ++col)
        cells_.SetCellText(col, kSessionRow, std::string());
}

} // namespace kiv
