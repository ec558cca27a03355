#pragma once
// The lines of a cell text. A carriage return starts a new line when the table
// draws or prints a cell; a line feed right after it belongs to the same break.
// Drawing and printing walk a cell through views, so that a slot cell holding
// a whole busy day of logins costs only the lines that fit on screen or paper.

#include <string>
#include <string_view>

namespace kiv {

// Takes the first line off text and returns it as a view into the same bytes:
// the part before the first CR, after which text keeps what follows that CR
// (a leading LF dropped). Without multiLine, or when text holds no CR, the
// whole of the rest is dropped. The view lives as long as the viewed bytes.
std::string_view NextCellLine(std::string_view& text, bool multiLine);

// The same on a text of its own: the line is copied out and removed from the
// front of text.
std::string NextCellLine(std::string& text, bool multiLine);

// 1 without multiLine; otherwise 1 + the number of CRs in text.
int CellLineCount(std::string_view text, bool multiLine);

// How a cell text is to be drawn. Only plain and formatted text can come from
// the room logs (a log field holding "</", "<B" or "<I").
enum CellTextKindValue : int {
    kPlainCellText = 0,
    kFormattedCellText = 1,
    kRichCellText = 2,
    kFormulaCellText = 3,
    kWideCellText = 5,
};

// The kind of a cell text, by its first characters: "=" a formula, "|\" wide
// characters, "{\" rich text; with htmlEnabled, formatted text when it holds
// "</", "<B" or "<I" anywhere (case counts); plain text otherwise.
int CellTextKind(std::string_view text, bool htmlEnabled);

} // namespace kiv
