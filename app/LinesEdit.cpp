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

TextPos EndOfRun(TextPos from, const LineRun& run)
{
    if (run.size() <= 1)
        return {from.line, from.column + (run.empty() ? 0 : run.front().text.size())};
    return {from.line + static_cast<qsizetype>(run.size()) - 1, run.back().text.size()};
}
} // namespace

LinesEdit::LinesEdit(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    InstallLinesEditAccessibility();
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

void LinesEdit::AppendLines(std::vector<StoredLine>&& lines)
{
    if (lines.empty())
        return;
    const qsizetype oldLast = store_.LineCount() - 1;
    const bool lastShown = oldLast <= FirstVisibleLine() + VisibleLineCount();
    const qsizetype at = QAccessible::isActive() ? store_.CharacterCount() : 0;
    const TextPos oldEnd{oldLast, store_.LineLength(oldLast)};
    const TextPos oldCursor = cursor_;
    const TextPos oldAnchor = anchor_;
    layouts_.erase(oldLast);
    store_.AppendLines(std::move(lines));
    // A caret at the end of the text stays at its end, as when the lines are
    // pasted there; anywhere else it stays where the user left it.
    if (cursor_ == oldEnd && anchor_ == oldEnd) {
        const qsizetype last = store_.LineCount() - 1;
        cursor_ = anchor_ = {last, store_.LineLength(last)};
    }
    ScheduleScrollBars();
    if (lastShown)
        viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTextInsertEvent inserted(this, static_cast<int>(at),
                                            store_.PlainText(store_.PosOfOffset(at), {store_.LineCount(), 0}));
        QAccessible::updateAccessibility(&inserted);
    }
    emit textChanged();
    CaretChanged(oldCursor, oldAnchor);
}

LineList LinesEdit::TakeLines()
{
    const TextPos oldCursor = cursor_;
    const TextPos oldAnchor = anchor_;
    const QString removed = QAccessible::isActive() ? store_.PlainText() : QString();
    LineList taken = store_.TakeLines();
    undo_.clear();
    redo_.clear();
    cursor_ = anchor_ = {};
    ForgetLayouts();
    widest_ = 0;
    UpdateScrollBars();
    viewport()->update();
    if (QAccessible::isActive() && !removed.isEmpty()) {
        QAccessibleTextRemoveEvent emptied(this, 0, removed);
        QAccessible::updateAccessibility(&emptied);
    }
    emit textChanged();
    CaretChanged(oldCursor, oldAnchor);
    return taken;
}

void LinesEdit::SetCursor(TextPos pos, bool keepAnchor)
{
    const TextPos oldCursor = cursor_;
    const TextPos oldAnchor = anchor_;
    cursor_ = store_.Clamp(pos);
    if (!keepAnchor)
        anchor_ = cursor_;
    wantedX_ = -1;
    CaretChanged(oldCursor, oldAnchor);
}

void LinesEdit::SetSelection(TextPos anchor, TextPos cursor)
{
    const TextPos oldCursor = cursor_;
    const TextPos oldAnchor = anchor_;
    anchor_ = store_.Clamp(anchor);
    cursor_ = store_.Clamp(cursor);
    wantedX_ = -1;
    CaretChanged(oldCursor, oldAnchor);
}

void LinesEdit::CaretChanged(TextPos oldCursor, TextPos oldAnchor)
{
    if (oldCursor == cursor_ && oldAnchor == anchor_)
        return;
    RestartBlink();
    // A caret carried along below the screen by appended lines needs no
    // repaint.
    const qsizetype first = FirstVisibleLine();
    const qsizetype last = first + VisibleLineCount() + 1;
    const TextPos ends[] = {oldCursor, oldAnchor, cursor_, anchor_};
    if (std::any_of(std::begin(ends), std::end(ends), [&](TextPos p) { return p.line >= first && p.line <= last; })
        || SelectionStart().line < first)
        viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent moved(this, static_cast<int>(store_.OffsetOf(cursor_)));
        QAccessible::updateAccessibility(&moved);
    }
    if (oldCursor != cursor_)
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
    if (cursor_.line < first)
        vertical->setValue(static_cast<int>(cursor_.line));
    else if (cursor_.line >= first + shown)
        vertical->setValue(static_cast<int>(cursor_.line - shown + 1));
    const qreal x = LayoutOf(cursor_.line).lineAt(0).cursorToX(static_cast<int>(cursor_.column));
    QScrollBar* horizontal = horizontalScrollBar();
    const int room = viewport()->width() - 2 * kMargin;
    if (x < horizontal->value())
        horizontal->setValue(static_cast<int>(x));
    else if (x > horizontal->value() + room)
        horizontal->setValue(static_cast<int>(std::ceil(x)) - room);
}

void LinesEdit::ReplaceRange(TextPos from, TextPos to, const QString& text)
{
    from = store_.Clamp(from);
    to = store_.Clamp(to);
    if (to < from)
        std::swap(from, to);
    UndoStep step;
    step.from = from;
    step.removed = store_.Extract(from, to);
    step.inserted = LineStore::RunOfText(text);
    step.cursorBefore = cursor_;
    step.anchorBefore = anchor_;
    Apply(step, true);
    Record(std::move(step));
}

