// The room table on paper, laid out on a surface of known metrics: a character
// is a third of the font's height wide (one more in bold), a line is the
// height and a fifth. So 6 pt text (height 21) is 7 wide and 25 high, the bold
// 8 pt headers (height 28) are 10 wide and 33 high, the 10 pt print font gives
// a gap of 42 / 8 = 5, and the space kept at the bottom is 5 + 33 + 8 = 46.

#include "table/GridPrintLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using kiv::GridPrintLayout;
using kiv::PageExtent;
using kiv::PagePoint;
using kiv::PageRect;
using kiv::PrintFont;
using kiv::PrintPlan;

class FakeSurface : public kiv::PrintSurface {
public:
    void SetFont(const PrintFont& font) override { font_ = font; }
    int TextWidth(std::string_view line) override
    {
        return static_cast<int>(line.size()) * (std::abs(font_.height) / 3 + (font_.bold ? 1 : 0));
    }
    int TextHeight(std::string_view) override { return std::abs(font_.height) + std::abs(font_.height) / 5; }

    void FillBox(const PageRect& box) override { Log() << "fill " << Rect(box) << "\n"; }
    void DrawTextLine(int x, int top, const PageRect& clip, std::string_view line) override
    {
        Log() << "text " << x << "," << top << " in " << Rect(clip) << (font_.bold ? " bold " : " ") << "'" << line
              << "'\n";
        if (font_.bold)
            pagesWithHeaders.insert(page);
    }
    void DrawLine(PagePoint from, PagePoint to, int width) override
    {
        Log() << "line " << from.x << "," << from.y << " " << to.x << "," << to.y << " w" << width << "\n";
        ++lines;
    }
    void NewPage() override
    {
        Log() << "page\n";
        ++page;
    }

    std::string Transcript() const { return log_.str(); }

    int page = 0;
    int lines = 0;
    std::set<int> pagesWithHeaders;

private:
    static std::string Rect(const PageRect& r)
    {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom);
    }
    std::ostringstream& Log() { return log_; }

    PrintFont font_;
    std::ostringstream log_;
};

// Row 0 holds the headers, printed in bold 8 pt; the other rows print in 6 pt.
class FakeTable : public kiv::PrintTable {
public:
    explicit FakeTable(std::vector<std::vector<std::string>> rows) : rows_(std::move(rows)) {}

    int ColCount() const override { return static_cast<int>(rows_.front().size()); }
    int RowCount() const override { return static_cast<int>(rows_.size()); }
    std::string_view CellText(int col, int row) const override { return rows_[row][col]; }
    kiv::PrintFontSize CellFont(int, int row) const override
    {
        return row == 0 ? kiv::PrintFontSize{"Tahoma", 8, true} : kiv::PrintFontSize{"Tahoma", 6, false};
    }
    bool MultiLine() const override { return true; }

private:
    std::vector<std::vector<std::string>> rows_;
};

// count lines of chars letters each, joined by CRs. (Here and below, text is
// appended piece by piece: GCC 12 misreads "\r" + std::string&& as an
// overlapping copy (-Wrestrict) in optimised builds.)
std::string Lines(int count, int chars)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i)
            text += '\r';
        text.append(chars, 'x');
    }
    return text;
}

struct Range {
    int firstCol, lastCol, left, pageCount;
};

struct LayoutCase {
    const char* name;
    std::vector<std::vector<std::string>> rows;
    PageExtent page;
    std::vector<int> widths;
    std::vector<Range> ranges;
    int pages;
    std::set<int> pagesWithHeaders;
    int borderLines;
};

