#pragma once
// Which time-slot columns of the occupation table receive a session: the
// columns whose teaching hour the login time falls in. Times and headers are
// compared as text, byte by byte, never read as numbers, so headers only order
// correctly in the two-digit form of the login times ("08h25", not "8h25").

#include "SessionEntry.h"

#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// The columns, in increasing order, that receive a login at loginTime under
// the header row H(0)..H(n-1):
//  - column 0 when loginTime < H(1);
//  - column c, 1 <= c <= n-2, when H(c) <= loginTime < H(c+1);
//  - the last column n-1 for every login from H(n-1) on.
// Each test is made on its own: headers out of order can put a login in
// several columns or in none. A single column receives every login.
std::vector<int> SlotColumns(std::string_view loginTime, const std::vector<std::string>& headerRow);

// The slot cells of the table's session row, filled without any widget: the
// command line builds its output from it and the tests check placement on it.
class SlotTable {
public:
    explicit SlotTable(std::vector<std::string> headerRow);

    const std::vector<std::string>& HeaderRow() const noexcept { return headers_; }
    int ColumnCount() const noexcept { return static_cast<int>(cells_.size()); }

    // Appends the session's SlotEntry to the cell of every column it falls in.
    // Returns those columns.
    std::vector<int> Place(const SessionEntry& entry);

    // The text of the cell of column c; empty text outside the columns.
    const std::string& Cell(int c) const noexcept;

    // Empties every cell; the headers stay.
    void Clear() noexcept;

private:
    std::vector<std::string> headers_;
    std::vector<std::string> cells_;
};

} // namespace kiv
