#include "LinesEdit.h"

#include "LinesEditAccessible.h"

#include <QAccessible>
#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace kiv {
namespace {

// The space around the text, as in the other text boxes of the window.
constexpr int kMargin = 4;
// Lines laid out and kept for repainting; a screen shows far fewer.
constexpr std::size_t kKeptLayouts = 400;

} // namespace

LinesEdit::LinesEdit(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    InstallLinesEditAccessibility();
    doc_.SetListener([this](const LineDocument::Change& change) { TextChangedBy(change); });
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(20);
    // Often enough for the scroll bars to follow a scan smoothly; each time
    // redraws them.
    scrollBarsLater_.setSingleShot(true);
    scrollBarsLater_.setInterval(40);
    connect(&scrollBarsLater_, &QTimer::timeout, this, &LinesEdit::UpdateScrollBars);
    UpdateScrollBars();
}

LinesEdit::~LinesEdit() = default;

void LinesEdit::AppendLines(LineBatch&& lines)
{
    const TextPos oldCursor = CursorPos();
    const TextPos oldAnchor = AnchorPos();
    doc_.SetKeepRemovedText(false);
    doc_.AppendLines(std::move(lines));
    // A caret at the end of the text stays at its end, as when the lines are
    // pasted there; anywhere else it stays where the user left it.
    CaretChanged(oldCursor, oldAnchor);
}

void LinesEdit::clear()
{
    TakeLines();
    ReturnFreedMemory();
}

LineStore LinesEdit::TakeLines()
{
    const TextPos oldCursor = CursorPos();
    const TextPos oldAnchor = AnchorPos();
    doc_.SetKeepRemovedText(QAccessible::isActive());
    LineStore taken = doc_.TakeLines();
    CaretChanged(oldCursor, oldAnchor);
    return taken;
}

// Every change of the text, whoever made it: what was laid out there is
// laid out again, and screen readers hear what changed.
void LinesEdit::TextChangedBy(const LineDocument::Change& change)
{
    if (change.appended) {
        layouts_.erase(change.from.line);
        ScheduleScrollBars();
        if (change.from.line <= FirstVisibleLine() + VisibleLineCount())
            viewport()->update();
    } else if (Store().LineCount() == 1 && Store().LineLength(0) == 0) {
        ForgetLayouts();
        widest_ = 0;
        UpdateScrollBars();
        viewport()->update();
    } else {
        ForgetLayouts();
        ScheduleScrollBars();
        viewport()->update();
    }
    if (QAccessible::isActive()) {
        const int at = static_cast<int>(change.offset);
        const QString inserted = Store().PlainText(change.from, change.insertedEnd);
        if (change.removedCharacters == 0) {
            QAccessibleTextInsertEvent event(this, at, inserted);
            QAccessible::updateAccessibility(&event);
        } else if (change.insertedCharacters == 0) {
            QAccessibleTextRemoveEvent event(this, at, change.removedText);
            QAccessible::updateAccessibility(&event);
        } else {
            QAccessibleTextUpdateEvent event(this, at, change.removedText, inserted);
            QAccessible::updateAccessibility(&event);
        }
    }
    emit textChanged();
}

void LinesEdit::SetCursor(TextPos pos, bool keepAnchor)
{
    const TextPos oldCursor = CursorPos();
    const TextPos oldAnchor = AnchorPos();
    const TextPos cursor = Store().Clamp(pos);
    doc_.SetSelection(keepAnchor ? oldAnchor : cursor, cursor);
    wantedX_ = -1;
    CaretChanged(oldCursor, oldAnchor);
}

void LinesEdit::SetSelection(TextPos anchor, TextPos cursor)
{
    const TextPos oldCursor = CursorPos();
    const TextPos oldAnchor = AnchorPos();
    doc_.SetSelection(anchor, cursor);
    wantedX_ = -1;
    CaretChanged(oldCursor, oldAnchor);
}

void LinesEdit::CaretChanged(TextPos oldCursor, TextPos oldAnchor)
{
    if (oldCursor == CursorPos() && oldAnchor == AnchorPos())
        return;
    RestartBlink();
    // A caret carried along below the screen by appended lines needs no
    // repaint.
    const qsizetype first = FirstVisibleLine();
    const qsizetype last = first + VisibleLineCount() + 1;
    const TextPos ends[] = {oldCursor, oldAnchor, CursorPos(), AnchorPos()};
    if (std::any_of(std::begin(ends), std::end(ends), [&](TextPos p) { return p.line >= first && p.line <= last; })
        || SelectionStart().line < first)
        viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent moved(this, static_cast<int>(Store().OffsetOf(CursorPos())));
        QAccessible::updateAccessibility(&moved);
    }
    if (oldCursor != CursorPos())
        emit cursorPositionChanged();
    const bool hadSelection = oldCursor != oldAnchor;
    if (hadSelection || HasSelection())
        emit selectionChanged();
}

