#pragma once
// The teaching hours' slots: the headers they start with, how a header holds
// two lines, and which slots a login falls in, the one rule that the day's
// table, the period's count and the command line's columns all follow. The times and
// the slot headers are compared byte by byte as texts, never read as numbers,
// so that "10h30" orders before "9h20" as on the school's first tool.

#include "logscan/TextList.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// The number of slot columns of the room table.
inline constexpr int kSlotColumnCount = 8;

// The headers the table starts with, before any time-slot list is loaded:
// "8h25", "9h20", "10h30", "11h25", "12h35", "14h00", "15h00", "17h00".
TextList InitialSlotHeaders();

// Every backslash followed by the letter n becomes one carriage return, so
// that a header can hold two lines ("08h25\nM1").
std::string ExpandHeaderBreaks(std::string_view text);

// A header cell written on one line, as files and scripts take it: each of its
// carriage returns written back as a backslash and the letter n.
std::string HeaderOnOneLine(std::string_view header);

// Ordinal order of texts: the first differing byte decides, as an unsigned
// value (accented letters order after "z"); a proper beginning orders first.
bool OrdinalLess(std::string_view a, std::string_view b) noexcept;

// The columns, in increasing order, whose slot a login at loginTime falls in
// among columnCount columns whose header texts header(c) gives (H(c)):
//  - column 0 when loginTime < H(1);
//  - column c, 1 <= c <= columnCount - 2, when H(c) <= loginTime < H(c+1);
//  - the last column for every login from its header's time on.
// Each test stands on its own: headers out of order can put a login in
// several columns or in none. A single column receives every login.
template <class HeaderAt>
std::vector<int> SlotColumns(std::string_view loginTime, int columnCount, HeaderAt&& header)
{
    std::vector<int> columns;
    const int n = columnCount;
    if (n <= 0)
        return columns;
    if (n == 1) {
        columns.push_back(0);
        return columns;
    }
    if (OrdinalLess(loginTime, header(1)))
        columns.push_back(0);
    for (int c = 1; c <= n - 2; ++c)
        if (!OrdinalLess(loginTime, header(c)) && OrdinalLess(loginTime, header(c + 1)))
            columns.push_back(c);
    if (!OrdinalLess(loginTime, header(n - 1)))
        columns.push_back(n - 1);
    return columns;
}

// The same rule under a header row of kSlotColumnCount columns; a column past
// the row's end has an empty header.
std::vector<int> SlotColumns(std::string_view loginTime, const std::vector<std::string>& headerRow);

} // namespace kiv
