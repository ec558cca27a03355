#include "lines/LinesEditLayout.h"

#include "lines/ShownText.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace kiv {
namespace {

// Lines, or pieces of long lines, laid out and kept for repainting; a
// screen shows far fewer.
constexpr std::size_t kKeptLayouts = 400;

} // namespace

LinesEditLayout::LinesEditLayout(const LineDocument& doc, std::function<void()> measureLater)
    : doc_(doc), measureLater_(std::move(measureLater))
{
}

LinesEditLayout::~LinesEditLayout() = default;

void LinesEditLayout::SetFont(const QFont& font)
{
    font_ = font;
    ForgetAll();
}

void LinesEditLayout::SetComposing(const QString& text, int cursor, QList<QInputMethodEvent::Attribute> formats)
{
    composing_ = text;
    composingCursor_ = cursor;
    composingFormats_ = std::move(formats);
}

qsizetype LinesEditLayout::PieceCount(qsizetype line) const
{
    const qsizetype length = Store().LineLength(line);
    return length <= kPiece ? 1 : (length + kPiece - 1) / kPiece;
}

qsizetype LinesEditLayout::PieceOf(TextPos pos) const
{
    return std::min(pos.column / kPiece, PieceCount(pos.line) - 1);
}

bool LinesEditLayout::ComposingIn(qsizetype line, qsizetype piece) const
{
    return !composing_.isEmpty() && line == doc_.Cursor().line && piece == PieceOf(doc_.Cursor());
}

int LinesEditLayout::LayoutColumn(TextPos pos, bool caret) const
{
    const qsizetype piece = PieceOf(pos);
    qsizetype local = pos.column - piece * kPiece;
    if (ComposingIn(pos.line, piece)) {
        const qsizetype at = doc_.Cursor().column - piece * kPiece;
        if (local > at || (caret && local == at))
            local += local == at ? composingCursor_ : composing_.size();
    }
    return static_cast<int>(local);
}

QTextLayout& LinesEditLayout::LayoutOf(qsizetype line, qsizetype piece) const
{
    const LayoutKey key{line, piece};
    auto found = layouts_.find(key);
    if (found != layouts_.end())
        return *found->second;
    if (layouts_.size() >= kKeptLayouts)
        layouts_.clear();
    std::unique_ptr<QTextLayout> layout = NewLayout(line, piece);
    layout->beginLayout();
    QTextLine textLine = layout->createLine();
    textLine.setLineWidth(1e7);
    textLine.setPosition(QPointF(0, 0));
    layout->endLayout();
    if (PieceCount(line) == 1)
        Widen(textLine.naturalTextWidth());
    return *layouts_.emplace(key, std::move(layout)).first->second;
}

std::unique_ptr<QTextLayout> LinesEditLayout::NewLayout(qsizetype line, qsizetype piece) const
{
    const bool single = PieceCount(line) == 1;
    const qsizetype from = piece * kPiece;
    const QString text = ShownText(Store().LineText(line, from, single ? Store().LineLength(line) : kPiece));
    QFont pieceFont = font_;
    // The pieces of a long line are placed by the sum of their characters'
    // advances, which kerning would contradict.
    if (!single)
        pieceFont.setKerning(false);
    auto layout = std::make_unique<QTextLayout>(text, pieceFont);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout->setTextOption(option);
    if (ComposingIn(line, piece))
        layout->setPreeditArea(static_cast<int>(doc_.Cursor().column - from), composing_);
    FormatPiece(*layout, line, from, text.size());
    return layout;
}

// The piece's bold words, and the input method's formats of the text being
// composed; the bold after the composed text moves right with it.
void LinesEditLayout::FormatPiece(QTextLayout& layout, qsizetype line, qsizetype from, qsizetype length) const
{
    const qsizetype composedAt = ComposingIn(line, from / kPiece) ? doc_.Cursor().column - from : -1;
    QList<QTextLayout::FormatRange> ranges;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    for (const BoldSpan& span : Store().BoldIn(line, from, length)) {
        qsizetype start = span.start;
        qsizetype end = span.start + span.length;
        if (composedAt >= 0 && end > composedAt) {
            if (start < composedAt)
                ranges.append({static_cast<int>(start), static_cast<int>(composedAt - start), bold});
            start = std::max(start, composedAt) + composing_.size();
            end += composing_.size();
        }
        ranges.append({static_cast<int>(start), static_cast<int>(end - start), bold});
    }
    if (composedAt >= 0) {
        for (const QInputMethodEvent::Attribute& a : composingFormats_) {
            const QTextCharFormat format = a.value.value<QTextFormat>().toCharFormat();
            if (format.isValid())
                ranges.append({static_cast<int>(composedAt + a.start), a.length, format});
        }
    }
    layout.setFormats(ranges);
}

