#pragma once
// TSlotGrid: the room occupation table. On top of the drawing grid it owns the
// list of time-slot headers and copies it into the header row after every
// change of the list.

#include "ColumnHeaderList.h"
#include "TSlotGridBase.h"
#include "TextList.h"

class QPrinter;

namespace kiv {

class TSlotGrid : public TSlotGridBase {
    Q_OBJECT

public:
    explicit TSlotGrid(QWidget* parent = nullptr);

    // The header list. Loading it (LoadFromFile, Assign) copies it into the
    // header row; header cells past its last entry keep their text.
    ColumnHeaderList& ColumnHeaders() noexcept { return columnHeaders_; }
    const ColumnHeaderList& ColumnHeaders() const noexcept { return columnHeaders_; }

    // Assigning a whole list to the grid: unlike a load, the header row is
    // emptied before the copy, so nothing of the former headers stays.
    void SetColumnHeaders(const TextList& headers);

    // Prints the whole table on printer (the program's one printer, which
    // the results' print dialog chooses), in landscape for this job only.
    // Throws KivError when there is no printer.
    void Print(QPrinter& printer);

private:
    void WriteHeaderCell(int col, const std::string& text);
    void CopyHeaders();

    ColumnHeaderList columnHeaders_;
};

} // namespace kiv
