#pragma once
// The occupation table on paper. The layout measures every cell's text on the
// paper itself (never on the screen), sizes each column to its widest line and
// each row to its tallest cell, cuts a table wider than the page into ranges of
// columns, and cuts each range into pages by height. It runs twice: a counting
// pass that only measures, then a printing pass that draws, both through a
// PrintSurface, so that the same rules give the page count and the pages.
//
// Page units are tenths of a millimetre. x grows to the right from the left
// edge of the printable area; y grows upward from its top edge, so every point
// of a page has y <= 0 and "lower by d" means y - d.

#include <string>
#include <string_view>
#include <vector>

namespace kiv {

struct PagePoint {
    int x = 0;
    int y = 0;
    bool operator==(const PagePoint&) const = default;
};

// top >= bottom: y grows upward.
struct PageRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const PageRect&) const = default;
};

// A font on paper. height is negative: the character height without internal
// leading, in page units, as PrintFontHeight gives it.
struct PrintFont {
    std::string family;
    int height = 0;
    bool bold = false;
    bool operator==(const PrintFont&) const = default;
};

// A font as the table gives it: a family and a size in points.
struct PrintFontSize {
    std::string family;
    int points = 0;
    bool bold = false;
};

// The height in page units that gives a font of that many points on paper.
int PrintFontHeight(int points, double scale = 1.0);

// What the layout measures with and draws on. The counting pass calls only
// SetFont and the two extents.
class PrintSurface {
public:
    virtual ~PrintSurface() = default;

    virtual void SetFont(const PrintFont& font) = 0;
    // Extents of one line of Windows-1252 text in the current font.
    virtual int TextWidth(std::string_view line) = 0;
    virtual int TextHeight(std::string_view line) = 0;

    // Fills a cell's box with the table's background.
    virtual void FillBox(const PageRect& box) = 0;
    // One line of text in the current font with its top-left corner at
    // (x, top), cut to clip.
    virtual void DrawTextLine(int x, int top, const PageRect& clip, std::string_view line) = 0;
    // A solid black line of the given width.
    virtual void DrawLine(PagePoint from, PagePoint to, int width) = 0;
    // Ends the page and starts the next sheet.
    virtual void NewPage() = 0;
    // Whether the job was called off: printing, or counting, stops at the
    // end of the page it is on.
    virtual bool Cancelled() const { return false; }
};

// The table as printing sees it: its size and, per cell, the text it shows
// (lines separated by CRs) and the font it prints in. A cell's text is read
// in place: it must stay as it is while a pass runs.
class PrintTable {
public:
    virtual ~PrintTable() = default;

    virtual int ColCount() const = 0;
    virtual int RowCount() const = 0;
    virtual std::string_view CellText(int col, int row) const = 0;
    virtual PrintFontSize CellFont(int col, int row) const = 0;
    // Whether a CR starts a new line.
    virtual bool MultiLine() const = 0;
};

// The print settings of the room table. Sizes in page units.
struct GridPrintSettings {
    bool centered = true;      // each column range centred on the page's width
    bool cellBorders = true;   // four lines around every cell
    int leftSize = 2;          // left margin when not centred
    int rightSize = 2;         // kept free at the right when columns are shared out
    int headerSize = 8;        // space above the first row
    int footerSize = 8;        // part of the space kept free at the bottom
    int columnSpacing = 0;     // added to every column, with a fixed 2 mm
    int rowSpacing = 0;        // added to every row and line pitch
    int titleSpacing = 0;      // between the header space and the first row
    PrintFontSize font{"MS Sans Serif", 10, false};       // sets the gap between text and lines
    PrintFontSize footerFont{"MS Sans Serif", 8, false};  // sets the space kept at the bottom
};

// The extent of the printable area: its width and its bottom (negative).
struct PageExtent {
    int width = 0;
    int bottom = 0;
};

// Where a pass put the table.
struct PrintPlan {
    struct ColumnRange {
        int firstCol = 0;
        int lastCol = 0;
        int firstPage = 0;  // from 0, over the whole job
        int pageCount = 0;
        std::vector<int> x;  // left edges of firstCol..lastCol, then the right edge
    };
    int pages = 0;
    std::vector<int> columnWidths;  // paper width of each column, without spacing
    std::vector<ColumnRange> ranges;
};

class GridPrintLayout {
public:
    explicit GridPrintLayout(const PrintTable& table, GridPrintSettings settings = {});

    // Lays the whole table out without drawing: the page count of a job.
    PrintPlan Count(PrintSurface& surface, PageExtent page) const;

    // Lays it out again and draws it, the first page on the sheet already
    // open. Pages past pageLimit are laid out but neither started nor drawn.
    PrintPlan Print(PrintSurface& surface, PageExtent page, int pageLimit) const;

private:
    const PrintTable& table_;
    GridPrintSettings settings_;
};

} // namespace kiv
