#include "SlotPlacement.h"

#include "SessionText.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kiv {
namespace {

// Ordinal order of texts: the first differing byte decides, as an unsigned
// value (accented letters order after "z"); a proper beginning orders first.
bool OrdinalLess(std::string_view a, std::string_view b) noexcept
{
    const std::size_t common = std::min(a.size(), b.size());
    const int c = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
    return c != 0 ? c < 0 : a.size() < b.size();
}

} // namespace

std::vector<int> SlotColumns(std::string_view loginTime, const std::vector<std::string>& headerRow)
{
    std::vector<int> columns;
    const int n = static_cast<int>(headerRow.size());
    if (n == 0)
        return columns;
    if (n == 1) {
        columns.push_back(0);
        return columns;
    }
    const auto header = [&headerRow](int c) -> std::string_view { return headerRow[static_cast<std::size_t>(c)]; };
    if (OrdinalLess(loginTime, header(1)))
        columns.push_back(0);
    for (int c = 1; c <= n - 2; ++c)
        if (!OrdinalLess(loginTime, header(c)) && OrdinalLess(loginTime, header(c + 1)))
            columns.push_back(c);
    if (!OrdinalLess(loginTime, header(n - 1)))
        columns.push_back(n - 1);
    return columns;
}

SlotTable::SlotTable(std::vector<std::string> headerRow)
    : headers_(std::move(headerRow)), cells_(headers_.size())
{
}

std::vector<int> SlotTable::Place(const SessionEntry& entry)
{
    std::vector<int> columns = SlotColumns(entry.LoginTime, headers_);
    if (!columns.empty()) {
        const std::string text = SlotEntry(entry);
        for (int c : columns)
            cells_[static_cast<std::size_t>(c)] += text;
    }
    return columns;
}

const std::string& SlotTable::Cell(int c) const noexcept
{
    static const std::string empty;
    if (c < 0 || c >= ColumnCount())
        return empty;
    return cells_[static_cast<std::size_t>(c)];
}

void SlotTable::Clear() noexcept
{
    for (std::string& cell : cells_)
        cell.clear();
}

} // namespace kiv
