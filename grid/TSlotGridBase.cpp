#include "grid/TSlotGridBase.h"

#include "grid/detail/QtCellColors.h"
#include "grid/detail/TSlotGridAccessible.h"
#include "grid/detail/TSlotGridEditor.h"
#include "logscan/KivError.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace kiv {
namespace {

// How close to a column's or row's edge the pointer must be to size it.
constexpr int kSizingMargin = 2;

void CheckIndex(int index, int count)
{
    if (index < 0 || index >= count)
        throw KivError(ListIndexMessage(index));
}

void Resize(std::vector<int>& sizes, int count)
{
    // A new column or row takes the default size (marked by -1).
    sizes.resize(static_cast<std::size_t>(std::max(count, 0)), -1);
}

} // namespace

TSlotGridBase::TSlotGridBase(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    InstallSlotGridAccessibility();
    Resize(colWidths_, colCount_);
    Resize(rowHeights_, rowCount_);
    look_.fixedCols = fixedCols_;
    look_.fixedRows = fixedRows_;
    setFont(ScreenFont(look_.font));
    setFocusPolicy(Qt::StrongFocus);
    cells_.SetOnChange([this](const CellStore::CellChange& change) { CellAboutToChange(change); });
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    UpdateScrollBars();
}

TSlotGridBase::~TSlotGridBase()
{
    // The editor goes first and without a word: left to the widget's own
    // teardown, its loss of focus would store its text into a store already
    // gone. Closing the window during an edit drops the edit.
    if (editor_) {
        editor_->disconnect(this);
        delete editor_;
    }
}

void TSlotGridBase::SetColCount(int count)
{
    colCount_ = std::max(count, 0);
    Resize(colWidths_, colCount_);
    fixedCols_ = std::min(fixedCols_, colCount_);
    look_.fixedCols = fixedCols_;
    SetCurrentCell(col_, row_);
    LayoutChanged();
}

void TSlotGridBase::SetRowCount(int count)
{
    rowCount_ = std::max(count, 0);
    Resize(rowHeights_, rowCount_);
    fixedRows_ = std::min(fixedRows_, rowCount_);
    look_.fixedRows = fixedRows_;
    SetCurrentCell(col_, row_);
    LayoutChanged();
}

void TSlotGridBase::SetFixedRows(int count)
{
    fixedRows_ = std::clamp(count, 0, rowCount_);
    look_.fixedRows = fixedRows_;
    // The table is being set up: the first cell below the headers is current.
    SetCurrentCell(fixedCols_, fixedRows_);
    LayoutChanged();
}

void TSlotGridBase::SetFixedCols(int count)
{
    fixedCols_ = std::clamp(count, 0, colCount_);
    look_.fixedCols = fixedCols_;
    SetCurrentCell(fixedCols_, fixedRows_);
    LayoutChanged();
}

void TSlotGridBase::SetDefaultColWidth(int width)
{
    defaultColWidth_ = std::max(width, 0);
    LayoutChanged();
}

void TSlotGridBase::SetDefaultRowHeight(int height)
{
    defaultRowHeight_ = std::max(height, 0);
    LayoutChanged();
}

int TSlotGridBase::ColWidths(int col) const
{
    CheckIndex(col, colCount_);
    const int width = colWidths_[static_cast<std::size_t>(col)];
    return width < 0 ? defaultColWidth_ : width;
}

void TSlotGridBase::SetColWidths(int col, int width)
{
    CheckIndex(col, colCount_);
    colWidths_[static_cast<std::size_t>(col)] = std::max(width, 0);
    LayoutChanged();
}

int TSlotGridBase::RowHeights(int row) const
{
    CheckIndex(row, rowCount_);
    const int height = rowHeights_[static_cast<std::size_t>(row)];
    return height < 0 ? defaultRowHeight_ : height;
}

void TSlotGridBase::SetRowHeights(int row, int height)
{
    CheckIndex(row, rowCount_);
    rowHeights_[static_cast<std::size_t>(row)] = std::max(height, 0);
    LayoutChanged();
}

void TSlotGridBase::SetFont(const CellFont& font)
{
    look_.font = font;
    setFont(ScreenFont(font));
    viewport()->update();
}

void TSlotGridBase::SetFixedFont(const CellFont& font)
{
    look_.fixedFont = font;
    viewport()->update();
}

