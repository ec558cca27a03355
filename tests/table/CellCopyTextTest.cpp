#include "table/CellCopyText.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct CopyCase {
    const char* name;
    kiv::GridRect selection;
    const char* expected;
};

void PrintTo(const CopyCase& c, std::ostream* out)
{
    *out << c.name;
}

class CellCopy : public ::testing::TestWithParam<CopyCase> {};

// Row 1 holds the slot cells as the room scan fills them (each entry after a
// carriage return); row 2 a plain two-line cell and a cell with a TAB.
TEST_P(CellCopy, GivesOneLinePerEntryWithTheColumnsSideBySide)
{
    kiv::CellStore cells;
    cells.SetCellText(0, 0, "08h25");
    cells.SetCellText(1, 0, "10h00\rM1");
    cells.SetCellText(0, 1, "\rS514PC03 08h25-16h10 eleve12 E\rS514PC04 08h30- eleve13 F");
    cells.SetCellText(2, 1, "\rS302PC01 10h15-11h00 eleve123 G");
    cells.SetCellText(0, 2, "a\r\nb");
    cells.SetCellText(1, 2, "x\ty");
    EXPECT_EQ(kiv::CellCopyText(cells, GetParam().selection), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Selections, CellCopy,
    ::testing::Values(
        CopyCase{"one_slot_cell", {0, 1, 0, 1}, "S514PC03 08h25-16h10 eleve12 E\nS514PC04 08h30- eleve13 F\n"},
        CopyCase{"slots_side_by_side", {0, 1, 2, 1},
                 "S514PC03 08h25-16h10 eleve12 E\t\tS302PC01 10h15-11h00 eleve123 G\n"
                 "S514PC04 08h30- eleve13 F\t\t\n"},
        CopyCase{"an_empty_cell_is_one_empty_line", {1, 1, 1, 1}, "\n"},
        CopyCase{"headers_over_entries", {0, 0, 1, 1},
                 "08h25\t10h00\n\tM1\nS514PC03 08h25-16h10 eleve12 E\t\nS514PC04 08h30- eleve13 F\t\n"},
        CopyCase{"crlf_is_one_break_and_a_tab_a_space", {0, 2, 1, 2}, "a\tx y\nb\t\n"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
