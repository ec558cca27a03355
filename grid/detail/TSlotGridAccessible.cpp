#include "grid/detail/TSlotGridAccessible.h"

#include "grid/TSlotGridBase.h"
#include "qtext/QtCp1252.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace kiv {
namespace {

class SlotGridAccessible;

// One cell. Cells are made on demand and kept, one per place, by the table.
class SlotGridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    SlotGridCellAccessible(TSlotGridBase* grid, int row, int col)
        : grid_(grid)
        , row_(row)
        , col_(col)
    {
    }

    bool isValid() const override { return grid_ && row_ < grid_->RowCount() && col_ < grid_->ColCount(); }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(grid_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid() || (t != QAccessible::Name && t != QAccessible::Value))
            return {};
        // One line per entry, as a reader expects lines.
        QString text = FromCp1252(grid_->CellView(col_, row_));
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        return text;
    }

    // A robot may fill a login cell as the user would by editing it.
    void setText(QAccessible::Text t, const QString& text) override
    {
        if (isValid() && t == QAccessible::Value && Editable())
            grid_->SetCellText(col_, row_, ToCp1252(QString(text).replace(QLatin1Char('\n'), QLatin1Char('\r'))));
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect cell = grid_->CellRect(col_, row_);
        return QRect(grid_->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }

    QAccessible::Role role() const override
    {
        return isValid() && row_ < grid_->FixedRows() ? QAccessible::ColumnHeader : QAccessible::Cell;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid())
            return state;
        state.selectable = !Fixed();
        state.selected = isSelected();
        state.focusable = !Fixed();
        state.focused = grid_->hasFocus() && grid_->Col() == col_ && grid_->Row() == row_;
        state.editable = Editable();
        state.readOnly = !Editable();
        state.multiLine = grid_->Multilinecells();
        const QRect cell = grid_->CellRect(col_, row_);
        state.invisible = cell.isEmpty() || !grid_->viewport()->rect().intersects(cell);
        state.offscreen = state.invisible;
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        return nullptr;
    }

    bool isSelected() const override
    {
        return isValid() && !Fixed() && grid_->Selection().Contains(col_, row_);
    }

    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override;
    int columnIndex() const override { return col_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    bool Fixed() const { return row_ < grid_->FixedRows() || col_ < grid_->FixedCols(); }
    bool Editable() const { return !Fixed() && (grid_->Options() & goEditing); }

    QPointer<TSlotGridBase> grid_;
    int row_;
    int col_;
};

class SlotGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit SlotGridAccessible(TSlotGridBase* grid)
        : QAccessibleWidget(grid, QAccessible::Table)
    {
    }

    ~SlotGridAccessible() override
    {
        for (const QAccessible::Id id : std::as_const(cellIds_))
            QAccessible::deleteAccessibleInterface(id);
    }

    TSlotGridBase* Grid() const { return static_cast<TSlotGridBase*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    int childCount() const override { return rowCount() * columnCount(); }

    QAccessibleInterface* child(int index) const override
    {
        const int cols = columnCount();
        if (index < 0 || cols == 0 || index >= childCount())
            return nullptr;
        return cellAt(index / cols, index % cols);
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child || child->parent() != this)
            return -1;
        auto* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
        return cell ? cell->rowIndex() * columnCount() + cell->columnIndex() : -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPoint cell = Grid()->CellAt(Grid()->viewport()->mapFromGlobal(QPoint(x, y)));
        return cell.x() < 0 ? nullptr : cellAt(cell.y(), cell.x());
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }

    QAccessibleInterface* cellAt(int row, int column) const override
    {
        if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
            return nullptr;
        const int key = row * columnCount() + column;
        const auto found = cellIds_.constFind(key);
        if (found != cellIds_.constEnd())
            return QAccessible::accessibleInterface(*found);
        auto* cell = new SlotGridCellAccessible(Grid(), row, column);
        cellIds_.insert(key, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }

    int selectedCellCount() const override { return static_cast<int>(selectedCells().size()); }

    QList<QAccessibleInterface*> selectedCells() const override
    {
        QList<QAccessibleInterface*> cells;
        const GridRect selection = Grid()->Selection();
        for (int row = selection.top; row <= selection.bottom; ++row)
            for (int col = selection.left; col <= selection.right; ++col)
                if (QAccessibleInterface* cell = cellAt(row, col))
                    cells.append(cell);
        return cells;
    }

    QString columnDescription(int column) const override
    {
        return Grid()->FixedRows() > 0 ? FromCp1252(Grid()->CellView(column, 0)) : QString();
    }
    QString rowDescription(int) const override { return {}; }
    int columnCount() const override { return Grid()->ColCount(); }
    int rowCount() const override { return Grid()->RowCount(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    mutable QHash<int, QAccessible::Id> cellIds_;
};

QList<QAccessibleInterface*> SlotGridCellAccessible::columnHeaderCells() const
{
    QList<QAccessibleInterface*> headers;
    QAccessibleInterface* grid = parent();
    if (!isValid() || !grid || row_ < grid_->FixedRows())
        return headers;
    for (int row = 0; row < grid_->FixedRows(); ++row)
        headers.append(grid->tableInterface()->cellAt(row, col_));
    return headers;
}

QList<QAccessibleInterface*> SlotGridCellAccessible::rowHeaderCells() const
{
    QList<QAccessibleInterface*> headers;
    QAccessibleInterface* grid = parent();
    if (!isValid() || !grid || col_ < grid_->FixedCols())
        return headers;
    for (int col = 0; col < grid_->FixedCols(); ++col)
        headers.append(grid->tableInterface()->cellAt(row_, col));
    return headers;
}

QAccessibleInterface* SlotGridFactory(const QString&, QObject* object)
{
    if (auto* grid = qobject_cast<TSlotGridBase*>(object))
        return new SlotGridAccessible(grid);
    return nullptr;
}

} // namespace

void InstallSlotGridAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(SlotGridFactory);
        return true;
    }();
    (void)installed;
}

} // namespace kiv
