#pragma once
// How a cell of the occupation table looks: its font, its background, its
// selection and its alignment, decided in one place for the screen and for
// paper. Colours are kept as the window's settings write them, so that the
// printed table and the screen resolve the same values.

#include <cstdint>
#include <string>

namespace kiv {

// A colour as 0x00BBGGRR (red in the low byte). With the high bit set it names
// a system colour, resolved where it is drawn; clNone means no colour is set.
using TColor = std::uint32_t;

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clHighlight = 0x8000000D;
inline constexpr TColor clHighlightText = 0x8000000E;
inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor clWindow = 0x80000005;
inline constexpr TColor clWindowText = 0x80000008;
inline constexpr TColor clInfoBk = 0x80000018;

constexpr TColor RgbColor(int red, int green, int blue)
{
    return static_cast<TColor>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}
constexpr bool IsSystemColor(TColor color) { return (color & 0x80000000u) != 0; }
constexpr int RedOf(TColor color) { return static_cast<int>(color & 0xFF); }
constexpr int GreenOf(TColor color) { return static_cast<int>(color >> 8 & 0xFF); }
constexpr int BlueOf(TColor color) { return static_cast<int>(color >> 16 & 0xFF); }

// A font as the window's settings give it: a negative height is the height of
// the characters in pixels on screen (in page units on paper).
struct CellFont {
    std::string name = "Tahoma";
    int height = -11;
    bool bold = false;
    bool italic = false;
    TColor color = clWindowText;

    friend bool operator==(const CellFont&, const CellFont&) = default;
};

enum class HAlign { Left, Right, Center };
enum class VAlign { vtaTop, vtaCenter, vtaBottom };

// Rows that alternate between two colours (off in the room table).
struct CellBands {
    bool active = false;
    TColor primaryColor = clInfoBk;
    TColor secondaryColor = clWindow;
    int primaryLength = 1;
    int secondaryLength = 1;
    bool print = false;
};

// A rectangle of cells, all four bounds inclusive.
struct GridRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool Contains(int col, int row) const noexcept
    {
        return col >= left && col <= right && row >= top && row <= bottom;
    }
    friend bool operator==(const GridRect&, const GridRect&) = default;
};

// The grid's settings that decide a cell's look.
struct GridAppearance {
    int fixedCols = 1;
    int fixedRows = 1;
    CellFont font;
    CellFont fixedFont;
    TColor color = clWindow;
    TColor fixedColor = clBtnFace;
    TColor selectionColor = clHighlight;
    TColor selectionTextColor = clHighlightText;
    bool showSelection = true;
    CellBands bands;
    VAlign vAlignment = VAlign::vtaTop;
    // On paper the cells take the screen fonts, or the print settings' own.
    bool printUseDisplayFont = true;
    CellFont printFont;
    CellFont printFixedFont;
};

struct CellLook {
    CellFont font;
    TColor background = clNone;
    TColor gradientEnd = clNone;
    bool fixed = false;
    bool selected = false;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::vtaTop;
};

// The look of cell (col, row). On screen (printing false) a fixed cell takes
// the fixed colour and a data cell inside selection the selection colours;
// on paper every cell keeps the grid's own background.
CellLook CellAppearance(const GridAppearance& grid, const GridRect& selection, int col, int row, bool printing);

} // namespace kiv
