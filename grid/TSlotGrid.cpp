#include "grid/TSlotGrid.h"

#include "grid/QtTablePrint.h"
#include "qtext/QtCp1252.h"
#include "table/CellCopyText.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

namespace kiv {

TSlotGrid::TSlotGrid(QWidget* parent)
    : TSlotGridBase(parent), table_(Cells(), ColCount(), FixedRows()), copy_(new QAction(QStringLiteral("Copier"), this))
{
    copy_->setShortcut(QKeySequence::Copy);
    copy_->setShortcutContext(Qt::WidgetShortcut);
    connect(copy_, &QAction::triggered, this, &TSlotGrid::CopySelection);
    addAction(copy_);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TSlotGrid::CopySelection()
{
    QGuiApplication::clipboard()->setText(FromCp1252(CellCopyText(Cells(), Selection())));
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
