#include "lines/LinesEdit.h"

#include "lines/LinesEditAccessible.h"
#include "lines/LinesEditInput.h"
#include "lines/LinesEditLayout.h"
#include "lines/ShownText.h"

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

// How long measuring long lines may hold the window at a time.
constexpr qint64 kMeasureBudgetMs = 4;
// Steps of the horizontal scroll bar, well inside an int.
constexpr double kScrollRange = 1e9;
// Text changes are told to screen readers with the changed text up to this
// length: a whole year of results read out would help no one, and building
// it would hold the window.
constexpr qsizetype kAnnouncedLength = 1 << 16;

} // namespace

LinesEdit::LinesEdit(QWidget* parent)
    : QAbstractScrollArea(parent)
    , layout_(std::make_unique<LinesEditLayout>(doc_, [this] { measureLater_.start(); }))
    , input_(std::make_unique<LinesEditInput>(*this, *layout_))
{
    InstallLinesEditAccessibility();
    layout_->SetFont(font());
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
    measureLater_.setSingleShot(true);
    measureLater_.setInterval(0);
    connect(&measureLater_, &QTimer::timeout, this, &LinesEdit::MeasureSome);
    UpdateScrollBars();
}

LinesEdit::~LinesEdit() = default;

// ---- The text ----

void LinesEdit::AppendLines(LineBatch&& lines)
{
    const TextPos oldCursor = CursorPos();
    const TextPos oldAnchor = AnchorPos();
    // A caret carried to the new end keeps its column for Up and Down, as
    // QPlainTextEdit's does.
    if (oldCursor == Store().End() && oldCursor.column > 0)
        input_->KeepColumn();
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
    // A screen reader is told how much went, not the whole text.
    doc_.SetKeepRemovedText(false);
    LineStore taken = doc_.TakeLines();
    CaretChanged(oldCursor, oldAnchor);
    return taken;
}

// Every change of the text, whoever made it: what was laid out there is
// laid out again, and screen readers hear what changed.
void LinesEdit::TextChangedBy(const LineDocument::Change& change)
{
    if (Store().LineCount() == 1 && Store().LineLength(0) == 0) {
        ForgetLayouts();
        UpdateScrollBars();
        viewport()->update();
    } else {
        ForgetLines(change.from, change.appended || change.removedEnd.line != change.from.line
                                     || change.insertedEnd.line != change.from.line);
        if (!change.appended || change.from.line <= FirstVisibleLine() + VisibleLineCount())
            viewport()->update();
    }
    if (QAccessible::isActive())
        AnnounceChange(change);
    emit textChanged();
}

void LinesEdit::AnnounceChange(const LineDocument::Change& change)
{
    const int at = static_cast<int>(change.offset);
    // What was removed is told by its text when kept, else by its length as
    // Qt's own text boxes do; what came in by its text, up to a length a
    // screen reader can use.
    const QString removed = !change.removedText.isEmpty()
                                ? ShownText(change.removedText)
                                : QString(std::min(change.removedCharacters, kAnnouncedLength), u' ');
    const QString inserted = ShownText(Store().PlainText(
        change.from, Store().PosOfOffset(change.offset + std::min(change.insertedCharacters, kAnnouncedLength))));
    if (change.removedCharacters == 0) {
        QAccessibleTextInsertEvent event(this, at, inserted);
        Announce(event);
    } else if (change.insertedCharacters == 0) {
        QAccessibleTextRemoveEvent event(this, at, removed);
        Announce(event);
    } else {
        QAccessibleTextUpdateEvent event(this, at, removed, inserted);
        Announce(event);
    }
}

