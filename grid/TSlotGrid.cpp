#include "TSlotGrid.h"

#include "QtTablePrint.h"

namespace kiv {

TSlotGrid::TSlotGrid(QWidget* parent)
    : TSlotGridBase(parent), table_(Cells(), ColCount(), FixedRows())
{
}

OccupationTable& TSlotGrid::Table() noexcept
{
    // The form sets the grid's size after making it: the table follows.
    table_.SetShape(ColCount(), FixedRows());
    return table_;
}

void TSlotGrid::Print(QPrinter& printer)
{
    PrintSlotTable(*this, printer);
}

} // namespace kiv
