#include "TSlotGridBase.h"

#include "CellTextLines.h"
#include "KivError.h"
#include "QtCp1252.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace kiv {
namespace {

// Lines between data cells, and the darker lines of the header cells.
const QColor kGridLineColor(0xC0, 0xC0, 0xC0);
const QColor kFixedLineColor(0x80, 0x80, 0x80);

// Space between a cell's inner edge and its text, left, right and top.
constexpr int kTextInset = 2;

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
    Resize(colWidths_, colCount_);
    Resize(rowHeights_, rowCount_);
    fixedFont_ = font();
    setFocusPolicy(Qt::StrongFocus);
    cells_.SetOnChange([this](int col, int row) { RepaintCell(col, row); });
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(false);
    UpdateScrollBars();
}

void TSlotGridBase::SetColCount(int count)
{
    colCount_ = std::max(count, 0);
    Resize(colWidths_, colCount_);
    LayoutChanged();
}

void TSlotGridBase::SetRowCount(int count)
{
    rowCount_ = std::max(count, 0);
    Resize(rowHeights_, rowCount_);
    LayoutChanged();
}

void TSlotGridBase::SetFixedRows(int count)
{
    fixedRows_ = std::clamp(count, 0, rowCount_);
    LayoutChanged();
}

void TSlotGridBase::SetFixedCols(int count)
{
    fixedCols_ = std::clamp(count, 0, colCount_);
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

void TSlotGridBase::SetFixedFont(const QFont& font)
{
    fixedFont_ = font;
    viewport()->update();
}

void TSlotGridBase::SetCellText(int col, int row, std::string text)
{
    cells_.SetCellText(col, row, std::move(text));
}

void TSlotGridBase::AppendCellText(int col, int row, std::string_view text)
{
    cells_.AppendCellText(col, row, text);
}

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

void TSlotGridBase::LayoutChanged()
{
    UpdateScrollBars();
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
}

void TSlotGridBase::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TSlotGridBase::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRegion& region = event->region();
    // Past the last column and row the grid shows its background colour.
    painter.fillRect(event->rect(), palette().color(QPalette::Base));

    const QRect area = viewport()->rect();
    const QRect scrolling(FixedWidth(), FixedHeight(), area.width(), area.height());
    for (int row = 0; row < rowCount_; ++row) {
        for (int col = 0; col < colCount_; ++col) {
            const QRect rect = CellRect(col, row);
            if (rect.isEmpty() || !region.intersects(rect))
                continue;
            // A scrolled cell must not paint over the fixed header cells.
            QRect clip = area;
            if (col >= fixedCols_)
                clip.setLeft(scrolling.left());
            if (row >= fixedRows_)
                clip.setTop(scrolling.top());
            if (!clip.intersects(rect))
                continue;
            painter.save();
            painter.setClipRect(clip);
            DrawCell(painter, col, row, rect, CellState{row < fixedRows_ || col < fixedCols_});
            painter.restore();
        }
    }
}

void TSlotGridBase::DrawCell(QPainter& painter, int col, int row, const QRect& rect, CellState state)
{
    const QPalette& colours = palette();
    painter.fillRect(rect, colours.color(state.fixed ? QPalette::Button : QPalette::Base));

    // Each cell owns its last pixel column and row as its grid lines.
    painter.setPen(QPen(state.fixed ? kFixedLineColor : kGridLineColor, 0));
    painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    painter.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());

    std::string text = CellText(col, row);
    if (text.empty())
        return;
    const QRect inner = rect.adjusted(1, 1, -1, -1);
    const QRect textRect = inner.adjusted(kTextInset, kTextInset, -kTextInset, 0);
    if (textRect.isEmpty())
        return;

    const QFont cellFont = state.fixed ? fixedFont_ : font();
    painter.setFont(cellFont);
    painter.setPen(colours.color(QPalette::WindowText));
    painter.setClipRect(textRect, Qt::IntersectClip);

    // Plain text only: a cell shows its bytes as they are, whatever tags a
    // log line may carry.
    constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextExpandTabs;
    const int lineCount = CellLineCount(text, true);
    if (lineCount == 1) {
        painter.drawText(textRect, kFlags, FromCp1252(text));
        return;
    }
    // Several lines: each as high as the font; a line that would be cut at
    // the bottom is left out, with every line after it.
    const int lineHeight = QFontMetrics(cellFont).height();
    int top = textRect.top();
    for (int i = 0; i < lineCount; ++i) {
        const std::string line = NextCellLine(text, true);
        if (top + lineHeight > textRect.bottom() + 1)
            break;
        if (!line.empty())
            painter.drawText(QRect(textRect.left(), top, textRect.width(), lineHeight), kFlags, FromCp1252(line));
        top += lineHeight;
    }
}

} // namespace kiv