void LinesEdit::ReplaceRange(TextPos from, TextPos to, const QString& text, LineDocument::EditKind kind)
{
    const TextPos oldCursor = CursorPos();
    const TextPos oldAnchor = AnchorPos();
    doc_.SetKeepRemovedText(QAccessible::isActive()
                            && std::abs(Store().OffsetOf(to) - Store().OffsetOf(from)) <= kAnnouncedLength);
    doc_.Replace(from, to, text, kind);
    input_->ForgetColumn();
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

void LinesEdit::AfterUndoOrRedo(TextPos oldCursor, TextPos oldAnchor)
{
    input_->ForgetColumn();
    CaretChanged(oldCursor, oldAnchor);
    EnsureCursorVisible();
}

// ---- The caret and the selection ----

void LinesEdit::SetCursor(TextPos pos, bool keepAnchor)
{
    const TextPos oldCursor = CursorPos();
    const TextPos oldAnchor = AnchorPos();
    const TextPos cursor = Store().Clamp(pos);
    doc_.SetSelection(keepAnchor ? oldAnchor : cursor, cursor);
    input_->ForgetColumn();
    CaretChanged(oldCursor, oldAnchor);
}

void LinesEdit::SetSelection(TextPos anchor, TextPos cursor)
{
    const TextPos oldCursor = CursorPos();
    const TextPos oldAnchor = AnchorPos();
    doc_.SetSelection(anchor, cursor);
    input_->ForgetColumn();
    CaretChanged(oldCursor, oldAnchor);
}

void LinesEdit::selectAll()
{
    SetSelection({0, 0}, Store().End());
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
    const bool hadSelection = oldCursor != oldAnchor;
    const bool selectionMoved = (hadSelection || HasSelection())
                                && std::minmax(oldCursor, oldAnchor) != std::minmax(CursorPos(), AnchorPos());
    if (HasSelection())
        input_->OfferSelection();
    if (QAccessible::isActive())
        AnnounceCaret(oldCursor, selectionMoved);
    if (oldCursor != CursorPos())
        emit cursorPositionChanged();
    if (hadSelection || HasSelection())
        emit selectionChanged();
}

void LinesEdit::AnnounceCaret(TextPos oldCursor, bool selectionMoved)
{
    const int offset = static_cast<int>(Store().OffsetOf(CursorPos()));
    if (selectionMoved) {
        QAccessibleTextSelectionEvent selection(this, static_cast<int>(Store().OffsetOf(SelectionStart())),
                                                static_cast<int>(Store().OffsetOf(SelectionEnd())));
        selection.setCursorPosition(offset);
        Announce(selection);
    }
    if (oldCursor != CursorPos()) {
        QAccessibleTextCursorEvent moved(this, offset);
        Announce(moved);
    }
}

void LinesEdit::Announce(QAccessibleEvent& event)
{
    if (QAccessible::isActive())
        QAccessible::updateAccessibility(&event);
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
    const double x = layout_->XOf(CursorPos());
    // The caret's line may be wider than the scroll range knew.
    if (x + 2 > layout_->Widest()) {
        layout_->Widen(layout_->LineWidth(CursorPos().line));
        UpdateScrollBars();
    }
    const double offset = HorizontalOffset();
    const int room = viewport()->width() - 2 * kMargin;
    if (x < offset)
        SetHorizontalOffset(x);
    else if (x > offset + room)
        SetHorizontalOffset(std::ceil(x) - room);
}

// ---- The clipboard ----

QMimeData* LinesEdit::SelectionData(MimeMaker make, QStringList formats) const
{
    return input_->SelectionData(std::move(make), std::move(formats));
}

QMimeData* LinesEdit::SelectionMimeData() const
{
    return SelectionData([](const LineStore& text, TextPos from, TextPos to,
                            QMimeData& out) { out.setText(text.PlainText(from, to)); },
                         {QStringLiteral("text/plain")});
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
    input_->Paste();
}

// ---- Where the text lies ----

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

double LinesEdit::HorizontalOffset() const
{
    return horizontalScrollBar()->value() * horizontalUnit_;
}

void LinesEdit::SetHorizontalOffset(double x)
{
    horizontalScrollBar()->setValue(static_cast<int>(std::clamp(std::round(x / horizontalUnit_), 0.0, 2e9)));
}

qreal LinesEdit::TextLeft() const
{
    return kMargin - HorizontalOffset();
}

QRect LinesEdit::CharacterRect(TextPos pos) const
{
    pos = Store().Clamp(pos);
    const double x = layout_->XOf(pos);
    double next = x + fontMetrics().averageCharWidth();
    if (pos.column < Store().LineLength(pos.line))
        next = layout_->XOf({pos.line, pos.column + 1});
    const qreal top = kMargin + (pos.line - FirstVisibleLine()) * LineHeight();
    return QRectF(TextLeft() + x, top, std::max<qreal>(1, next - x), LineHeight()).toAlignedRect();
}

TextPos LinesEdit::PosAt(QPointF point) const
{
    const qsizetype offset = static_cast<qsizetype>(std::floor((point.y() - kMargin) / LineHeight()));
    const TextPos lineStart = Store().Clamp({FirstVisibleLine() + offset, 0});
    return layout_->PosAtX(lineStart.line, point.x() - TextLeft());
}

// ---- Layouts ----

void LinesEdit::ForgetLines(TextPos from, bool linesAfterToo)
{
    layout_->ForgetLines(from, linesAfterToo);
    ScheduleScrollBars();
}

void LinesEdit::ForgetLayouts()
{
    layout_->ForgetAll();
}

void LinesEdit::MeasureSome()
{
    // A caret on screen stays there when the measures move it.
    const TextPos caret = CursorPos();
    const double offset = HorizontalOffset();
    const double caretX = layout_->HasWidths(caret.line) ? layout_->XOf(caret) : -1;
    const qsizetype first = FirstVisibleLine();
    const qsizetype last = first + VisibleLineCount() + 1;
    const bool caretShown = caretX >= offset && caretX <= offset + viewport()->width() - 2 * kMargin
                            && caret.line >= first && caret.line < first + VisibleLineCount();
    const LinesEditLayout::Measured measured = layout_->MeasureSome(kMeasureBudgetMs, first, last);
    if (measured.more)
        measureLater_.start();
    if (caretShown && layout_->XOf(caret) != caretX)
        EnsureCursorVisible();
    ScheduleScrollBars();
    if (measured.shownChanged)
        viewport()->update();
}

// ---- Painting and scrolling ----

void LinesEdit::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const qreal widestBefore = layout_->Widest();
    const qsizetype first = FirstVisibleLine();
    // Only the lines, and the pieces of them, that the repaint asks for: a
    // caret's blink redraws the caret.
    const QRect asked = event->rect();
    const qsizetype top = first + std::max(0, (asked.top() - kMargin) / LineHeight());
    const qsizetype last = std::min({Store().LineCount() - 1, first + VisibleLineCount() + 1,
                                     first + std::max(0, (asked.bottom() - kMargin) / LineHeight())});
    painter.setPen(palette().color(QPalette::Text));
    // The part of each line asked for, from its start.
    const double left = HorizontalOffset() - kMargin + asked.left();
    const double right = HorizontalOffset() - kMargin + asked.right() + 1;
    for (qsizetype i = top; i <= last; ++i)
        PaintLine(painter, i, kMargin + (i - first) * LineHeight(), left, right);
    if (layout_->Widest() > widestBefore)
        ScheduleScrollBars();
}

