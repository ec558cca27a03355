#include "table/CellTextLines.h"

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

// ctest lists a case by its name rather than by its bytes.
void PrintTo(const LinesCase& c, std::ostream* out)
{
    *out << c.name;
}

class CellLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(CellLines, SplitAtCarriageReturns)
{
    const LinesCase& c = GetParam();
    EXPECT_EQ(CellLineCount(c.text, true), c.lineCount);
    EXPECT_EQ(CellLineCount(c.text, false), 1);
    std::string rest = c.text;
    std::string_view restView = c.text;
    std::vector<std::string> lines;
    std::vector<std::string> viewedLines;
    for (int i = 0; i < c.lineCount; ++i) {
        lines.push_back(NextCellLine(rest, true));
        viewedLines.emplace_back(NextCellLine(restView, true));
    }
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(viewedLines, c.lines);
    EXPECT_EQ(rest, "");
    EXPECT_TRUE(restView.empty());
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
    std::string_view view = text;
    EXPECT_EQ(NextCellLine(view, false), "a");
    EXPECT_TRUE(view.empty());
    EXPECT_EQ(NextCellLine(text, false), "a");
    EXPECT_EQ(text, "");
}

TEST(CellLines, KindOfATextByItsFirstCharactersAndItsTags)
{
    struct Case {
        std::string text;
        bool htmlEnabled;
        int kind;
    };
    const Case cases[] = {
        {"", true, kPlainCellText},
        {"=", true, kFormulaCellText},
        {"=A1+2", false, kFormulaCellText},
        {"|\\wide", true, kWideCellText},
        {"|", true, kPlainCellText},
        {"{\\rtf1 x}", true, kRichCellText},
        {"{", true, kPlainCellText},
        {"\rS514PC03 <B>eleve12</B>", true, kFormattedCellText},
        {"\rS514PC03 eleve12 </x", true, kFormattedCellText},
        {"\rS514PC03 <I", true, kFormattedCellText},
        {"\rS514PC03 <b>eleve12<i>", true, kPlainCellText},
        {"\rS514PC03 <B>eleve12</B>", false, kPlainCellText},
        {"a < b > c", true, kPlainCellText},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CellTextKind(c.text, c.htmlEnabled), c.kind) << c.text << " html " << c.htmlEnabled;
}

} // namespace
} // namespace kiv
