#include "HeaderCopy.h"

#include "SlotHeaders.h"

#include <algorithm>
#include <vector>

namespace kiv {

void RunHeaderCopy(const TextList& headers, int colCount, int fixedRows, const HeaderCellWriter& write)
{
    if (fixedRows <= 0 || colCount <= 0)
        return;
    const std::size_t shown = std::min(headers.size(), static_cast<std::size_t>(colCount));
    std::vector<std::string> row(shown);
    CopyHeadersInto(row, headers);
    for (std::size_t i = 0; i < shown; ++i)
        write(static_cast<int>(i), row[i]);
}

void AssignColumnHeaders(ColumnHeaderList& list, const TextList& items, int colCount, int fixedRows,
                         const HeaderCellWriter& write)
{
    list.Assign(items);
    if (fixedRows <= 0)
        return;
    for (int col = 0; col < colCount; ++col)
        write(col, std::string());
    RunHeaderCopy(list.Items(), colCount, fixedRows, write);
}

} // namespace kiv