// The pieces of a line between two distances from its start, its
// selection and the caret.
void LinesEdit::PaintLine(QPainter& painter, qsizetype line, qreal y, double left, double right)
{
    const TextPos selStart = SelectionStart();
    const TextPos selEnd = SelectionEnd();
    QTextCharFormat selected;
    selected.setBackground(palette().brush(QPalette::Highlight));
    selected.setForeground(palette().brush(QPalette::HighlightedText));
    const qsizetype length = Store().LineLength(line);
    const bool inSelection = HasSelection() && line >= selStart.line && line <= selEnd.line;
    const qsizetype selFrom = line == selStart.line ? selStart.column : 0;
    const qsizetype selTo = line == selEnd.line ? selEnd.column : length;
    const qsizetype pieces = layout_->PieceCount(line);
    const qsizetype lastPiece = layout_->PieceAtX(line, right);
    for (qsizetype piece = layout_->PieceAtX(line, left); piece <= lastPiece; ++piece) {
        const QPointF at(TextLeft() + layout_->PieceX(line, piece), y);
        QTextLayout& text = layout_->LayoutOf(line, piece);
        const qsizetype from = piece * LinesEditLayout::kPiece;
        const qsizetype to = std::min(length, from + (pieces == 1 ? length : LinesEditLayout::kPiece));
        QList<QTextLayout::FormatRange> selection;
        const qsizetype a = std::max(selFrom, from);
        const qsizetype b = std::min(selTo, to);
        if (inSelection && b > a) {
            const int start = layout_->LayoutColumn({line, a}, false);
            selection.append({start, layout_->LayoutColumn({line, b}, false) - start, selected});
        }
        text.draw(&painter, at, selection);
        if (line == CursorPos().line && caretShown_ && piece == layout_->PieceOf(CursorPos()))
            text.drawCursor(&painter, at, layout_->LayoutColumn(CursorPos(), true), 1);
    }
    // A selected line break shows as a little selected space.
    if (inSelection && line < selEnd.line) {
        const double end = layout_->LineWidth(line);
        if (end <= right)
            painter.fillRect(QRectF(TextLeft() + end, y, fontMetrics().horizontalAdvance(u' '), LineHeight()),
                             palette().brush(QPalette::Highlight));
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
    layout_->Widen(layout_->LineWidth(Store().LongestLine()));
    const qreal widest = layout_->Widest();
    QScrollBar* horizontal = horizontalScrollBar();
    const double offset = HorizontalOffset();
    const int room = std::max(0, viewport()->width() - 2 * kMargin);
    const double beyond = std::max(0.0, std::ceil(widest) + 2 - room);
    // A scroll bar counts in int: a line of a few hundred million characters
    // is scrolled in steps of several pixels.
    horizontalUnit_ = std::max(1.0, std::ceil(beyond / kScrollRange));
    horizontal->setPageStep(std::max(1, static_cast<int>(room / horizontalUnit_)));
    horizontal->setSingleStep(std::max(1, static_cast<int>(20 / horizontalUnit_)));
    horizontal->setRange(0, static_cast<int>(std::ceil(beyond / horizontalUnit_)));
    horizontal->setValue(static_cast<int>(std::round(std::min(offset, beyond) / horizontalUnit_)));
}

// ---- Focus, the caret's blink and the font ----

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
        layout_->SetFont(font());
        UpdateScrollBars();
        viewport()->update();
    }
}

