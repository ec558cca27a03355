#include "table/CellAppearance.h"

namespace kiv {

CellLook CellAppearance(const GridAppearance& grid, const GridRect& selection, int col, int row, bool printing)
{
    CellLook look;
    const bool fixed = col < grid.fixedCols || row < grid.fixedRows;
    if (!printing || grid.printUseDisplayFont)
        look.font = fixed ? grid.fixedFont : grid.font;
    else
        look.font = fixed ? grid.printFixedFont : grid.printFont;

    look.background = grid.color;
    const bool banded = grid.bands.active && (printing ? grid.bands.print : !fixed);
    if (banded) {
        const int period = grid.bands.primaryLength + grid.bands.secondaryLength;
        const int place = period > 0 ? ((row - grid.fixedRows) % period + period) % period : 0;
        look.background = place < grid.bands.primaryLength ? grid.bands.primaryColor : grid.bands.secondaryColor;
    }

    if (!printing && fixed) {
        look.background = grid.fixedColor;
        look.font.color = grid.fixedFont.color;
        look.fixed = true;
    }
    if (!printing && !fixed && grid.showSelection && selection.Contains(col, row)) {
        look.background = grid.selectionColor;
        look.font.color = grid.selectionTextColor;
        look.selected = true;
    }
    look.vAlign = grid.vAlignment;
    return look;
}

} // namespace kiv