// Page breaks: a 10-line row 1 ends at y = -346 and the 4-line row 2 needs
// 100 more, which fits while -446 is not below bottom + 46.
const LayoutCase kCases[] = {
    {"columns as wide as their widest line, an empty column as wide as gh",
     {{"a", "b", ""}, {"\rxx\rxxxxxx\rx", "", ""}, {"", "", ""}},
     {1000, -2000}, {42, 14, 20}, {{0, 2, 432, 1}}, 1, {0}, 36},
    {"a next row that just fits stays on the page",
     {{"h"}, {Lines(10, 4)}, {Lines(4, 4)}}, {1000, -492}, {28}, {{0, 0, 476, 1}}, 1, {0}, 12},
    {"a next row that does not fit starts a new page without the headers",
     {{"h"}, {Lines(10, 4)}, {Lines(4, 4)}}, {1000, -491}, {28}, {{0, 0, 476, 2}}, 2, {0}, 12},
    {"a row taller than the page goes on over the next pages, each piece in its own box",
     {{"h0", "h1"}, {Lines(100, 3), ""}, {"", ""}}, {1000, -1000}, {21, 20}, {{0, 1, 459, 4}}, 4, {0}, 48},
    {"a wide table is cut into column ranges, each centred and paged by itself",
     {{"h0", "h1", "h2", "h3"}, {Lines(10, 10), Lines(1, 10), Lines(1, 5), Lines(1, 5)}, {Lines(4, 10), "", "", ""}},
     {200, -480}, {70, 70, 35, 35}, {{0, 1, 10, 2}, {2, 3, 45, 2}}, 4, {0, 2}, 48},
    {"a column wider than the page is a range of its own",
     {{"a", "b", "c"}, {Lines(1, 10), Lines(1, 300 / 7 + 1), Lines(1, 10)}, {"", "", ""}},
     {200, -2000}, {70, 301, 70}, {{0, 0, 55, 1}, {1, 1, 0, 1}, {2, 2, 55, 1}}, 3, {0, 1, 2}, 36},
};

// ctest lists a case by its name rather than by its bytes.
void PrintTo(const LayoutCase& c, std::ostream* out)
{
    *out << c.name;
}

class PrintLayoutCases : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PrintLayoutCases, CountedAndPrintedAlike)
{
    const LayoutCase& c = GetParam();
    const FakeTable table(c.rows);
    const GridPrintLayout layout(table);

    FakeSurface counting;
    const PrintPlan counted = layout.Count(counting, c.page);
    EXPECT_EQ(counting.Transcript(), "") << "counting draws nothing";
    EXPECT_EQ(counted.pages, c.pages);
    EXPECT_EQ(counted.columnWidths, c.widths);
    ASSERT_EQ(counted.ranges.size(), c.ranges.size());
    for (std::size_t i = 0; i < c.ranges.size(); ++i) {
        const PrintPlan::ColumnRange& got = counted.ranges[i];
        EXPECT_EQ(got.firstCol, c.ranges[i].firstCol) << "range " << i;
        EXPECT_EQ(got.lastCol, c.ranges[i].lastCol) << "range " << i;
        EXPECT_EQ(got.x.front(), c.ranges[i].left) << "range " << i;
        EXPECT_EQ(got.pageCount, c.ranges[i].pageCount) << "range " << i;
    }

    FakeSurface printing;
    const PrintPlan printed = layout.Print(printing, c.page, counted.pages);
    EXPECT_EQ(printed.pages, counted.pages);
    EXPECT_EQ(printing.page + 1, counted.pages) << "one sheet per counted page";
    EXPECT_EQ(printing.pagesWithHeaders, c.pagesWithHeaders);
    EXPECT_EQ(printing.lines, c.borderLines);

    // A job limited to its first page starts no other sheet and draws only
    // what that page holds.
    FakeSurface firstOnly;
    layout.Print(firstOnly, c.page, 1);
    EXPECT_EQ(firstOnly.page, 0);
    EXPECT_EQ(firstOnly.Transcript(), printing.Transcript().substr(0, printing.Transcript().find("page\n")));
}

INSTANTIATE_TEST_SUITE_P(Cases, PrintLayoutCases, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
});

// What fits exactly stays where it is: each case once at the exact fit and
// once a unit short of it.
struct ExactFitCase {
    const char* name;
    std::vector<std::vector<std::string>> rows;
    PageExtent page;
    std::vector<std::pair<int, int>> ranges; // first and last column of each
    int pages;
};

// Two columns of 70 + 20 fill a usable width of 182 - 2. Under the header
// (box 47 from y = -8), a 12-line row has a box of 300 + 37 + 10 and ends at
// -402. A 5-line header row (33 a line) alone on its pages is cut into pieces:
// 3 lines make a box of 99 + 12 + 10 = 121, the room above the 46 kept at the
// bottom of a page reaching to -175.
const ExactFitCase kExactFits[] = {
    {"columns that fill the usable width share a range",
     {{"h", "h"}, {Lines(1, 10), Lines(1, 10)}}, {182, -2000}, {{0, 1}}, 1},
    {"columns a unit wider than the usable width are two ranges",
     {{"h", "h"}, {Lines(1, 10), Lines(1, 10)}}, {181, -2000}, {{0, 0}, {1, 1}}, 2},
    {"a row that ends at the page's foot stays whole",
     {{"h"}, {Lines(12, 4)}}, {1000, -402}, {{0, 0}}, 1},
    {"a row that ends a unit below the page's foot goes on over the next page",
     {{"h"}, {Lines(12, 4)}}, {1000, -401}, {{0, 0}}, 2},
    {"a piece whose box fills the room left gets every line it holds",
     {{Lines(5, 1)}}, {1000, -175}, {{0, 0}}, 2},
    {"a piece a unit taller than the room left gets a line less",
     {{Lines(5, 1)}}, {1000, -174}, {{0, 0}}, 3},
};