void TSlotGridBase::SetOptions(GridOptions options)
{
    options_ = options;
    if (!(options_ & goEditing))
        HideEditor(true);
    viewport()->update();
}

void TSlotGridBase::SetGridLineWidth(int width)
{
    gridLineWidth_ = std::max(width, 0);
    viewport()->update();
}

void TSlotGridBase::SetCellText(int col, int row, std::string text)
{
    cells_.SetCellText(col, row, std::move(text));
    AnnounceCellText(col, row);
}

void TSlotGridBase::AppendCellText(int col, int row, std::string_view text)
{
    cells_.AppendCellText(col, row, text);
    AnnounceCellText(col, row);
}

// Every write of a cell comes here before it is made, through the grid or
// straight to its store (the occupation table places its sessions there).
void TSlotGridBase::CellAboutToChange(const CellStore::CellChange& change)
{
    const bool edited = IsEditing() && change.col == editCol_ && change.row == editRow_;
    if (!change.append) {
        // A new text for the cell being edited (a new scan empties the slots)
        // makes the edit of the former text moot.
        if (edited)
            HideEditor(false);
        RepaintCell(change.col, change.row);
        return;
    }
    if (edited)
        editor_->AppendCellText(change.text);
    // Once a slot cell shows as many logins as fit, later ones land below
    // its edge: the cell is not drawn again for them.
    if (AppendWouldShow(change.col, change.row))
        RepaintCell(change.col, change.row);
}

CellLook TSlotGridBase::CellAppearance(int col, int row, bool printing) const
{
    return kiv::CellAppearance(look_, Selection(), col, row, printing);
}

// --- geometry ----------------------------------------------------------------

int TSlotGridBase::ColLeft(int col) const
{
    int left = 0;
    for (int c = 0; c < col && c < colCount_; ++c)
        left += ColWidths(c);
    return left;
}

int TSlotGridBase::RowTop(int row) const
{
    int top = 0;
    for (int r = 0; r < row && r < rowCount_; ++r)
        top += RowHeights(r);
    return top;
}

int TSlotGridBase::TotalWidth() const { return ColLeft(colCount_); }
int TSlotGridBase::TotalHeight() const { return RowTop(rowCount_); }
int TSlotGridBase::FixedWidth() const { return ColLeft(fixedCols_); }
int TSlotGridBase::FixedHeight() const { return RowTop(fixedRows_); }

QRect TSlotGridBase::ScrollingArea() const
{
    const QRect area = viewport()->rect();
    return QRect(QPoint(FixedWidth(), FixedHeight()), area.bottomRight());
}

QRect TSlotGridBase::CellRect(int col, int row) const
{
    if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_)
        return {};
    int x = ColLeft(col);
    int y = RowTop(row);
    if (col >= fixedCols_)
        x -= horizontalScrollBar()->value();
    if (row >= fixedRows_)
        y -= verticalScrollBar()->value();
    return QRect(x, y, ColWidths(col), RowHeights(row));
}

QPoint TSlotGridBase::CellAt(const QPoint& point) const
{
    const auto find = [](int position, int count, int fixed, int scroll, auto size) {
        int edge = 0;
        for (int i = 0; i < count; ++i) {
            const int start = edge - (i >= fixed ? scroll : 0);
            edge += size(i);
            const int end = edge - (i >= fixed ? scroll : 0);
            if (position >= start && position < end)
                return i;
        }
        return -1;
    };
    const int fixedWidth = FixedWidth();
    const int fixedHeight = FixedHeight();
    // Under the fixed area only the fixed cells count.
    const int col = point.x() < fixedWidth
                        ? find(point.x(), fixedCols_, fixedCols_, 0, [this](int c) { return ColWidths(c); })
                        : find(point.x(), colCount_, fixedCols_, horizontalScrollBar()->value(),
                               [this](int c) { return ColWidths(c); });
    const int row = point.y() < fixedHeight
                        ? find(point.y(), fixedRows_, fixedRows_, 0, [this](int r) { return RowHeights(r); })
                        : find(point.y(), rowCount_, fixedRows_, verticalScrollBar()->value(),
                               [this](int r) { return RowHeights(r); });
    if (col < 0 || row < 0)
        return QPoint(-1, -1);
    return QPoint(col, row);
}

