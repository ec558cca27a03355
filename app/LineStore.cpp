#include "LineStore.h"

#include <algorithm>
#include <iterator>
#include <tuple>
#include <utility>

namespace kiv {
namespace {

// The bold of line between two columns, counted from the first.
BoldSpans BoldBetween(const StoredLine& line, qsizetype from, qsizetype to)
{
    BoldSpans cut;
    for (const BoldSpan& span : line.bold) {
        const qsizetype start = std::max(span.start, from);
        const qsizetype end = std::min(span.start + span.length, to);
        if (start < end)
            cut.push_back({start - from, end - start});
    }
    return cut;
}

StoredLine Piece(const StoredLine& line, qsizetype from, qsizetype to)
{
    return {line.text.mid(from, to - from), BoldBetween(line, from, to)};
}

// Appends tail to head, bold stretches that now touch becoming one.
void Join(StoredLine& head, const StoredLine& tail)
{
    const qsizetype shift = head.text.size();
    head.text += tail.text;
    for (BoldSpan span : tail.bold) {
        span.start += shift;
        if (!head.bold.empty() && head.bold.back().start + head.bold.back().length == span.start)
            head.bold.back().length += span.length;
        else
            head.bold.push_back(span);
    }
}

} // namespace

LineStore::LineStore()
    : lines_(1)
{
}

void LineStore::AppendLines(std::vector<StoredLine>&& lines)
{
    if (lines.empty())
        return;
    if (lines_.back().text.isEmpty())
        lines_.pop_back();
    const qsizetype first = LineCount();
    std::move(lines.begin(), lines.end(), std::back_inserter(lines_));
    lines_.emplace_back();
    for (qsizetype i = first; i < LineCount(); ++i)
        Remember(i);
    LinesChangedFrom(first);
}

void LineStore::Clear()
{
    lines_.assign(1, StoredLine{});
    longest_ = 0;
    starts_.clear();
    starts_.shrink_to_fit();
    offsetsValid_ = 0;
}

LineList LineStore::TakeLines()
{
    LineList taken = std::exchange(lines_, LineList(1));
    Clear();
    return taken;
}

TextPos LineStore::Clamp(TextPos pos) const
{
    pos.line = std::clamp<qsizetype>(pos.line, 0, LineCount() - 1);
    pos.column = std::clamp<qsizetype>(pos.column, 0, LineLength(pos.line));
    return pos;
}

std::pair<TextPos, TextPos> LineStore::Ordered(TextPos from, TextPos to) const
{
    from = Clamp(from);
    to = Clamp(to);
    return to < from ? std::pair(to, from) : std::pair(from, to);
}

LineRun LineStore::Extract(TextPos from, TextPos to) const
{
    std::tie(from, to) = Ordered(from, to);
    if (from.line == to.line)
        return {Piece(Line(from.line), from.column, to.column)};
    LineRun run;
    run.reserve(static_cast<std::size_t>(to.line - from.line + 1));
    run.push_back(Piece(Line(from.line), from.column, LineLength(from.line)));
    for (qsizetype i = from.line + 1; i < to.line; ++i)
        run.push_back(Line(i));
    run.push_back(Piece(Line(to.line), 0, to.column));
    return run;
}

TextPos LineStore::Replace(TextPos from, TextPos to, const LineRun& run)
{
    std::tie(from, to) = Ordered(from, to);
    const StoredLine& last = Line(to.line);
    const StoredLine after = Piece(last, to.column, last.text.size());
    StoredLine head = Piece(Line(from.line), 0, from.column);

    std::vector<StoredLine> fresh;
    fresh.reserve(std::max<std::size_t>(run.size(), 1));
    if (run.empty()) {
        fresh.push_back(std::move(head));
    } else {
        Join(head, run.front());
        fresh.push_back(std::move(head));
        for (std::size_t i = 1; i < run.size(); ++i)
            fresh.push_back(run[i]);
    }
    const TextPos end{from.line + static_cast<qsizetype>(fresh.size()) - 1, fresh.back().text.size()};
    Join(fresh.back(), after);

    const auto begin = lines_.begin() + from.line;
    const qsizetype removed = to.line - from.line + 1;
    const qsizetype added = static_cast<qsizetype>(fresh.size());
    const qsizetype common = std::min(removed, added);
    std::move(fresh.begin(), fresh.begin() + common, begin);
    if (added > removed)
        lines_.insert(begin + common, std::make_move_iterator(fresh.begin() + common),
                      std::make_move_iterator(fresh.end()));
    else if (removed > added)
        lines_.erase(begin + common, begin + removed);

    // The longest line may have been shortened or taken out: look again.
    if (longest_ >= from.line && longest_ <= to.line) {
        longest_ = 0;
        for (qsizetype i = 1; i < LineCount(); ++i)
            Remember(i);
    } else {
        if (longest_ > to.line)
            longest_ += added - removed;
        for (qsizetype i = from.line; i < from.line + added; ++i)
            Remember(i);
    }
    LinesChangedFrom(from.line);
    return end;
}

QString LineStore::PlainText(TextPos from, TextPos to) const
{
    std::tie(from, to) = Ordered(from, to);
    if (from.line == to.line)
        return Line(from.line).text.mid(from.column, to.column - from.column);
    QString text = Line(from.line).text.mid(from.column);
    for (qsizetype i = from.line + 1; i < to.line; ++i) {
        text += QLatin1Char('\n');
        text += Line(i).text;
    }
    text += QLatin1Char('\n');
    text += QStringView(Line(to.line).text).left(to.column);
    return text;
}

QString LineStore::PlainText() const
{
    return PlainText({0, 0}, {LineCount() - 1, LineLength(LineCount() - 1)});
}

qsizetype LineStore::CharacterCount() const
{
    return OffsetOf({LineCount() - 1, LineLength(LineCount() - 1)});
}

qsizetype LineStore::OffsetOf(TextPos pos) const
{
    pos = Clamp(pos);
    EnsureOffsets();
    return starts_[static_cast<std::size_t>(pos.line)] + pos.column;
}

TextPos LineStore::PosOfOffset(qsizetype offset) const
{
    EnsureOffsets();
    offset = std::max<qsizetype>(offset, 0);
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), offset);
    const qsizetype line = std::max<qsizetype>(after - starts_.begin() - 1, 0);
    return Clamp({line, offset - starts_[static_cast<std::size_t>(line)]});
}

LineRun LineStore::RunOfText(const QString& text)
{
    LineRun run(1);
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n' && c != QChar::ParagraphSeparator && c != QChar::LineSeparator)
            continue;
        run.back().text = text.mid(start, i - start);
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
        run.emplace_back();
    }
    run.back().text = text.mid(start);
    return run;
}

void LineStore::LinesChangedFrom(qsizetype line)
{
    offsetsValid_ = std::min(offsetsValid_, line + 1);
}

void LineStore::Remember(qsizetype line)
{
    if (longest_ >= LineCount() || LineLength(line) > LineLength(longest_))
        longest_ = line;
}

void LineStore::EnsureOffsets() const
{
    starts_.resize(lines_.size());
    qsizetype at = offsetsValid_ == 0 ? 0 : starts_[static_cast<std::size_t>(offsetsValid_ - 1)] + LineLength(offsetsValid_ - 1) + 1;
    for (qsizetype i = offsetsValid_; i < LineCount(); ++i) {
        starts_[static_cast<std::size_t>(i)] = at;
        at += LineLength(i) + 1;
    }
    offsetsValid_ = LineCount();
}

} // namespace kiv