void LinesEdit::EnsureCursorVisible()
{
    QScrollBar* vertical = verticalScrollBar();
    UpdateScrollBars();
    const qsizetype first = FirstVisibleLine();
    const int shown = std::max(1, VisibleLineCount());
    if (CursorPos().line < first)
        vertical->setValue(static_cast<int>(CursorPos().line));
    else if (CursorPos().line >= first + shown)
        vertical->setValue(static_cast<int>(CursorPos().line - shown + 1));
    const qreal x = LayoutOf(CursorPos().line).lineAt(0).cursorToX(static_cast<int>(CursorPos().column));
    QScrollBar* horizontal = horizontalScrollBar();
    const int room = viewport()->width() - 2 * kMargin;
    if (x < horizontal->value())
        horizontal->setValue(static_cast<int>(x));
    else if (x > horizontal->value() + room)
        horizontal->setValue(static_cast<int>(std::ceil(x)) - room);
}

void LinesEdit::ReplaceRange(TextPos from, TextPos to, const QString& text, LineDocument::EditKind kind)
{
    const TextPos oldCursor = CursorPos();
    const TextPos oldAnchor = AnchorPos();
    doc_.SetKeepRemovedText(QAccessible::isActive());
    doc_.Replace(from, to, text, kind);
    wantedX_ = -1;
    CaretChanged(oldCursor, oldAnchor);
    EnsureCursorVisible();
}

void LinesEdit::TypeText(const QString& text)
{
    const bool lineBreak = text.contains(u'\n') || text.contains(u'\r');
    ReplaceSelection(text, lineBreak ? LineDocument::EditKind::Other : LineDocument::EditKind::Typing);
}

void LinesEdit::AfterUndoOrRedo(TextPos oldCursor, TextPos oldAnchor)
{
    wantedX_ = -1;
    CaretChanged(oldCursor, oldAnchor);
    EnsureCursorVisible();
}

void LinesEdit::undo()
{
    const TextPos oldCursor = CursorPos();
    const TextPos oldAnchor = AnchorPos();
    doc_.SetKeepRemovedText(QAccessible::isActive());
    if (doc_.Undo())
        AfterUndoOrRedo(oldCursor, oldAnchor);
}

void LinesEdit::redo()
{
    const TextPos oldCursor = CursorPos();
    const TextPos oldAnchor = AnchorPos();
    doc_.SetKeepRemovedText(QAccessible::isActive());
    if (doc_.Redo())
        AfterUndoOrRedo(oldCursor, oldAnchor);
}

void LinesEdit::selectAll()
{
    SetSelection({0, 0}, Store().End());
}

QMimeData* LinesEdit::SelectionMimeData() const
{
    auto* data = new QMimeData;
    data->setText(SelectedText());
    return data;
}

void LinesEdit::copy()
{
    if (HasSelection())
        QGuiApplication::clipboard()->setMimeData(SelectionMimeData());
}

void LinesEdit::cut()
{
    if (!HasSelection())
        return;
    copy();
    ReplaceSelection(QString());
}

void LinesEdit::paste()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data && data->hasText())
        ReplaceSelection(data->text());
}

qsizetype LinesEdit::FirstVisibleLine() const
{
    return verticalScrollBar()->value();
}

int LinesEdit::LineHeight() const
{
    return std::max(1, fontMetrics().height());
}

int LinesEdit::VisibleLineCount() const
{
    return std::max(0, (viewport()->height() - kMargin) / LineHeight());
}

qreal LinesEdit::TextLeft() const
{
    return kMargin - horizontalScrollBar()->value();
}

QRect LinesEdit::CharacterRect(TextPos pos) const
{
    pos = Store().Clamp(pos);
    const QTextLine line = LayoutOf(pos.line).lineAt(0);
    const qreal x = line.cursorToX(static_cast<int>(pos.column));
    qreal next = x + fontMetrics().averageCharWidth();
    if (pos.column < Store().LineLength(pos.line))
        next = line.cursorToX(static_cast<int>(pos.column + 1));
    const qreal top = kMargin + (pos.line - FirstVisibleLine()) * LineHeight();
    return QRectF(TextLeft() + x, top, std::max<qreal>(1, next - x), LineHeight()).toAlignedRect();
}

TextPos LinesEdit::PosAt(QPointF point) const
{
    const qsizetype offset = static_cast<qsizetype>(std::floor((point.y() - kMargin) / LineHeight()));
    const TextPos lineStart = Store().Clamp({FirstVisibleLine() + offset, 0});
    const QTextLine line = LayoutOf(lineStart.line).lineAt(0);
    return {lineStart.line, line.xToCursor(point.x() - TextLeft())};
}