void LinesEdit::TypeText(const QString& text)
{
    const bool extendsLast = !HasSelection() && !undo_.empty() && undo_.back().typing
                             && EndOfRun(undo_.back().from, undo_.back().inserted) == cursor_
                             && !text.contains(u'\n');
    if (!extendsLast) {
        ReplaceSelection(text);
        if (!text.contains(u'\n'))
            undo_.back().typing = true;
        return;
    }
    // Letters typed one after another are undone together.
    UndoStep& last = undo_.back();
    const TextPos oldCursor = cursor_;
    const TextPos end = store_.Replace(cursor_, cursor_, LineStore::RunOfText(text));
    last.inserted.back().text += text;
    redo_.clear();
    layouts_.erase(cursor_.line);
    cursor_ = anchor_ = end;
    wantedX_ = -1;
    ScheduleScrollBars();
    if (QAccessible::isActive()) {
        QAccessibleTextInsertEvent inserted(this, static_cast<int>(store_.OffsetOf(oldCursor)), text);
        QAccessible::updateAccessibility(&inserted);
    }
    emit textChanged();
    CaretChanged(oldCursor, oldCursor);
    EnsureCursorVisible();
}

void LinesEdit::Apply(UndoStep& step, bool forward)
{
    const TextPos oldCursor = cursor_;
    const TextPos oldAnchor = anchor_;
    const LineRun& out = forward ? step.removed : step.inserted;
    const LineRun& in = forward ? step.inserted : step.removed;
    const qsizetype offset = QAccessible::isActive() ? store_.OffsetOf(step.from) : 0;
    const QString removedText = QAccessible::isActive()
                                    ? store_.PlainText(step.from, EndOfRun(step.from, out)) : QString();
    const TextPos end = store_.Replace(step.from, EndOfRun(step.from, out), in);
    if (forward) {
        cursor_ = anchor_ = end;
    } else {
        cursor_ = store_.Clamp(step.cursorBefore);
        anchor_ = store_.Clamp(step.anchorBefore);
    }
    wantedX_ = -1;
    ForgetLayouts();
    ScheduleScrollBars();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent updated(this, static_cast<int>(offset), removedText,
                                           store_.PlainText(step.from, end));
        QAccessible::updateAccessibility(&updated);
    }
    emit textChanged();
    CaretChanged(oldCursor, oldAnchor);
    EnsureCursorVisible();
}

void LinesEdit::Record(UndoStep step)
{
    redo_.clear();
    undo_.push_back(std::move(step));
}

void LinesEdit::undo()
{
    if (undo_.empty())
        return;
    UndoStep step = std::move(undo_.back());
    undo_.pop_back();
    Apply(step, false);
    redo_.push_back(std::move(step));
}

void LinesEdit::redo()
{
    if (redo_.empty())
        return;
    UndoStep step = std::move(redo_.back());
    redo_.pop_back();
    Apply(step, true);
    step.typing = false;
    undo_.push_back(std::move(step));
}

void LinesEdit::selectAll()
{
    SetSelection({0, 0}, {store_.LineCount() - 1, store_.LineLength(store_.LineCount() - 1)});
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
    pos = store_.Clamp(pos);
    const QTextLine line = LayoutOf(pos.line).lineAt(0);
    const qreal x = line.cursorToX(static_cast<int>(pos.column));
    qreal next = x + fontMetrics().averageCharWidth();
    if (pos.column < store_.LineLength(pos.line))
        next = line.cursorToX(static_cast<int>(pos.column + 1));
    const qreal top = kMargin + (pos.line - FirstVisibleLine()) * LineHeight();
    return QRectF(TextLeft() + x, top, std::max<qreal>(1, next - x), LineHeight()).toAlignedRect();
}

TextPos LinesEdit::PosAt(QPointF point) const
{
    const qsizetype offset = static_cast<qsizetype>(std::floor((point.y() - kMargin) / LineHeight()));
    const TextPos lineStart = store_.Clamp({FirstVisibleLine() + offset, 0});
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
    const StoredLine& stored = store_.Line(index);
    auto layout = std::make_unique<QTextLayout>(stored.text, font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout->setTextOption(option);
    if (!stored.bold.empty()) {
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        QList<QTextLayout::FormatRange> ranges;
        for (const BoldSpan& span : stored.bold)
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
    const qsizetype last = std::min(store_.LineCount() - 1, first + VisibleLineCount() + 1);
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
            const qsizetype to = i == selEnd.line ? selEnd.column : store_.LineLength(i);
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
        if (i == cursor_.line && caretShown_)
            layout.drawCursor(&painter, at, static_cast<int>(cursor_.column), 1);
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
    vertical->setRange(0, static_cast<int>(std::max<qsizetype>(0, store_.LineCount() - shown)));
    // The line with most characters stands for the widest; lines laid out
    // on screen correct the guess upwards.
    LayoutOf(store_.LongestLine());
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
    viewport()->update(CharacterRect(cursor_).adjusted(-2, 0, 2, 0));
}

void LinesEdit::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != blink_.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    caretShown_ = !caretShown_;
    viewport()->update(CharacterRect(cursor_).adjusted(-2, 0, 2, 0));
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
