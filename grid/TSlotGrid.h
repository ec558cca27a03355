#pragma once
// TSlotGrid: the room occupation table. On top of the drawing grid it holds
// the occupation table's rules (header list, header copy, session placement),
// working on the grid's own cells.

#include "grid/TSlotGridBase.h"
#include "logscan/TextList.h"
#include "table/OccupationTable.h"

class QAction;
class QPrinter;

namespace kiv {

class TSlotGrid : public TSlotGridBase {
    Q_OBJECT

public:
    explicit TSlotGrid(QWidget* parent = nullptr);

    // The table this grid shows, at the grid's size.
    OccupationTable& Table() noexcept;
    const OccupationTable& Table() const noexcept { return table_; }

    // The header list. Loading it (LoadFromFile, Assign) copies it into the
    // header row; header cells past its last entry keep their text.
    OccupationTable::HeaderList& ColumnHeaders() noexcept { return Table().ColumnHeaders(); }
    const OccupationTable::HeaderList& ColumnHeaders() const noexcept { return table_.ColumnHeaders(); }

    // Assigning a whole list to the grid: unlike a load, the header row is
    // emptied before the copy, so nothing of the former headers stays.
    void SetColumnHeaders(const TextList& headers) { Table().SetColumnHeaders(headers); }

    // Prints the whole table on printer (the program's one printer, which
    // the results' print dialog chooses), in landscape for this job only.
    // Throws KivError when there is no printer.
    void Print(QPrinter& printer);

    // Puts the selected cells on the clipboard as a spreadsheet pastes them
    // (CellCopyText): Ctrl+C, and "Copier" of the table's context menu.
    void CopySelection();
    QAction* CopyAction() const noexcept { return copy_; }

private:
    OccupationTable table_;
    QAction* copy_;
};

} // namespace kiv
