#include "TSlotGrid.h"

#include "HeaderCopy.h"
#include "QtTablePrint.h"

namespace kiv {

TSlotGrid::TSlotGrid(QWidget* parent)
    : TSlotGridBase(parent)
{
    columnHeaders_.SetOnChange([this] { CopyHeaders(); });
}

void TSlotGrid::SetColumnHeaders(const TextList& headers)
{
    AssignColumnHeaders(columnHeaders_, headers, ColCount(), FixedRows(),
                        [this](int col, const std::string& text) { WriteHeaderCell(col, text); });
}

void TSlotGrid::WriteHeaderCell(int col, const std::string& text)
{
    SetCellText(col, 0, text);
}

void TSlotGrid::CopyHeaders()
{
    RunHeaderCopy(columnHeaders_.Items(), ColCount(), FixedRows(),
                  [this](int col, const std::string& text) { WriteHeaderCell(col, text); });
}

void TSlotGrid::Print(QPrinter& printer)
{
    PrintSlotTable(*this, printer);
}

} // namespace kiv
