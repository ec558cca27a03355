#include "table/CellStore.h"

#include "logscan/KivError.h"

namespace kiv {
namespace {

void CheckIndex(int index)
{
    if (index < 0)
        throw KivError(ListIndexMessage(index));
}

} // namespace

const std::string& CellStore::CellText(int col, int row) const
{
    static const std::string empty;
    CheckIndex(row);
    const auto rowIt = rows_.find(row);
    if (rowIt == rows_.end())
        return empty;
    CheckIndex(col);
    const auto cellIt = rowIt->second.find(col);
    return cellIt == rowIt->second.end() ? empty : cellIt->second;
}

std::string_view CellStore::CellView(int col, int row) const noexcept
{
    const auto rowIt = rows_.find(row);
    if (rowIt == rows_.end())
        return {};
    const auto cellIt = rowIt->second.find(col);
    return cellIt == rowIt->second.end() ? std::string_view() : std::string_view(cellIt->second);
}

void CellStore::SetCellText(int col, int row, std::string text)
{
    CheckIndex(row);
    CheckIndex(col);
    if (text.empty()) {
        const auto rowIt = rows_.find(row);
        if (rowIt == rows_.end() || rowIt->second.count(col) == 0)
            return;
        WillChange(col, row, false, text);
        // Looked up again: the one told may have written other cells.
        const auto again = rows_.find(row);
        if (again == rows_.end())
            return;
        again->second.erase(col);
        if (again->second.empty())
            rows_.erase(again);
        return;
    }
    WillChange(col, row, false, text);
    rows_[row][col] = std::move(text);
}

void CellStore::AppendCellText(int col, int row, std::string_view text)
{
    CheckIndex(row);
    CheckIndex(col);
    if (text.empty())
        return;
    WillChange(col, row, true, text);
    rows_[row][col].append(text);
}

void CellStore::WillChange(int col, int row, bool append, std::string_view text) const
{
    if (onChange_)
        onChange_(CellChange{col, row, append, text});
}

std::size_t CellStore::StoredCellCount() const noexcept
{
    std::size_t count = 0;
    for (const auto& [row, cells] : rows_)
        count += cells.size();
    return count;
}

} // namespace kiv
