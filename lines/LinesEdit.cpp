#include "lines/LinesEdit.h"

#include "lines/LinesEditAccessible.h"

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

// Lines, or pieces of long lines, laid out and kept for repainting; a
// screen shows far fewer.
constexpr std::size_t kKeptLayouts = 400;
// How long measuring long lines may hold the window at a time.
constexpr qint64 kMeasureBudgetMs = 4;
// Steps of the horizontal scroll bar, well inside an int.
constexpr double kScrollRange = 1e9;
// Text changes are told to screen readers with the changed text up to this
// length: a whole year of results read out would help no one, and building
// it would hold the window.
constexpr qsizetype kAnnouncedLength = 1 << 16;

// What is selected in a view, given to another program only when it asks
// for it through the X11 selection.
class LiveSelection : public QMimeData {
public:
    explicit LiveSelection(const LinesEdit* edit)
        : edit_(edit)
    {
    }
    void Follow(TextPos from, TextPos to)
    {
        from_ = std::min(from, to);
        to_ = std::max(from, to);
    }
    QStringList formats() const override { return {QStringLiteral("text/plain")}; }
    bool hasFormat(const QString& mime) const override { return mime == QLatin1String("text/plain"); }

protected:
    QVariant retrieveData(const QString& mime, QMetaType) const override
    {
        if (!edit_ || mime != QLatin1String("text/plain"))
            return {};
        return edit_->Store().PlainText(from_, to_);
    }

private:
    QPointer<const LinesEdit> edit_;
    TextPos from_;
    TextPos to_;
};

// A selection copied to the clipboard, made into text when a program asks
// for it, once.
class CopiedSelection : public QMimeData {
public:
    CopiedSelection(const LineStore& store, TextPos from, TextPos to, LinesEdit::MimeMaker make,
                    QStringList formats)
        : store_(store), from_(from), to_(to), make_(std::move(make)), formats_(std::move(formats))
    {
    }
    QStringList formats() const override { return formats_; }
    bool hasFormat(const QString& mime) const override { return formats_.contains(mime); }

protected:
    QVariant retrieveData(const QString& mime, QMetaType) const override
    {
        if (!formats_.contains(mime))
            return {};
        if (make_) {
            make_(store_, from_, to_, made_);
            make_ = nullptr;
            store_ = LineStore(); // what was made is all that is needed now
        }
        if (mime == QLatin1String("text/plain"))
            return made_.text();
        if (mime == QLatin1String("text/html"))
            return made_.html();
        return made_.data(mime);
    }

private:
    mutable LineStore store_;
    TextPos from_;
    TextPos to_;
    mutable LinesEdit::MimeMaker make_;
    QStringList formats_;
    mutable QMimeData made_;
};

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
    // Long lines are measured a little at a time between the window's other
    // work.
    measureLater_.setSingleShot(true);
    measureLater_.setInterval(0);
    connect(&measureLater_, &QTimer::timeout, this, &LinesEdit::MeasureSome);
    UpdateScrollBars();
}

LinesEdit::~LinesEdit() = default;

