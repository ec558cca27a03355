#pragma once
// How the header list reaches the header row (row 0) of a grid: the same rule
// for the window's table and for any grid built on the cell store.

#include "ColumnHeaderList.h"
#include "TextList.h"

#include <functional>
#include <string>

namespace kiv {

// Writes the text of the header cell in column col of row 0.
using HeaderCellWriter = std::function<void(int col, const std::string& text)>;

// The header copy, run on every change of the header list: nothing without a
// fixed row; otherwise entry i, its "\n" pairs turned into line breaks, goes to
// column i for every i below colCount. Entries past the last column are
// ignored and columns past the last entry keep their text.
void RunHeaderCopy(const TextList& headers, int colCount, int fixedRows, const HeaderCellWriter& write);

// Assigning a whole list: the list takes a copy of items (its change report
// runs the copy once), then, with a fixed row, header cells 0 to colCount - 1
// are emptied and the copy runs again, so no header of the former list stays.
void AssignColumnHeaders(ColumnHeaderList& list, const TextList& items, int colCount, int fixedRows,
                         const HeaderCellWriter& write);

} // namespace kiv