void PrintTo(const ExactFitCase& c, std::ostream* out)
{
    *out << c.name;
}

class PrintLayoutExactFits : public ::testing::TestWithParam<ExactFitCase> {};

TEST_P(PrintLayoutExactFits, CountedAndPrintedAlike)
{
    const ExactFitCase& c = GetParam();
    const FakeTable table(c.rows);
    const GridPrintLayout layout(table);
    FakeSurface counting;
    const PrintPlan counted = layout.Count(counting, c.page);
    std::vector<std::pair<int, int>> ranges;
    for (const PrintPlan::ColumnRange& range : counted.ranges)
        ranges.emplace_back(range.firstCol, range.lastCol);
    EXPECT_EQ(ranges, c.ranges);
    EXPECT_EQ(counted.pages, c.pages);

    FakeSurface printing;
    EXPECT_EQ(layout.Print(printing, c.page, counted.pages).pages, c.pages);
    EXPECT_EQ(printing.page + 1, c.pages) << "one sheet per counted page";
}

INSTANTIATE_TEST_SUITE_P(Cases, PrintLayoutExactFits, ::testing::ValuesIn(kExactFits), [](const auto& info) {
    std::string name = info.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
});

// A slot of a busy day longer than a page: every entry reaches the paper
// once, in order, above the space kept at the bottom of its page.
TEST(PrintLayout, ARowTallerThanThePageLosesNoLine)
{
    std::string entries;
    for (int i = 0; i < 100; ++i) {
        entries += '\r';
        entries += std::to_string(i);
    }
    const FakeTable table({{"h0", "h1"}, {entries, "x"}, {"", ""}});
    FakeSurface surface;
    const PrintPlan plan = GridPrintLayout(table).Print(surface, {1000, -1000}, 99);
    std::istringstream transcript(surface.Transcript());
    std::vector<std::string> printed;
    for (std::string record; std::getline(transcript, record);) {
        int top = 0;
        if (std::sscanf(record.c_str(), "text %*d,%d", &top) == 1) {
            EXPECT_GT(top - 25, -1000 + 46) << record;
            printed.push_back(record.substr(record.rfind(' ') + 1));
        }
    }
    // The one-line cell beside it is printed once, in the first piece.
    EXPECT_EQ(std::count(printed.begin(), printed.end(), "'x'"), 1);
    std::erase(printed, "'x'");
    std::vector<std::string> expected{"'h0'", "'h1'", "''"};
    for (int i = 0; i < 100; ++i) {
        std::string quoted = "'";
        quoted += std::to_string(i);
        quoted += '\'';
        expected.push_back(quoted);
    }
    EXPECT_EQ(printed, expected);
    EXPECT_EQ(plan.pages, surface.page + 1);
}

// A slot taller than the page in the first column range does not stretch
// the lines of a later range: there the 26 entries of a slot that fits a
// page stay together on it, in one box from the page's top (the row as a
// whole is taller than what the header leaves), 28 units a line.
TEST(PrintLayout, ALaterRangesRowFitsItsPageByItsOwnLines)
{
    std::string tall, fits;
    for (int i = 0; i < 100; ++i)
        tall += "\rxxxxxxxxxx";
    for (int i = 0; i < 26; ++i)
        fits += "\ryyyyyyyyyy";
    const FakeTable table({{"h0", "h1"}, {tall, fits}, {"", ""}});
    FakeSurface surface;
    const PrintPlan plan = GridPrintLayout(table).Print(surface, {150, -1000}, 99);
    ASSERT_EQ(plan.ranges.size(), 2u);
    std::istringstream transcript(surface.Transcript());
    std::set<int> pagesOfSecondSlot;
    int page = 0, lines = 0, lowestTop = 0;
    for (std::string record; std::getline(transcript, record);) {
        page += record == "page";
        int top = 0;
        if (record.find("yyyy") != std::string::npos && std::sscanf(record.c_str(), "text %*d,%d", &top) == 1) {
            pagesOfSecondSlot.insert(page);
            ++lines;
            lowestTop = std::min(lowestTop, top);
        }
    }
    EXPECT_EQ(lines, 26);
    EXPECT_EQ(pagesOfSecondSlot.size(), 1u);
    EXPECT_EQ(lowestTop, -8 - 26 * 28) << "one entry below the other by 25 + 25 / 8";
}