QSize TSlotGridBase::sizeHint() const
{
    const int frame = 2 * frameWidth();
    return QSize(TotalWidth() + frame, TotalHeight() + frame);
}

void TSlotGridBase::RepaintCell(int col, int row)
{
    const QRect rect = CellRect(col, row).intersected(viewport()->rect());
    if (!rect.isEmpty())
        viewport()->update(rect);
}

void TSlotGridBase::RepaintRange(const GridRect& range)
{
    const QRect first = CellRect(range.left, range.top);
    const QRect last = CellRect(range.right, range.bottom);
    // Header edges reach one pixel into the next cell.
    const QRect rect = first.united(last).adjusted(-1, -1, 2, 1).intersected(viewport()->rect());
    if (!rect.isEmpty())
        viewport()->update(rect);
}

void TSlotGridBase::LayoutChanged()
{
    UpdateScrollBars();
    PlaceEditor();
    viewport()->update();
}

void TSlotGridBase::UpdateScrollBars()
{
    const QSize area = viewport()->size();
    const int scrollWidth = std::max(area.width() - FixedWidth(), 1);
    const int scrollHeight = std::max(area.height() - FixedHeight(), 1);
    horizontalScrollBar()->setRange(0, std::max(TotalWidth() - area.width(), 0));
    horizontalScrollBar()->setPageStep(scrollWidth);
    verticalScrollBar()->setRange(0, std::max(TotalHeight() - area.height(), 0));
    verticalScrollBar()->setPageStep(scrollHeight);
}

void TSlotGridBase::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    PlaceEditor();
}

void TSlotGridBase::scrollContentsBy(int, int)
{
    PlaceEditor();
    viewport()->update();
}

// --- current cell and selection ------------------------------------------------

GridRect TSlotGridBase::Selection() const noexcept
{
    return GridRect{std::min(col_, anchorCol_), std::min(row_, anchorRow_), std::max(col_, anchorCol_),
                    std::max(row_, anchorRow_)};
}

void TSlotGridBase::SetCurrentCell(int col, int row, bool extend)
{
    const GridRect before = Selection();
    const int oldCol = col_;
    const int oldRow = row_;
    col_ = std::clamp(col, fixedCols_, std::max(colCount_ - 1, fixedCols_));
    row_ = std::clamp(row, fixedRows_, std::max(rowCount_ - 1, fixedRows_));
    if (!extend || !(options_ & goRangeSelect)) {
        anchorCol_ = col_;
        anchorRow_ = row_;
    } else {
        anchorCol_ = std::clamp(anchorCol_, fixedCols_, std::max(colCount_ - 1, fixedCols_));
        anchorRow_ = std::clamp(anchorRow_, fixedRows_, std::max(rowCount_ - 1, fixedRows_));
    }
    const GridRect after = Selection();
    if (after == before && col_ == oldCol && row_ == oldRow)
        return;
    RepaintRange(before);
    RepaintRange(after);
    emit selectionChanged();
    AnnounceCurrentCell();
}

void TSlotGridBase::AnnounceCurrentCell()
{
    if (!QAccessible::isActive() || !hasFocus())
        return;
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(row_ * colCount_ + col_);
    QAccessible::updateAccessibility(&event);
}

void TSlotGridBase::AnnounceCellText(int col, int row)
{
    // A screen reader hears of new logins in a slot as the cell's text changing.
    if (!QAccessible::isActive() || col >= colCount_ || row >= rowCount_)
        return;
    QAccessibleEvent event(this, QAccessible::NameChanged);
    event.setChild(row * colCount_ + col);
    QAccessible::updateAccessibility(&event);
}

void TSlotGridBase::ScrollToCurrent()
{
    const QRect cell = CellRect(col_, row_);
    const QRect area = ScrollingArea();
    if (cell.isEmpty() || area.isEmpty())
        return;
    QScrollBar* horizontal = horizontalScrollBar();
    if (cell.left() < area.left())
        horizontal->setValue(horizontal->value() - (area.left() - cell.left()));
    else if (cell.right() > area.right())
        horizontal->setValue(horizontal->value() + std::min(cell.right() - area.right(), cell.left() - area.left()));
    QScrollBar* vertical = verticalScrollBar();
    if (cell.top() < area.top())
        vertical->setValue(vertical->value() - (area.top() - cell.top()));
    else if (cell.bottom() > area.bottom())
        vertical->setValue(vertical->value() + std::min(cell.bottom() - area.bottom(), cell.top() - area.top()));
}

