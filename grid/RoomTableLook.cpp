#include "grid/RoomTableLook.h"

#include "grid/TSlotGridBase.h"
#include "table/OccupationTable.h"

namespace kiv {

void SetUpRoomTable(TSlotGridBase& grid)
{
    grid.SetColCount(kSlotColumnCount);
    grid.SetRowCount(3);
    grid.SetFixedRows(1);
    grid.SetFixedCols(0);
    grid.SetDefaultColWidth(120);
    grid.SetDefaultRowHeight(21);
    const int widths[kSlotColumnCount] = {157, 138, 142, 120, 54, 132, 129, 120};
    for (int col = 0; col < kSlotColumnCount; ++col)
        grid.SetColWidths(col, widths[col]);
    grid.SetRowHeights(0, 21);
    grid.SetRowHeights(1, 649);
    grid.SetRowHeights(2, 3);
    grid.SetFont(CellFont{"Tahoma", -8, false, false, clWindowText});
    grid.SetFixedFont(CellFont{"Tahoma", -11, true, false, clWindowText});
    grid.SetGridLineWidth(1);
    grid.SetGridLineColor(clSilver);
    grid.SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect |
                    goDrawFocusSelected | goRowSizing | goColSizing | goEditing | goTabs);
    grid.SetLook(GridLook::glXP);
    grid.SetFlat(false);
    grid.SetMultilinecells(true);
    grid.SetWordWrap(false);
    grid.SetVAlignment(VAlign::vtaTop);
    // Log lines are shown as they stand: a pupil's "<B>" is text, not markup.
    grid.SetEnableHTML(false);
    grid.SetSelectionColor(RgbColor(182, 202, 234));
    grid.SetSelectionTextColor(clBlack);
}

} // namespace kiv
