#include "table/GridPrintLayout.h"

#include "table/CellTextLines.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

namespace kiv {

int PrintFontHeight(int points, double scale)
{
    return -static_cast<int>(std::trunc(points * 254.0 / 72.0 * scale));
}

namespace {

// The text that an empty cell is measured as: one line of the font's height.
constexpr std::string_view kEmptyCellText = "gh";
// Text starts this far right of a cell's left line (0.4 mm).
constexpr int kTextIndent = 4;
// Cell lines are 0.2 mm wide.
constexpr int kBorderWidth = 2;
// Every column gets 2 mm on top of its widest line.
constexpr int kFixedColumnSpacing = 20;

PrintFont OnPaper(const PrintFontSize& size)
{
    return {size.family, PrintFontHeight(size.points), size.bold};
}

enum class Mode { Count, Print };

// One run of the layout over the whole table.
class Pass {
public:
    Pass(const PrintTable& table, const GridPrintSettings& settings, PrintSurface& surface, PageExtent page,
         Mode mode, int pageLimit)
        : table_(table), settings_(settings), surface_(surface), page_(page), mode_(mode), pageLimit_(pageLimit)
    {
    }

    PrintPlan Run()
    {
        lastCol_ = table_.ColCount() - 1;
        lastRow_ = table_.RowCount() - 1;
        MeasureGapAndFooter();
        MeasureColumnWidths();
        plan_.columnWidths = widths_;
        for (int first = 0; first <= lastCol_ && !cancelled_;) {
            PrintPlan::ColumnRange range = LayOutColumns(first);
            range.firstPage = pageIndex_;
            LayOutPages(range);
            range.pageCount = pageIndex_ - range.firstPage;
            first = range.lastCol + 1;
            plan_.ranges.push_back(std::move(range));
        }
        plan_.pages = pageIndex_;
        return plan_;
    }

private:
    int TextHeightIn(const PrintFontSize& size)
    {
        surface_.SetFont(OnPaper(size));
        return surface_.TextHeight(kEmptyCellText);
    }

    // The gap g between a cell's text and its lines comes from the print
    // font; the space kept free at the bottom, from the footer's font.
    void MeasureGapAndFooter()
    {
        const int footerHeight = TextHeightIn(settings_.footerFont);
        gap_ = TextHeightIn(settings_.font) / 8;
        footerReserve_ = gap_ + footerHeight + settings_.footerSize;
        headerArea_ = settings_.headerSize;
        columnSpacing_ = settings_.columnSpacing + kFixedColumnSpacing;
    }

    void UseCellFont(int col, int row)
    {
        surface_.SetFont(OnPaper(table_.CellFont(col, row)));
    }

    // The width of a cell's widest line on paper; an empty cell as "gh".
    int CellWidth(int col, int row)
    {
        UseCellFont(col, row);
        const std::string_view text = table_.CellText(col, row);
        if (text.empty())
            return surface_.TextWidth(kEmptyCellText);
        int width = 0;
        for (std::string_view rest = text; !rest.empty();)
            width = std::max(width, surface_.TextWidth(NextCellLine(rest, table_.MultiLine())));
        return width;
    }

    // The height of a cell's lines on paper; an empty cell is one line high.
    int CellHeight(int col, int row)
    {
        UseCellFont(col, row);
        return surface_.TextHeight(kEmptyCellText) * CellLineCount(table_.CellText(col, row), table_.MultiLine());
    }

    void MeasureColumnWidths()
    {
        widths_.assign(static_cast<std::size_t>(std::max(lastCol_ + 1, 0)), 0);
        for (int row = 0; row <= lastRow_; ++row)
            for (int col = 0; col <= lastCol_; ++col)
                widths_[col] = std::max(widths_[col], CellWidth(col, row));
    }

    // The content height of a row: its tallest cell. The fit test and the
    // drawing ask for the same row in turn, so the last answer is kept.
    int RowContentHeight(int row)
    {
        if (row == cachedRow_)
            return cachedHeight_;
        int height = 0;
        for (int col = 0; col <= lastCol_; ++col)
            height = std::max(height, CellHeight(col, row));
        cachedRow_ = row;
        cachedHeight_ = height;
        return height;
    }

    int RowBoxHeight(int row)
    {
        const int content = RowContentHeight(row);
        return content + content / 8 + 2 * gap_ + settings_.rowSpacing;
    }

    // As many columns from first as the page's width holds, and at least
    // the first one: a column wider than the page gets a range of its own.
    PrintPlan::ColumnRange LayOutColumns(int first)
    {
        const int usable = page_.width - settings_.rightSize;
        int used = 0;
        int last = first;
        while (used <= usable && last <= lastCol_) {
            used += widths_[last] + columnSpacing_;
            if (used <= usable)
                ++last;
        }
        if (used > usable) {
            used -= widths_[last] + columnSpacing_;
            --last;
        }
        last = std::min(last, lastCol_);
        if (last < first) {
            last = first;
            used = widths_[first] + columnSpacing_;
        }

        PrintPlan::ColumnRange range;
        range.firstCol = first;
        range.lastCol = last;
        range.x.push_back(settings_.centered ? 0 : settings_.leftSize);
        for (int col = first; col <= last; ++col)
            range.x.push_back(range.x.back() + widths_[col] + columnSpacing_);
        if (settings_.centered && used < page_.width)
            for (int& x : range.x)
                x += (page_.width - used) / 2;
        return range;
    }