bool TSlotGridBase::MoveByTab(bool forward)
{
    int col = col_ + (forward ? 1 : -1);
    int row = row_;
    if (col >= colCount_) {
        col = fixedCols_;
        ++row;
    } else if (col < fixedCols_) {
        col = colCount_ - 1;
        --row;
    }
    // Past the last cell (or before the first) the focus leaves the table,
    // so that the keyboard alone can go on to the next control.
    if (row < fixedRows_ || row >= rowCount_)
        return false;
    SetCurrentCell(col, row);
    ScrollToCurrent();
    return true;
}

bool TSlotGridBase::focusNextPrevChild(bool next)
{
    if ((options_ & goTabs) && hasFocus() && MoveByTab(next))
        return true;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TSlotGridBase::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    RepaintRange(Selection());
    AnnounceCurrentCell();
}

void TSlotGridBase::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    RepaintRange(Selection());
}

void TSlotGridBase::keyPressEvent(QKeyEvent* event)
{
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const QRect area = ScrollingArea();
    const auto rowsInPage = [this, &area](int from, int direction) {
        // The row a page away: the rows that fit in the scrolling area.
        int row = from;
        int height = 0;
        while (row + direction >= fixedRows_ && row + direction < rowCount_) {
            height += RowHeights(row + direction);
            if (height > area.height() && row != from)
                break;
            row += direction;
        }
        return row;
    };
    int col = col_;
    int row = row_;
    switch (event->key()) {
    case Qt::Key_Left:
        --col;
        break;
    case Qt::Key_Right:
        ++col;
        break;
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_PageUp:
        row = rowsInPage(row_, -1);
        break;
    case Qt::Key_PageDown:
        row = rowsInPage(row_, 1);
        break;
    case Qt::Key_Home:
        col = fixedCols_;
        if (control)
            row = fixedRows_;
        break;
    case Qt::Key_End:
        col = colCount_ - 1;
        if (control)
            row = rowCount_ - 1;
        break;
    case Qt::Key_F2:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ShowEditor();
        return;
    default:
        if ((options_ & goEditing) && !control && !event->text().isEmpty() && event->text().at(0).isPrint()) {
            OpenEditor(event->text());
            return;
        }
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    SetCurrentCell(col, row, extend);
    ScrollToCurrent();
}

// --- mouse: selecting and sizing --------------------------------------------------

int TSlotGridBase::SizingColAt(const QPoint& point) const
{
    if (!(options_ & goColSizing) || point.y() >= FixedHeight())
        return -1;
    // The last edge near the pointer wins, so that a column dragged down to
    // nothing can be widened again.
    int found = -1;
    for (int col = 0; col < colCount_; ++col) {
        const QRect cell = CellRect(col, 0);
        if (col >= fixedCols_ && cell.right() < FixedWidth())
            continue;
        if (std::abs(point.x() - (cell.right() + 1)) <= kSizingMargin)
            found = col;
    }
    return found;
}

int TSlotGridBase::SizingRowAt(const QPoint& point) const
{
    // Rows are sized along their lower edge in the fixed columns, or anywhere
    // when the grid has none (as the room table has none).
    if (!(options_ & goRowSizing) || (fixedCols_ > 0 && point.x() >= FixedWidth()))
        return -1;
    int found = -1;
    for (int row = 0; row < rowCount_; ++row) {
        const QRect cell = CellRect(0, row);
        if (row >= fixedRows_ && cell.bottom() < FixedHeight())
            continue;
        if (std::abs(point.y() - (cell.bottom() + 1)) <= kSizingMargin)
            found = row;
    }
    return found;
}

void TSlotGridBase::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint point = event->position().toPoint();
    if (const int col = SizingColAt(point); col >= 0) {
        drag_ = Drag::SizeCol;
        dragIndex_ = col;
        dragOrigin_ = point.x();
        dragStartSize_ = ColWidths(col);
        return;
    }
    if (const int row = SizingRowAt(point); row >= 0) {
        drag_ = Drag::SizeRow;
        dragIndex_ = row;
        dragOrigin_ = point.y();
        dragStartSize_ = RowHeights(row);
        return;
    }
    const QPoint cell = CellAt(point);
    if (cell.x() < fixedCols_ || cell.y() < fixedRows_)
        return;
    HideEditor(true);
    SetCurrentCell(cell.x(), cell.y(), event->modifiers() & Qt::ShiftModifier);
    drag_ = Drag::Select;
}

