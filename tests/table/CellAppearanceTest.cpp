#include "table/CellAppearance.h"

#include <gtest/gtest.h>

namespace kiv {
namespace {

// The room table: one header row, Tahoma 8 for the logins, bold Tahoma 11
// for the slots, the selection in light blue with black text.
GridAppearance RoomTable()
{
    GridAppearance grid;
    grid.fixedCols = 0;
    grid.fixedRows = 1;
    grid.font = CellFont{"Tahoma", -8, false, false, clWindowText};
    grid.fixedFont = CellFont{"Tahoma", -11, true, false, clWindowText};
    grid.selectionColor = RgbColor(182, 202, 234);
    grid.selectionTextColor = clBlack;
    grid.printFont = CellFont{"MS Sans Serif", -13, false, false, clWindowText};
    grid.printFixedFont = CellFont{"MS Sans Serif", -11, false, false, clWindowText};
    return grid;
}

TEST(CellAppearance, FollowsTheCellsPlaceTheSelectionAndTheSurface)
{
    struct Case {
        const char* what;
        int col;
        int row;
        bool printing;
        bool useDisplayFont;
        TColor background;
        bool bold;
        TColor textColor;
        bool selected;
    };
    const GridRect selection{2, 1, 3, 2};
    const Case cases[] = {
        {"a slot header on screen", 2, 0, false, true, clBtnFace, true, clWindowText, false},
        {"a slot header on paper keeps the grid colour", 2, 0, true, true, clWindow, true, clWindowText, false},
        {"a slot header on paper in the print font", 2, 0, true, false, clWindow, false, clWindowText, false},
        {"a selected login cell", 3, 1, false, true, RgbColor(182, 202, 234), false, clBlack, true},
        {"a login cell outside the selection", 4, 1, false, true, clWindow, false, clWindowText, false},
        {"a selected cell on paper", 3, 1, true, true, clWindow, false, clWindowText, false},
    };
    for (const Case& c : cases) {
        GridAppearance grid = RoomTable();
        grid.printUseDisplayFont = c.useDisplayFont;
        const CellLook look = CellAppearance(grid, selection, c.col, c.row, c.printing);
        EXPECT_EQ(look.background, c.background) << c.what;
        EXPECT_EQ(look.font.bold, c.bold) << c.what;
        EXPECT_EQ(look.font.color, c.textColor) << c.what;
        EXPECT_EQ(look.selected, c.selected) << c.what;
        EXPECT_EQ(look.gradientEnd, clNone) << c.what;
        EXPECT_EQ(look.vAlign, VAlign::vtaTop) << c.what;
    }
    GridAppearance grid = RoomTable();
    grid.printUseDisplayFont = false;
    EXPECT_EQ(CellAppearance(grid, selection, 0, 1, true).font.name, "MS Sans Serif");
    EXPECT_EQ(CellAppearance(grid, selection, 0, 1, false).font.height, -8);
}

TEST(CellAppearance, BandsAlternateBelowTheHeaderRow)
{
    GridAppearance grid = RoomTable();
    grid.showSelection = false;
    grid.bands.active = true;
    grid.bands.secondaryLength = 2;
    const TColor expected[] = {clInfoBk, clWindow, clWindow, clInfoBk};
    for (int row = 1; row <= 4; ++row)
        EXPECT_EQ(CellAppearance(grid, {}, 0, row, false).background, expected[row - 1]) << row;
    EXPECT_EQ(CellAppearance(grid, {}, 0, 1, true).background, clWindow); // not printed
    EXPECT_EQ(CellAppearance(grid, {}, 0, 0, false).background, clBtnFace);
}

} // namespace
} // namespace kiv