LinesEditLayout::LineWidths& LinesEditLayout::WidthsOf(qsizetype line) const
{
    auto found = widths_.find(line);
    if (found != widths_.end())
        return found->second;
    LineWidths& widths = widths_[line];
    widths.estimate = kPiece * QFontMetricsF(font_).averageCharWidth();
    if (measureLater_)
        measureLater_();
    return widths;
}

double LinesEditLayout::MeasurePiece(qsizetype line, qsizetype piece) const
{
    if (!advancesKnown_) {
        QFont boldFont = font_;
        boldFont.setBold(true);
        const QFontMetricsF plain(font_);
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
            QFont other = font_;
            other.setBold(inBold);
            width += QFontMetricsF(other).horizontalAdvance(text[i]);
        }
    }
    return width;
}

LinesEditLayout::Measured LinesEditLayout::MeasureSome(qint64 budgetMs, qsizetype firstShown, qsizetype lastShown)
{
    QElapsedTimer clock;
    clock.start();
    Measured result;
    for (auto& [line, widths] : widths_) {
        const qsizetype count = PieceCount(line);
        qsizetype measured = static_cast<qsizetype>(widths.starts.size()) - 1;
        if (measured >= count)
            continue;
        while (measured < count && !(result.more = clock.elapsed() >= budgetMs)) {
            widths.starts.push_back(widths.starts.back() + MeasurePiece(line, measured));
            ++measured;
        }
        // The pieces measured so far stand for those still waiting.
        if (measured > 0)
            widths.estimate = widths.starts.back() / static_cast<double>(measured);
        result.shownChanged = result.shownChanged || (line >= firstShown && line <= lastShown);
        if (result.more)
            break;
    }
    return result;
}

double LinesEditLayout::PieceX(qsizetype line, qsizetype piece) const
{
    if (piece == 0 || PieceCount(line) == 1)
        return 0;
    const LineWidths& widths = WidthsOf(line);
    const qsizetype measured = static_cast<qsizetype>(widths.starts.size()) - 1;
    if (piece <= measured)
        return widths.starts[static_cast<std::size_t>(piece)];
    return widths.starts.back() + static_cast<double>(piece - measured) * widths.estimate;
}

double LinesEditLayout::LineWidth(qsizetype line) const
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

qsizetype LinesEditLayout::PieceAtX(qsizetype line, double x) const
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

double LinesEditLayout::XOf(TextPos pos) const
{
    const qsizetype piece = PieceOf(pos);
    return PieceX(pos.line, piece)
           + LayoutOf(pos.line, piece).lineAt(0).cursorToX(LayoutColumn(pos, pos == doc_.Cursor()));
}

TextPos LinesEditLayout::PosAtX(qsizetype line, double x) const
{
    const qsizetype piece = PieceAtX(line, x);
    qsizetype local = LayoutOf(line, piece).lineAt(0).xToCursor(x - PieceX(line, piece));
    // A point on the text being composed is the caret's place.
    if (ComposingIn(line, piece)) {
        const qsizetype at = doc_.Cursor().column - piece * kPiece;
        if (local > at)
            local = std::max(at, local - composing_.size());
    }
    return Store().Clamp({line, piece * kPiece + local});
}

// As Qt's layouts find these places; a long line's piece boundaries are
// such places too.
TextPos LinesEditLayout::NextCursorPos(TextPos pos, bool wordWise) const
{
    const qsizetype piece = PieceOf(pos);
    const qsizetype from = piece * kPiece;
    const auto mode = wordWise ? QTextLayout::SkipWords : QTextLayout::SkipCharacters;
    return {pos.line, from + LayoutOf(pos.line, piece).nextCursorPosition(static_cast<int>(pos.column - from), mode)};
}

TextPos LinesEditLayout::PreviousCursorPos(TextPos pos, bool wordWise) const
{
    qsizetype piece = PieceOf(pos);
    if (piece > 0 && pos.column == piece * kPiece)
        --piece;
    const qsizetype from = piece * kPiece;
    const auto mode = wordWise ? QTextLayout::SkipWords : QTextLayout::SkipCharacters;
    return {pos.line,
            from + LayoutOf(pos.line, piece).previousCursorPosition(static_cast<int>(pos.column - from), mode)};
}

void LinesEditLayout::ForgetLines(TextPos from, bool linesAfterToo)
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
            if (measureLater_)
                measureLater_();
        }
        ++i;
    }
    // The widest line may be gone: look again from what remains.
    widest_ = 0;
}

void LinesEditLayout::ForgetAll()
{
    layouts_.clear();
    widths_.clear();
    advancesKnown_ = false;
    widest_ = 0;
}

} // namespace kiv