// Every position of a small table: 0.8 mm below the top, centred, four 0.2 mm
// lines per cell, text 0.4 mm right of the left line, entries one below the
// other by 25 + 25 / 8, an empty cell one line high.
TEST(PrintLayout, DrawsEachCellAtItsPlace)
{
    const FakeTable table({{"08h00", "9h00"}, {"\rS514 a", ""}, {"", ""}});
    FakeSurface surface;
    GridPrintLayout(table).Print(surface, {1000, -2000}, 1);
    EXPECT_EQ(surface.Transcript(),
              "fill 435,-8,505,-55\n"
              "text 439,-8 in 439,-8,505,-55 bold '08h00'\n"
              "line 435,-8 435,-55 w2\nline 505,-8 505,-55 w2\nline 435,-8 505,-8 w2\nline 435,-55 505,-55 w2\n"
              "fill 505,-8,565,-55\n"
              "text 509,-8 in 509,-8,565,-55 bold '9h00'\n"
              "line 505,-8 505,-55 w2\nline 565,-8 565,-55 w2\nline 505,-8 565,-8 w2\nline 505,-55 565,-55 w2\n"
              "fill 435,-55,505,-121\n"
              "text 439,-55 in 435,-55,505,-121 ''\n"
              "text 439,-83 in 435,-55,505,-121 'S514 a'\n"
              "line 435,-55 435,-121 w2\nline 505,-55 505,-121 w2\nline 435,-55 505,-55 w2\nline 435,-121 505,-121 w2\n"
              "fill 505,-55,565,-121\n"
              "line 505,-55 505,-121 w2\nline 565,-55 565,-121 w2\nline 505,-55 565,-55 w2\nline 505,-121 565,-121 w2\n"
              "fill 435,-121,505,-159\n"
              "line 435,-121 435,-159 w2\nline 505,-121 505,-159 w2\nline 435,-121 505,-121 w2\nline 435,-159 505,-159 w2\n"
              "fill 505,-121,565,-159\n"
              "line 505,-121 505,-159 w2\nline 565,-121 565,-159 w2\nline 505,-121 565,-121 w2\nline 505,-159 565,-159 w2\n");
}

// A slot that no page can hold starts under its header row, in every column
// range: no sheet holds the headers alone. A row that a page holds still
// goes to the next page whole when it does not fit under the rows before.
struct TallRowCase {
    const char* name;
    std::vector<std::vector<std::string>> rows;
    PageExtent page;
    int firstEntryPage;  // the page of each range's first entry, from the range's first page
};

const TallRowCase kTallRowCases[] = {
    {"a slot taller than the page starts under the headers", {{"h0", "h1"}, {Lines(100, 3), ""}}, {1000, -1000}, 0},
    {"so does it in each column range", {{"h0", "h1"}, {Lines(100, 10), Lines(80, 10)}}, {80, -1000}, 0},
    {"a slot a page holds waits for the next page", {{"h\rh\rh\rh\rh"}, {Lines(31, 3)}}, {1000, -1000}, 1},
};

TEST(PrintLayout, ATallRowStartsUnderItsHeaders)
{
    for (const TallRowCase& c : kTallRowCases) {
        SCOPED_TRACE(c.name);
        const FakeTable table(c.rows);
        FakeSurface counting;
        const int counted = GridPrintLayout(table).Count(counting, c.page).pages;
        FakeSurface surface;
        const PrintPlan plan = GridPrintLayout(table).Print(surface, c.page, 99);
        EXPECT_EQ(plan.pages, counted);
        std::istringstream transcript(surface.Transcript());
        std::vector<int> pagesOfFirstEntries;
        int page = 0;
        bool entrySeen = false;
        for (std::string record; std::getline(transcript, record);) {
            page += record == "page";
            if (record.find(" bold ") != std::string::npos)
                entrySeen = false;
            else if (!entrySeen && record.find("text ") == 0 && record.find("'x") != std::string::npos) {
                entrySeen = true;
                pagesOfFirstEntries.push_back(page);
            }
        }
        ASSERT_EQ(pagesOfFirstEntries.size(), plan.ranges.size());
        for (std::size_t i = 0; i < plan.ranges.size(); ++i)
            EXPECT_EQ(pagesOfFirstEntries[i] - plan.ranges[i].firstPage, c.firstEntryPage) << "range " << i;
    }
}

} // namespace
