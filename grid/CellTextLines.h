#pragma once
// The lines of a cell text. A carriage return starts a new line when the table
// draws or prints a cell; a line feed right after it belongs to the same break.

#include <string>
#include <string_view>

namespace kiv {

// Takes the first line off text: the part before the first CR, after which
// text keeps what follows that CR (a leading LF dropped). Without multiLine,
// or when text holds no CR, the whole of the rest is dropped.
std::string NextCellLine(std::string& text, bool multiLine);

// 1 without multiLine; otherwise 1 + the number of CRs in text.
int CellLineCount(std::string_view text, bool multiLine);

} // namespace kiv