void TSlotGridBase::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    switch (drag_) {
    case Drag::SizeCol:
        SetColWidths(dragIndex_, std::max(dragStartSize_ + point.x() - dragOrigin_, 0));
        return;
    case Drag::SizeRow:
        SetRowHeights(dragIndex_, std::max(dragStartSize_ + point.y() - dragOrigin_, 0));
        return;
    case Drag::Select: {
        const QPoint cell = CellAt(point);
        if (cell.x() >= fixedCols_ && cell.y() >= fixedRows_)
            SetCurrentCell(cell.x(), cell.y(), true);
        return;
    }
    case Drag::None:
        break;
    }
    if (SizingColAt(point) >= 0)
        viewport()->setCursor(Qt::SplitHCursor);
    else if (SizingRowAt(point) >= 0)
        viewport()->setCursor(Qt::SplitVCursor);
    else
        viewport()->unsetCursor();
}

void TSlotGridBase::mouseReleaseEvent(QMouseEvent* event)
{
    drag_ = Drag::None;
    event->accept();
}

void TSlotGridBase::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint cell = CellAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && cell == QPoint(col_, row_))
        ShowEditor();
}

// --- in-place editing ---------------------------------------------------------

bool TSlotGridBase::IsEditing() const noexcept
{
    return editor_ && editor_->isVisible();
}

void TSlotGridBase::ShowEditor()
{
    OpenEditor(QString());
}

void TSlotGridBase::OpenEditor(const QString& typed)
{
    if (!(options_ & goEditing) || IsEditing() || col_ < fixedCols_ || row_ < fixedRows_ || col_ >= colCount_ ||
        row_ >= rowCount_)
        return;
    if (!editor_) {
        editor_ = new TSlotGridEditor(viewport());
        connect(editor_, &TSlotGridEditor::finished, this, [this](TSlotGridEditor::Ending ending) {
            if (closingEditor_)
                return;
            HideEditor(ending != TSlotGridEditor::Ending::Cancel);
            if (ending == TSlotGridEditor::Ending::KeepAndNext || ending == TSlotGridEditor::Ending::KeepAndPrevious) {
                if (!MoveByTab(ending == TSlotGridEditor::Ending::KeepAndNext))
                    QAbstractScrollArea::focusNextPrevChild(ending == TSlotGridEditor::Ending::KeepAndNext);
            }
        });
    }
    ScrollToCurrent();
    editCol_ = col_;
    editRow_ = row_;
    editor_->setFont(ScreenFont(look_.font));
    editor_->Open(cells_.CellView(col_, row_), typed);
    PlaceEditor();
    editor_->show();
    editor_->setFocus(Qt::OtherFocusReason);
    RepaintCell(editCol_, editRow_);
}

void TSlotGridBase::HideEditor(bool keepText)
{
    if (!IsEditing())
        return;
    if (closingEditor_)
        return;
    closingEditor_ = true;
    const int col = editCol_;
    const int row = editRow_;
    // The focus comes back to the table (unless the user took it elsewhere)
    // before the editor hides, so that hiding moves no focus on its own.
    if (editor_->hasFocus())
        setFocus(Qt::OtherFocusReason);
    editor_->hide();
    editCol_ = editRow_ = -1;
    closingEditor_ = false;
    if (keepText && editor_->Changed()) {
        SetCellText(col, row, editor_->CellText());
        emit cellEdited(col, row);
    }
    editor_->clear();
    RepaintCell(col, row);
}

void TSlotGridBase::PlaceEditor()
{
    if (!editor_ || editCol_ < 0)
        return;
    const int inset = std::max(gridLineWidth_, 1);
    const QRect cell = CellRect(editCol_, editRow_).adjusted(inset, inset, -inset, -inset);
    editor_->setGeometry(cell.intersected(ScrollingArea()));
}

} // namespace kiv