    // Rows go down the page; after each row, the next one starts a new page
    // when its text would reach into the space kept at the bottom. The first
    // row of a page is printed whatever its height.
    void LayOutPages(const PrintPlan::ColumnRange& range)
    {
        int row = 0;
        int rowsOnPage = 0;
        int y = 0;
        while (row <= lastRow_ && !cancelled_) {
            if (rowsOnPage == 0)
                y = PageTop();
            if (y - RowBoxHeight(row) >= page_.bottom)
                y -= PrintRow(y, range, row);
            else
                y = PrintRowAcrossPages(y, range, row, rowsOnPage);
            ++row;
            ++rowsOnPage;
            const int next = row <= lastRow_ ? RowContentHeight(row) : 0;
            if (y - next < page_.bottom + footerReserve_ && row <= lastRow_ && !GoesOverPagesAnyway(range, row)) {
                AdvancePage();
                rowsOnPage = 0;
            }
        }
        if (range.lastCol < lastCol_)
            AdvancePage();
        else
            ++pageIndex_;
    }

    int PageTop() const { return -headerArea_ - settings_.titleSpacing; }

    // A row that a whole page cannot hold goes on over pages wherever it
    // starts: it starts right under the rows before it, its header row
    // included, rather than leave a sheet with the headers alone at the
    // head of every column range of a busy day.
    bool GoesOverPagesAnyway(const PrintPlan::ColumnRange& range, int row)
    {
        if (PageTop() - RowBoxHeight(row) >= page_.bottom)
            return false;
        int lineHeight = 1;
        const int lines = RangeLines(range, row, lineHeight);
        return LinesThatFit(PageTop(), lineHeight, lines) < lines;
    }

    // The most lines of a row's cells in the range, and the tallest line.
    int RangeLines(const PrintPlan::ColumnRange& range, int row, int& lineHeight)
    {
        int lines = 1;
        lineHeight = 1;
        for (int col = range.firstCol; col <= range.lastCol; ++col) {
            lines = std::max(lines, CellLineCount(table_.CellText(col, row), table_.MultiLine()));
            UseCellFont(col, row);
            lineHeight = std::max(lineHeight, surface_.TextHeight(kEmptyCellText));
        }
        return lines;
    }

    // A row whose lines would run past the foot of the paper, as a slot of a
    // whole school's busy day does, gets as many lines as the page holds
    // and goes on at the top of the next pages, so that no login is left
    // off the printout. Returns where the row ends on its last page.
    int PrintRowAcrossPages(int y, const PrintPlan::ColumnRange& range, int row, int& rowsOnPage)
    {
        // The range's own cells set its lines: a taller cell of another
        // range does not stretch them.
        int lineHeight = 1;
        int linesLeft = RangeLines(range, row, lineHeight);
        std::vector<std::string_view> rests;
        for (int col = range.firstCol; col <= range.lastCol; ++col)
            rests.push_back(table_.CellText(col, row));
        bool firstPiece = true;
        while (linesLeft > 0 && !cancelled_) {
            int lines = LinesThatFit(y, lineHeight, linesLeft);
            // A single line taller than an empty page still gets printed.
            if (lines == 0 && rowsOnPage == 0)
                lines = 1;
            if (lines > 0) {
                y -= PrintRowPiece(y, range, row, rests, lines, lineHeight, firstPiece);
                linesLeft -= lines;
                firstPiece = false;
            }
            if (linesLeft > 0) {
                AdvancePage();
                rowsOnPage = 0;
                y = PageTop();
            }
        }
        return y;
    }

    int PieceBoxHeight(int lines, int lineHeight) const
    {
        const int content = lines * lineHeight;
        return content + content / 8 + 2 * gap_ + settings_.rowSpacing;
    }

    // How many of a row's lines fit between y and the space kept at the
    // bottom of the page, at most wanted.
    int LinesThatFit(int y, int lineHeight, int wanted) const
    {
        const int room = y - (page_.bottom + footerReserve_);
        int lines = std::max(0, std::min(wanted, (room - 2 * gap_ - settings_.rowSpacing) * 8 / (9 * lineHeight)));
        while (lines < wanted && PieceBoxHeight(lines + 1, lineHeight) <= room)
            ++lines;
        while (lines > 0 && PieceBoxHeight(lines, lineHeight) > room)
            --lines;
        return lines;
    }

