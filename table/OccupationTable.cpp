#include "table/OccupationTable.h"

#include "logscan/SessionText.h"

#include <utility>

namespace kiv {

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
    return SlotColumns(loginTime, colCount_, [this](int col) -> std::string_view { return Header(col); });
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