QTextLayout& LinesEdit::LayoutOf(qsizetype index) const
{
    auto found = layouts_.find(index);
    if (found != layouts_.end())
        return *found->second;
    if (layouts_.size() >= kKeptLayouts)
        layouts_.clear();
    auto layout = std::make_unique<QTextLayout>(Store().LineText(index), font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout->setTextOption(option);
    const BoldSpans spans = Store().BoldIn(index);
    if (!spans.empty()) {
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        QList<QTextLayout::FormatRange> ranges;
        for (const BoldSpan& span : spans)
            ranges.append({static_cast<int>(span.start), static_cast<int>(span.length), bold});
        layout->setFormats(ranges);
    }
    layout->beginLayout();
    QTextLine line = layout->createLine();
    line.setLineWidth(1e7);
    line.setPosition(QPointF(0, 0));
    layout->endLayout();
    widest_ = std::max(widest_, line.naturalTextWidth());
    return *layouts_.emplace(index, std::move(layout)).first->second;
}

void LinesEdit::ForgetLayouts()
{
    layouts_.clear();
}

void LinesEdit::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const qsizetype first = FirstVisibleLine();
    const qsizetype last = std::min(Store().LineCount() - 1, first + VisibleLineCount() + 1);
    const TextPos selStart = SelectionStart();
    const TextPos selEnd = SelectionEnd();
    const QPalette& colours = palette();
    QTextCharFormat selected;
    selected.setBackground(colours.brush(QPalette::Highlight));
    selected.setForeground(colours.brush(QPalette::HighlightedText));
    painter.setPen(colours.color(QPalette::Text));
    for (qsizetype i = first; i <= last; ++i) {
        QTextLayout& layout = LayoutOf(i);
        const QPointF at(TextLeft(), kMargin + (i - first) * LineHeight());
        QList<QTextLayout::FormatRange> selection;
        if (HasSelection() && i >= selStart.line && i <= selEnd.line) {
            const qsizetype from = i == selStart.line ? selStart.column : 0;
            const qsizetype to = i == selEnd.line ? selEnd.column : Store().LineLength(i);
            if (to > from)
                selection.append({static_cast<int>(from), static_cast<int>(to - from), selected});
            // A selected line break shows as a little selected space.
            if (i < selEnd.line) {
                const qreal end = layout.lineAt(0).naturalTextWidth();
                painter.fillRect(QRectF(at.x() + end, at.y(), fontMetrics().horizontalAdvance(u' '), LineHeight()),
                                 colours.brush(QPalette::Highlight));
            }
        }
        layout.draw(&painter, at, selection);
        if (i == CursorPos().line && caretShown_)
            layout.drawCursor(&painter, at, static_cast<int>(CursorPos().column), 1);
    }
}

void LinesEdit::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void LinesEdit::scrollContentsBy(int, int)
{
    viewport()->update();
}

void LinesEdit::ScheduleScrollBars()
{
    if (!scrollBarsLater_.isActive())
        scrollBarsLater_.start();
}

void LinesEdit::UpdateScrollBars()
{
    scrollBarsLater_.stop();
    const int shown = std::max(1, VisibleLineCount());
    QScrollBar* vertical = verticalScrollBar();
    vertical->setPageStep(shown);
    vertical->setRange(0, static_cast<int>(std::max<qsizetype>(0, Store().LineCount() - shown)));
    // The line with most characters stands for the widest; lines laid out
    // on screen correct the guess upwards.
    LayoutOf(Store().LongestLine());
    QScrollBar* horizontal = horizontalScrollBar();
    const int room = std::max(0, viewport()->width() - 2 * kMargin);
    horizontal->setPageStep(room);
    horizontal->setRange(0, std::max(0, static_cast<int>(std::ceil(widest_)) + 2 - room));
}

void LinesEdit::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    RestartBlink();
}

void LinesEdit::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    blink_.stop();
    caretShown_ = false;
    viewport()->update();
}

void LinesEdit::RestartBlink()
{
    if (!hasFocus())
        return;
    caretShown_ = true;
    const int period = QGuiApplication::styleHints()->cursorFlashTime() / 2;
    if (period > 0)
        blink_.start(period, this);
    else
        blink_.stop();
    viewport()->update(CharacterRect(CursorPos()).adjusted(-2, 0, 2, 0));
}

void LinesEdit::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != blink_.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    caretShown_ = !caretShown_;
    viewport()->update(CharacterRect(CursorPos()).adjusted(-2, 0, 2, 0));
}

void LinesEdit::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        ForgetLayouts();
        widest_ = 0;
        UpdateScrollBars();
        viewport()->update();
    }
}

} // namespace kiv