    // The next lines of each cell of a row, in a box as tall as they need.
    int PrintRowPiece(int y, const PrintPlan::ColumnRange& range, int row, std::vector<std::string_view>& rests,
                      int lines, int lineHeight, bool firstPiece)
    {
        const int boxHeight = PieceBoxHeight(lines, lineHeight);
        if (!Drawing())
            return boxHeight;
        for (int col = range.firstCol; col <= range.lastCol; ++col) {
            const int i = col - range.firstCol;
            const PageRect box{range.x[i], y, range.x[i] + widths_[col] + columnSpacing_, y - boxHeight};
            if (firstPiece && CellLineCount(rests[i], table_.MultiLine()) == 1) {
                DrawCellText(col, row, box);
                rests[i] = {};
            } else {
                UseCellFont(col, row);
                surface_.FillBox(box);
                DrawLines(box, rests[i], lines);
            }
            if (settings_.cellBorders)
                DrawBorders(box);
        }
        return boxHeight;
    }

    void AdvancePage()
    {
        // A count called off is of no use either: closing the window does
        // not wait for the pages of a busy day to be counted.
        if (surface_.Cancelled()) {
            cancelled_ = true;
            return;
        }
        if (mode_ == Mode::Print && pageIndex_ + 2 <= pageLimit_)
            surface_.NewPage();
        ++pageIndex_;
    }

    bool Drawing() const { return mode_ == Mode::Print && pageIndex_ < pageLimit_; }

    int PrintRow(int y, const PrintPlan::ColumnRange& range, int row)
    {
        const int boxHeight = RowBoxHeight(row);
        if (!Drawing())
            return boxHeight;
        for (int col = range.firstCol; col <= range.lastCol; ++col) {
            const int i = col - range.firstCol;
            const PageRect box{range.x[i], y, range.x[i] + widths_[col] + columnSpacing_, y - boxHeight};
            DrawCellText(col, row, box);
            if (settings_.cellBorders)
                DrawBorders(box);
        }
        return boxHeight;
    }

    void DrawCellText(int col, int row, const PageRect& box)
    {
        UseCellFont(col, row);
        surface_.FillBox(box);
        const std::string_view text = table_.CellText(col, row);
        const bool multiLine = table_.MultiLine();
        std::string_view rest = text;
        if (CellLineCount(text, multiLine) == 1) {
            if (!rest.empty())
                surface_.DrawTextLine(box.left + kTextIndent, box.top,
                                      {box.left + kTextIndent, box.top, box.right, box.bottom - settings_.rowSpacing},
                                      NextCellLine(rest, multiLine));
            return;
        }
        DrawLines(box, rest, std::numeric_limits<int>::max());
    }

    // Up to count lines from the front of rest, one below the other from the
    // top of the box. The lines are views of the cell's text, so a slot of a
    // whole busy day costs only the lines that reach the paper.
    void DrawLines(const PageRect& box, std::string_view& rest, int count)
    {
        const int textHeight = surface_.TextHeight(kEmptyCellText);
        int pitch = textHeight + settings_.rowSpacing;
        pitch += pitch / 8;
        for (int top = box.top; count > 0 && top > page_.bottom && !rest.empty(); top -= pitch - settings_.rowSpacing) {
            surface_.DrawTextLine(box.left + kTextIndent, top, box, NextCellLine(rest, table_.MultiLine()));
            --count;
        }
    }

    // A cell that ends below the space kept at the bottom runs off the page:
    // it gets no bottom line.
    void DrawBorders(const PageRect& box)
    {
        const PagePoint topLeft{box.left, box.top}, topRight{box.right, box.top};
        const PagePoint bottomLeft{box.left, box.bottom}, bottomRight{box.right, box.bottom};
        surface_.DrawLine(topLeft, bottomLeft, kBorderWidth);
        surface_.DrawLine(topRight, bottomRight, kBorderWidth);
        surface_.DrawLine(topLeft, topRight, kBorderWidth);
        if (box.bottom >= page_.bottom + settings_.footerSize)
            surface_.DrawLine(bottomLeft, bottomRight, kBorderWidth);
    }

    const PrintTable& table_;
    const GridPrintSettings& settings_;
    PrintSurface& surface_;
    const PageExtent page_;
    const Mode mode_;
    const int pageLimit_;

    int lastCol_ = -1;
    int lastRow_ = -1;
    int gap_ = 0;
    int footerReserve_ = 0;
    int headerArea_ = 0;
    int columnSpacing_ = 0;
    std::vector<int> widths_;
    int cachedRow_ = -1;
    int cachedHeight_ = 0;
    int pageIndex_ = 0;
    bool cancelled_ = false;
    PrintPlan plan_;
};

} // namespace

GridPrintLayout::GridPrintLayout(const PrintTable& table, GridPrintSettings settings)
    : table_(table), settings_(std::move(settings))
{
}

PrintPlan GridPrintLayout::Count(PrintSurface& surface, PageExtent page) const
{
    return Pass(table_, settings_, surface, page, Mode::Count, 0).Run();
}

PrintPlan GridPrintLayout::Print(PrintSurface& surface, PageExtent page, int pageLimit) const
{
    return Pass(table_, settings_, surface, page, Mode::Print, pageLimit).Run();
}

} // namespace kiv