// ---- Input, handed to LinesEditInput ----

bool LinesEdit::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && input_->ClaimShortcut(static_cast<QKeyEvent*>(event)))
        return true;
    return QAbstractScrollArea::event(event);
}

void LinesEdit::keyPressEvent(QKeyEvent* event)
{
    if (!input_->KeyPress(event))
        QAbstractScrollArea::keyPressEvent(event);
}

void LinesEdit::mousePressEvent(QMouseEvent* event)
{
    if (!input_->MousePress(event))
        QAbstractScrollArea::mousePressEvent(event);
}

void LinesEdit::mouseMoveEvent(QMouseEvent* event)
{
    input_->MouseMove(event);
}

void LinesEdit::mouseReleaseEvent(QMouseEvent* event)
{
    input_->MouseRelease(event);
}

void LinesEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    input_->MouseDoubleClick(event);
}

void LinesEdit::contextMenuEvent(QContextMenuEvent* event)
{
    input_->ContextMenu(event);
}

void LinesEdit::inputMethodEvent(QInputMethodEvent* event)
{
    input_->InputMethod(event);
    // The text being composed sits inside the caret's line.
    ForgetLines({CursorPos().line, 0}, false);
    RestartBlink();
    viewport()->update();
}

QVariant LinesEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (std::optional<QVariant> answer = input_->InputMethodQuery(query))
        return *answer;
    return QAbstractScrollArea::inputMethodQuery(query);
}

} // namespace kiv