void LinesEdit::AppendLines(LineBatch&& lines)
{
    const TextPos oldCursor = CursorPos();
    const TextPos oldAnchor = AnchorPos();
    // A caret carried to the new end keeps its column for Up and Down, as
    // the stock text boxes do.
    const bool atEnd = oldCursor == Store().End();
    const double keepX = atEnd && wantedX_ < 0 && oldCursor.column > 0 ? XOf(oldCursor) : wantedX_;
    doc_.SetKeepRemovedText(false);
    doc_.AppendLines(std::move(lines));
    // A caret at the end of the text stays at its end, as when the lines are
    // pasted there; anywhere else it stays where the user left it.
    CaretChanged(oldCursor, oldAnchor);
    wantedX_ = keepX;
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
    if (QAccessible::isActive()) {
        const int at = static_cast<int>(change.offset);
        // What was removed is told by its text when kept, else by its length
        // as Qt's own text boxes do; what came in by its text, up to a
        // length a screen reader can use.
        const QString removed = !change.removedText.isEmpty()
                                    ? change.removedText
                                    : QString(std::min(change.removedCharacters, kAnnouncedLength), u' ');
        const QString inserted = Store().PlainText(
            change.from, Store().PosOfOffset(change.offset + std::min(change.insertedCharacters, kAnnouncedLength)));
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
    const bool hadSelection = oldCursor != oldAnchor;
    const bool selectionMoved = (hadSelection || HasSelection())
                                && std::minmax(oldCursor, oldAnchor) != std::minmax(CursorPos(), AnchorPos());
    if (HasSelection())
        OfferSelection();
    if (QAccessible::isActive()) {
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
    if (oldCursor != CursorPos())
        emit cursorPositionChanged();
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
    const double x = XOf(CursorPos());
    // The caret's line may be wider than the scroll range knew.
    if (x + 2 > widest_) {
        widest_ = std::max<qreal>(widest_, LineWidth(CursorPos().line));
        UpdateScrollBars();
    }
    const double offset = HorizontalOffset();
    const int room = viewport()->width() - 2 * kMargin;
    if (x < offset)
        SetHorizontalOffset(x);
    else if (x > offset + room)
        SetHorizontalOffset(std::ceil(x) - room);
}

void LinesEdit::ReplaceRange(TextPos from, TextPos to, const QString& text, LineDocument::EditKind kind)
{
    const TextPos oldCursor = CursorPos();
    const TextPos oldAnchor = AnchorPos();
    doc_.SetKeepRemovedText(QAccessible::isActive()
                            && std::abs(Store().OffsetOf(to) - Store().OffsetOf(from)) <= kAnnouncedLength);
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

void LinesEdit::Announce(QAccessibleEvent& event)
{
    if (QAccessible::isActive())
        QAccessible::updateAccessibility(&event);
}

void LinesEdit::OfferSelection()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection())
        return;
    // Another program taking the X11 selection deletes what was offered.
    if (!offeredSelection_) {
        auto* live = new LiveSelection(this);
        live->Follow(AnchorPos(), CursorPos());
        offeredSelection_ = live;
        clipboard->setMimeData(live, QClipboard::Selection);
    }
    static_cast<LiveSelection*>(offeredSelection_.data())->Follow(AnchorPos(), CursorPos());
}

void LinesEdit::selectAll()
{
    SetSelection({0, 0}, Store().End());
}

QMimeData* LinesEdit::SelectionData(MimeMaker make, QStringList formats) const
{
    // A large selection is copied as a copy of the text's lines, which
    // shares their characters, and made into text only when pasted: copying
    // a year of results, or a giant line, does not hold the window.
    if (Store().OffsetOf(SelectionEnd()) - Store().OffsetOf(SelectionStart()) > kAnnouncedLength)
        return new CopiedSelection(Store(), SelectionStart(), SelectionEnd(), std::move(make), std::move(formats));
    auto* data = new QMimeData;
    make(Store(), SelectionStart(), SelectionEnd(), *data);
    return data;
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

qsizetype LinesEdit::PieceCount(qsizetype line) const
{
    const qsizetype length = Store().LineLength(line);
    return length <= kPiece ? 1 : (length + kPiece - 1) / kPiece;
}

qsizetype LinesEdit::PieceOf(TextPos pos) const
{
    return std::min(pos.column / kPiece, PieceCount(pos.line) - 1);
}

// Where a column of the line falls in its piece's layout, which also holds
// the text being composed at the caret.
int LinesEdit::LayoutColumn(TextPos pos, bool caret) const
{
    const qsizetype piece = PieceOf(pos);
    qsizetype local = pos.column - piece * kPiece;
    if (!preedit_.isEmpty() && pos.line == CursorPos().line && piece == PieceOf(CursorPos())) {
        const qsizetype at = CursorPos().column - piece * kPiece;
        if (local > at || (caret && local == at))
            local += local == at ? preeditCursor_ : preedit_.size();
    }
    return static_cast<int>(local);
}

QTextLayout& LinesEdit::LayoutOf(qsizetype line, qsizetype piece) const
{
    const LayoutKey key{line, piece};
    auto found = layouts_.find(key);
    if (found != layouts_.end())
        return *found->second;
    if (layouts_.size() >= kKeptLayouts)
        layouts_.clear();
    const bool single = PieceCount(line) == 1;
    const qsizetype from = piece * kPiece;
    QString text = Store().LineText(line, from, single ? Store().LineLength(line) : kPiece);
    // A NUL that a crafted request put into a log is shown as a space; the
    // text keeps the byte, so that saved results keep it too.
    text.replace(QChar(0), QLatin1Char(' '));
    QFont pieceFont = font();
    // The pieces of a long line are placed by the sum of their characters'
    // advances, which kerning would contradict.
    if (!single)
        pieceFont.setKerning(false);
    auto layout = std::make_unique<QTextLayout>(text, pieceFont);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout->setTextOption(option);

    // Text being composed at the caret sits inside the layout: what follows
    // it moves right by its length.
    qsizetype composedAt = -1;
    if (!preedit_.isEmpty() && line == CursorPos().line && piece == PieceOf(CursorPos())) {
        composedAt = CursorPos().column - from;
        layout->setPreeditArea(static_cast<int>(composedAt), preedit_);
    }
    QList<QTextLayout::FormatRange> ranges;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    for (const BoldSpan& span : Store().BoldIn(line, from, text.size())) {
        qsizetype start = span.start;
        qsizetype end = span.start + span.length;
        if (composedAt >= 0 && end > composedAt) {
            if (start < composedAt)
                ranges.append({static_cast<int>(start), static_cast<int>(composedAt - start), bold});
            start = std::max(start, composedAt) + preedit_.size();
            end += preedit_.size();
        }
        ranges.append({static_cast<int>(start), static_cast<int>(end - start), bold});
    }
    if (composedAt >= 0) {
        for (const QInputMethodEvent::Attribute& a : preeditFormats_) {
            const QTextCharFormat format = a.value.value<QTextFormat>().toCharFormat();
            if (format.isValid())
                ranges.append({static_cast<int>(composedAt + a.start), a.length, format});
        }
    }
    layout->setFormats(ranges);
    layout->beginLayout();
    QTextLine textLine = layout->createLine();
    textLine.setLineWidth(1e7);
    textLine.setPosition(QPointF(0, 0));
    layout->endLayout();
    if (single)
        widest_ = std::max(widest_, textLine.naturalTextWidth());
    return *layouts_.emplace(key, std::move(layout)).first->second;
}

LinesEdit::LineWidths& LinesEdit::WidthsOf(qsizetype line) const
{
    auto found = widths_.find(line);
    if (found != widths_.end())
        return found->second;
    LineWidths& widths = widths_[line];
    widths.estimate = kPiece * fontMetrics().averageCharWidth();
    measureLater_.start();
    return widths;
}

double LinesEdit::MeasurePiece(qsizetype line, qsizetype piece) const
{
    if (!advancesKnown_) {
        QFont boldFont = font();
        boldFont.setBold(true);
        const QFontMetricsF plain(font());
        const QFontMetricsF heavy(boldFont);
        for (int c = 0; c < 256; ++c) {
            const QChar shown(c == 0 ? ' ' : c); // as the layout shows a NUL
            advances_[0][c] = static_cast<float>(plain.horizontalAdvance(shown));
            advances_[1][c] = static_cast<float>(heavy.horizontalAdvance(shown));
        }
        advancesKnown_ = true;
    }
    const qsizetype from = piece * kPiece;
    const QString text = Store().LineText(line, from, kPiece);
    const BoldSpans bold = Store().BoldIn(line, from, text.size());
    double width = 0;
    const BoldSpan* span = bold.begin();
    for (qsizetype i = 0; i < text.size(); ++i) {
        while (span != bold.end() && span->start + span->length <= i)
            ++span;
        const bool inBold = span != bold.end() && span->start <= i;
        const char16_t c = text[i].unicode();
        if (c < 256) {
            width += advances_[inBold ? 1 : 0][c];
        } else {
            QFont other = font();
            other.setBold(inBold);
            width += QFontMetricsF(other).horizontalAdvance(text[i]);
        }
    }
    return width;
}

void LinesEdit::MeasureSome()
{
    QElapsedTimer clock;
    clock.start();
    // A caret on screen stays there when the measures move it.
    const double offset = HorizontalOffset();
    const double caretX = widths_.count(CursorPos().line) ? XOf(CursorPos()) : -1;
    const bool caretShown = caretX >= offset && caretX <= offset + viewport()->width() - 2 * kMargin
                            && CursorPos().line >= FirstVisibleLine()
                            && CursorPos().line < FirstVisibleLine() + VisibleLineCount();
    bool more = false;
    bool shownChanged = false;
    const qsizetype first = FirstVisibleLine();
    const qsizetype last = first + VisibleLineCount() + 1;
    for (auto& [line, widths] : widths_) {
        const qsizetype count = PieceCount(line);
        qsizetype measured = static_cast<qsizetype>(widths.starts.size()) - 1;
        if (measured >= count)
            continue;
        while (measured < count && !(more = clock.elapsed() >= kMeasureBudgetMs)) {
            widths.starts.push_back(widths.starts.back() + MeasurePiece(line, measured));
            ++measured;
        }
        widths.estimate = widths.starts.back() / static_cast<double>(measured);
        shownChanged = shownChanged || (line >= first && line <= last);
        if (more)
            break;
    }
    if (more)
        measureLater_.start();
    if (caretShown && XOf(CursorPos()) != caretX)
        EnsureCursorVisible();
    ScheduleScrollBars();
    if (shownChanged)
        viewport()->update();
}

double LinesEdit::PieceX(qsizetype line, qsizetype piece) const
{
    if (piece == 0 || PieceCount(line) == 1)
        return 0;
    const LineWidths& widths = WidthsOf(line);
    const qsizetype measured = static_cast<qsizetype>(widths.starts.size()) - 1;
    if (piece <= measured)
        return widths.starts[static_cast<std::size_t>(piece)];
    return widths.starts.back() + static_cast<double>(piece - measured) * widths.estimate;
}

double LinesEdit::LineWidth(qsizetype line) const
{
    const qsizetype count = PieceCount(line);
    if (count == 1)
        return LayoutOf(line, 0).lineAt(0).naturalTextWidth();
    const LineWidths& widths = WidthsOf(line);
    if (static_cast<qsizetype>(widths.starts.size()) - 1 == count)
        return widths.starts.back();
    const qsizetype lastLength = Store().LineLength(line) - (count - 1) * kPiece;
    return PieceX(line, count - 1) + widths.estimate * static_cast<double>(lastLength) / kPiece;
}

qsizetype LinesEdit::PieceAtX(qsizetype line, double x) const
{
    const qsizetype count = PieceCount(line);
    if (count == 1)
        return 0;
    const LineWidths& widths = WidthsOf(line);
    const qsizetype measured = static_cast<qsizetype>(widths.starts.size()) - 1;
    qsizetype piece = 0;
    if (x < widths.starts.back())
        piece = std::upper_bound(widths.starts.begin(), widths.starts.end(), x) - widths.starts.begin() - 1;
    else
        piece = measured + static_cast<qsizetype>(std::floor((x - widths.starts.back()) / std::max(1.0, widths.estimate)));
    return std::clamp<qsizetype>(piece, 0, count - 1);
}

double LinesEdit::XOf(TextPos pos) const
{
    const qsizetype piece = PieceOf(pos);
    return PieceX(pos.line, piece) + LayoutOf(pos.line, piece).lineAt(0).cursorToX(LayoutColumn(pos, pos == CursorPos()));
}

TextPos LinesEdit::PosAtX(qsizetype line, double x) const
{
    const qsizetype piece = PieceAtX(line, x);
    qsizetype local = LayoutOf(line, piece).lineAt(0).xToCursor(x - PieceX(line, piece));
    if (!preedit_.isEmpty() && line == CursorPos().line && piece == PieceOf(CursorPos())) {
        const qsizetype at = CursorPos().column - piece * kPiece;
        if (local > at)
            local = std::max(at, local - preedit_.size());
    }
    return Store().Clamp({line, piece * kPiece + local});
}

// The next or previous place for the caret, a character or a word away, as
// Qt's layouts find it; a long line's piece boundaries are such places too.
TextPos LinesEdit::NextCursorPos(TextPos pos, bool wordWise) const
{
    const qsizetype piece = PieceOf(pos);
    const qsizetype from = piece * kPiece;
    const auto mode = wordWise ? QTextLayout::SkipWords : QTextLayout::SkipCharacters;
    return {pos.line, from + LayoutOf(pos.line, piece).nextCursorPosition(static_cast<int>(pos.column - from), mode)};
}

TextPos LinesEdit::PreviousCursorPos(TextPos pos, bool wordWise) const
{
    qsizetype piece = PieceOf(pos);
    if (piece > 0 && pos.column == piece * kPiece)
        --piece;
    const qsizetype from = piece * kPiece;
    const auto mode = wordWise ? QTextLayout::SkipWords : QTextLayout::SkipCharacters;
    return {pos.line,
            from + LayoutOf(pos.line, piece).previousCursorPosition(static_cast<int>(pos.column - from), mode)};
}

QRect LinesEdit::CharacterRect(TextPos pos) const
{
    pos = Store().Clamp(pos);
    const double x = XOf(pos);
    double next = x + fontMetrics().averageCharWidth();
    if (pos.column < Store().LineLength(pos.line))
        next = XOf({pos.line, pos.column + 1});
    const qreal top = kMargin + (pos.line - FirstVisibleLine()) * LineHeight();
    return QRectF(TextLeft() + x, top, std::max<qreal>(1, next - x), LineHeight()).toAlignedRect();
}

TextPos LinesEdit::PosAt(QPointF point) const
{
    const qsizetype offset = static_cast<qsizetype>(std::floor((point.y() - kMargin) / LineHeight()));
    const TextPos lineStart = Store().Clamp({FirstVisibleLine() + offset, 0});
    return PosAtX(lineStart.line, point.x() - TextLeft());
}

void LinesEdit::ForgetLines(TextPos from, bool linesAfterToo)
{
    const auto begin = layouts_.lower_bound({from.line, 0});
    const auto end = linesAfterToo ? layouts_.end() : layouts_.lower_bound({from.line + 1, 0});
    layouts_.erase(begin, end);
    for (auto i = widths_.begin(); i != widths_.end();) {
        if (i->first > from.line && linesAfterToo) {
            i = widths_.erase(i);
            continue;
        }
        if (i->first == from.line) {
            // What comes before the edited piece keeps its measure.
            const auto kept = static_cast<std::size_t>(from.column / kPiece) + 1;
            if (i->second.starts.size() > kept)
                i->second.starts.resize(kept);
            measureLater_.start();
        }
        ++i;
    }
    // The widest line may be gone: look again from what remains.
    widest_ = 0;
    ScheduleScrollBars();
}

void LinesEdit::ForgetLayouts()
{
    layouts_.clear();
    widths_.clear();
    advancesKnown_ = false;
    widest_ = 0;
}

void LinesEdit::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const qreal widestBefore = widest_;
    const qsizetype first = FirstVisibleLine();
    // Only the lines, and the pieces of them, that the repaint asks for: a
    // caret's blink redraws the caret.
    const QRect asked = event->rect();
    const qsizetype top = first + std::max(0, (asked.top() - kMargin) / LineHeight());
    const qsizetype last = std::min({Store().LineCount() - 1, first + VisibleLineCount() + 1,
                                     first + std::max(0, (asked.bottom() - kMargin) / LineHeight())});
    const TextPos selStart = SelectionStart();
    const TextPos selEnd = SelectionEnd();
    const QPalette& colours = palette();
    QTextCharFormat selected;
    selected.setBackground(colours.brush(QPalette::Highlight));
    selected.setForeground(colours.brush(QPalette::HighlightedText));
    painter.setPen(colours.color(QPalette::Text));
    // The part of each line asked for, from its start.
    const double left = HorizontalOffset() - kMargin + asked.left();
    const double right = HorizontalOffset() - kMargin + asked.right() + 1;
    for (qsizetype i = top; i <= last; ++i) {
        const qreal y = kMargin + (i - first) * LineHeight();
        const qsizetype firstPiece = PieceAtX(i, left);
        const qsizetype lastPiece = PieceAtX(i, right);
        const qsizetype length = Store().LineLength(i);
        const bool inSelection = HasSelection() && i >= selStart.line && i <= selEnd.line;
        const qsizetype selFrom = i == selStart.line ? selStart.column : 0;
        const qsizetype selTo = i == selEnd.line ? selEnd.column : length;
        for (qsizetype piece = firstPiece; piece <= lastPiece; ++piece) {
            const QPointF at(TextLeft() + PieceX(i, piece), y);
            QTextLayout& layout = LayoutOf(i, piece);
            const qsizetype from = piece * kPiece;
            const qsizetype to = std::min(length, from + (PieceCount(i) == 1 ? length : kPiece));
            QList<QTextLayout::FormatRange> selection;
            const qsizetype a = std::max(selFrom, from);
            const qsizetype b = std::min(selTo, to);
            if (inSelection && b > a) {
                const int start = LayoutColumn({i, a}, false);
                selection.append({start, LayoutColumn({i, b}, false) - start, selected});
            }
            layout.draw(&painter, at, selection);
            if (i == CursorPos().line && caretShown_ && piece == PieceOf(CursorPos()))
                layout.drawCursor(&painter, at, LayoutColumn(CursorPos(), true), 1);
        }
        // A selected line break shows as a little selected space.
        if (inSelection && i < selEnd.line) {
            const double end = LineWidth(i);
            if (end <= right)
                painter.fillRect(QRectF(TextLeft() + end, y, fontMetrics().horizontalAdvance(u' '), LineHeight()),
                                 colours.brush(QPalette::Highlight));
        }
    }
    if (widest_ > widestBefore)
        ScheduleScrollBars();
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
    widest_ = std::max<qreal>(widest_, LineWidth(Store().LongestLine()));
    QScrollBar* horizontal = horizontalScrollBar();
    const double offset = HorizontalOffset();
    const int room = std::max(0, viewport()->width() - 2 * kMargin);
    const double beyond = std::max(0.0, std::ceil(widest_) + 2 - room);
    // A scroll bar counts in int: a line of a few hundred million characters
    // is scrolled in steps of several pixels.
    horizontalUnit_ = std::max(1.0, std::ceil(beyond / kScrollRange));
    horizontal->setPageStep(std::max(1, static_cast<int>(room / horizontalUnit_)));
    horizontal->setSingleStep(std::max(1, static_cast<int>(20 / horizontalUnit_)));
    horizontal->setRange(0, static_cast<int>(std::ceil(beyond / horizontalUnit_)));
    horizontal->setValue(static_cast<int>(std::round(std::min(offset, beyond) / horizontalUnit_)));
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
    if (event->timerId() != blink_.timerId() && event->timerId() != autoScroll_.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    if (event->timerId() == autoScroll_.timerId()) {
        AutoScroll();
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
        UpdateScrollBars();
        viewport()->update();
    }
}

} // namespace kiv
