#include "CellTextLines.h"

#include <gtest/gtest.h>

#include <vector>

namespace kiv {
namespace {

struct LinesCase {
    const char* name;
    std::string text;
    int lineCount;
    std::vector<std::string> lines; // taken one after the other in multi-line mode
};

class CellLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(CellLines, SplitAtCarriageReturns)
{
    const LinesCase& c = GetParam();
    EXPECT_EQ(CellLineCount(c.text, true), c.lineCount);
    EXPECT_EQ(CellLineCount(c.text, false), 1);
    std::string rest = c.text;
    std::vector<std::string> lines;
    for (int i = 0; i < c.lineCount; ++i)
        lines.push_back(NextCellLine(rest, true));
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(rest, "");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CellLines,
    ::testing::Values(
        LinesCase{"empty", "", 1, {""}},
        LinesCase{"one_line", "08h25", 1, {"08h25"}},
        LinesCase{"header_with_two_lines", "08h25\rM1", 2, {"08h25", "M1"}},
        LinesCase{"lf_after_cr_belongs_to_the_break", "a\r\nb", 2, {"a", "b"}},
        LinesCase{"lone_lf_is_not_a_break", "a\nb", 1, {"a\nb"}},
        LinesCase{"slot_cell_starts_with_a_break", "\rS514PC03 08h25-16h10 eleve12 E\rS302PC01 08h40- eleve02 E",
                  3, {"", "S514PC03 08h25-16h10 eleve12 E", "S302PC01 08h40- eleve02 E"}},
        LinesCase{"final_break", "a\r", 2, {"a", ""}},
        LinesCase{"two_lfs_after_cr_keep_one", "a\r\n\nb", 2, {"a", "\nb"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CellLines, SingleLineModeKeepsOnlyTheFirstLine)
{
    std::string text = "a\r\nb\rc";
    EXPECT_EQ(NextCellLine(text, false), "a");
    EXPECT_EQ(text, "");
}

} // namespace
} // namespace kiv
