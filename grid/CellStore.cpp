#include "CellStore.h"

#include "KivError.h"

namespace kiv {
namespace {

void CheckIndex(int index)
{
    if (index < 0)
        throw KivError(ListIndexMessage(index));
}

} // namespace

std::string CellStore::CellText(int col, int row) const
{
    CheckIndex(row);
    const auto rowIt = rows_.find(row);
    if (rowIt == rows_.end())
        return {};
    CheckIndex(col);
    const auto cellIt = rowIt->second.find(col);
    return cellIt == rowIt->second.end() ? std::string() : cellIt->second;
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
        if (rowIt == rows_.end())
            return;
        rowIt->second.erase(col);
        if (rowIt->second.empty())
            rows_.erase(rowIt);
        return;
    }
    rows_[row][col] = std::move(text);
}

void CellStore::AppendCellText(int col, int row, std::string_view text)
{
    CheckIndex(row);
    CheckIndex(col);
    if (text.empty())
        return;
    rows_[row][col].append(text);
}

std::size_t CellStore::StoredCellCount() const noexcept
{
    std::size_t count = 0;
    for (const auto& [row, cells] : rows_)
        count += cells.size();
    return count;
}

} // namespace kiv
