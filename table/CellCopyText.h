#pragma once
// The selected cells of the table as a spreadsheet pastes them: text lines of
// cells separated by TABs. A slot cell holds one login per line, so each line
// of a cell becomes a line of its own: the n-th line of a grid row holds the
// n-th entry of every selected column side by side, and a grid row gives as
// many lines as its fullest cell has entries (at least one). The empty first
// line that a slot cell starts with (each entry begins with a carriage
// return) is left out. A TAB or line feed inside an entry becomes a space, so
// that it cannot shift the columns.

#include "table/CellAppearance.h"
#include "table/CellStore.h"

#include <string>

namespace kiv {

// Windows-1252 bytes, each line ended by "\n".
std::string CellCopyText(const CellStore& cells, const GridRect& selection);

} // namespace kiv
