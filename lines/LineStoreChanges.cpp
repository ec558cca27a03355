// The lines store changed: lines appended after the text, and taken out and
// put in by edits, each new line written once into the blocks.

#include "lines/LineStore.h"

#include "qtext/QtCp1252.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

namespace kiv {
namespace {

using detail::Block;
using detail::Narrowed;

// A prepared batch this large is taken over whole rather than copied: a
// giant line is never copied on the window's thread, and the unused end of
// its block is never written, so it takes no memory.
constexpr std::size_t kAdoptBytes = std::size_t{64} << 10;

} // namespace

void LineStore::SetBold(Record& record, const BoldSpans& bold)
{
    record.where &= ~Record::kManyBold;
    record.boldStart = record.boldLength = 0;
    if (bold.size() == 1) {
        record.boldStart = Narrowed(bold.front().start);
        record.boldLength = Narrowed(bold.front().length);
    } else if (bold.size() > 1) {
        record.where |= Record::kManyBold;
        record.boldStart = Narrowed(static_cast<qsizetype>(boldLists_.size()));
        boldLists_.push_back(bold);
    }
}

LineStore::Record LineStore::RecordOfText(const QString& text)
{
    if (!FitsCp1252(text)) {
        Record record;
        record.where = Record::kWide | Narrowed(static_cast<qsizetype>(wide_.size()));
        record.length = Narrowed(text.size());
        wide_.push_back(text);
        return record;
    }
    Record record;
    record.length = Narrowed(text.size());
    if (text.isEmpty())
        return record;
    EncodeCp1252(text, bytes_.Reserve(static_cast<std::size_t>(text.size()), record.where, record.start));
    return record;
}

LineStore::Record LineStore::Slice(const Record& record, qsizetype from, qsizetype to)
{
    Record piece = record;
    piece.start = Narrowed(record.start + from);
    piece.length = Narrowed(to - from);
    SetBold(piece, ClipBold(BoldOf(record), from, to));
    return piece;
}

LineStore::Record LineStore::Join(const Record& head, const Record& tail)
{
    if (tail.length == 0)
        return head;
    if (head.length == 0)
        return tail;
    BoldSpans bold = BoldOf(head);
    for (BoldSpan span : BoldOf(tail)) {
        span.start += head.length;
        if (!bold.empty() && bold.back().start + bold.back().length == span.start)
            bold.back().length += span.length;
        else
            bold.push_back(span);
    }
    const bool narrow = !(head.where & Record::kWide) && !(tail.where & Record::kWide);
    const std::uint32_t headBlock = head.where & Record::kIndex;
    const std::uint32_t tailBlock = tail.where & Record::kIndex;
    Record joined;
    if (narrow && headBlock == tailBlock && head.start + head.length == tail.start) {
        // Two pieces of what was one line: nothing to write.
        joined = head;
        joined.length += tail.length;
    } else if (narrow) {
        const std::size_t total = std::size_t{head.length} + tail.length;
        joined.length = Narrowed(static_cast<qsizetype>(total));
        char* out = bytes_.Reserve(total, joined.where, joined.start);
        std::memcpy(out, BytesOf(head), head.length);
        std::memcpy(out + head.length, BytesOf(tail), tail.length);
    } else {
        joined = RecordOfText(TextOfRecord(head, 0, head.length) + TextOfRecord(tail, 0, tail.length));
    }
    SetBold(joined, bold);
    return joined;
}

void LineStore::PushBack(const Record& record)
{
    if (chunks_.empty() || chunks_.back().lines.Size() >= kChunkLines) {
        chunks_.emplace_back();
        chunks_.back().lines.Reserve(kChunkLines);
        chunks_.back().longest = 0;
    }
    Chunk& chunk = chunks_.back();
    chunk.lines.PushBack(record);
    chunk.characters += record.length;
    if (chunk.longest >= 0 && record.length > chunk.lines.LengthAt(static_cast<std::size_t>(chunk.longest)))
        chunk.longest = static_cast<qsizetype>(chunk.lines.Size() - 1);
    ++lineCount_;
    characters_ += record.length;
}

void LineStore::AppendLines(LineBatch&& batch)
{
    if (batch.Empty())
        return;
    // Where the batch's bytes land: taken over whole when large, else copied
    // into the block being filled.
    std::uint32_t block = 0;
    std::uint32_t shift = 0;
    const Block& prepared = batch.bytes_;
    if (prepared.size >= kAdoptBytes) {
        block = bytes_.Adopt(std::move(batch.bytes_));
    } else if (batch.bytes_.size > 0) {
        std::memcpy(bytes_.Reserve(batch.bytes_.size, block, shift), batch.bytes_.bytes.get(), batch.bytes_.size);
    }
    const auto wideBase = static_cast<std::uint32_t>(wide_.size());
    const auto boldBase = static_cast<std::uint32_t>(boldLists_.size());
    std::move(batch.wide_.begin(), batch.wide_.end(), std::back_inserter(wide_));
    std::move(batch.boldLists_.begin(), batch.boldLists_.end(), std::back_inserter(boldLists_));

    // An empty last line is where the first of them goes.
    Chunk& last = chunks_.back();
    if (last.lines.LengthAt(last.lines.Size() - 1) == 0) {
        last.lines.PopBack();
        --lineCount_;
        if (last.longest >= static_cast<qsizetype>(last.lines.Size()))
            last.longest = -1;
        if (last.lines.Empty()) {
            chunks_.pop_back();
            prefixValid_ = std::min(prefixValid_, chunks_.size());
        }
    }
    for (Record record : batch.lines_) {
        if (record.where & Record::kWide)
            record.where = (record.where & ~Record::kIndex) | ((record.where & Record::kIndex) + wideBase);
        else {
            record.where = (record.where & ~Record::kIndex) | block;
            record.start += shift;
        }
        if (record.where & Record::kManyBold)
            record.boldStart += boldBase;
        PushBack(record);
    }
    if (!batch.endsText_)
        PushBack(Record{});
    batch = LineBatch();
}

LineRun LineStore::Extract(TextPos from, TextPos to)
{
    from = Clamp(from);
    to = Clamp(to);
    if (to < from)
        std::swap(from, to);
    LineRun run;
    if (from.line == to.line) {
        run.lines.push_back(Slice(RecordOf(from.line), from.column, to.column));
        return run;
    }
    run.lines.reserve(static_cast<std::size_t>(to.line - from.line + 1));
    run.lines.push_back(Slice(RecordOf(from.line), from.column, LineLength(from.line)));
    for (qsizetype i = from.line + 1; i < to.line; ++i)
        run.lines.push_back(RecordOf(i));
    run.lines.push_back(Slice(RecordOf(to.line), 0, to.column));
    return run;
}

LineRun LineStore::RunOfText(const QString& text)
{
    LineRun run;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n' && c != QChar::ParagraphSeparator && c != QChar::LineSeparator)
            continue;
        run.lines.push_back(RecordOfText(text.mid(start, i - start)));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    run.lines.push_back(RecordOfText(text.mid(start)));
    return run;
}

TextPos LineStore::Replace(TextPos from, TextPos to, const LineRun& run)
{
    from = Clamp(from);
    to = Clamp(to);
    if (to < from)
        std::swap(from, to);
    const Record last = RecordOf(to.line);
    const Record after = Slice(last, to.column, last.length);
    const Record head = Slice(RecordOf(from.line), 0, from.column);

    std::vector<Record> fresh;
    fresh.reserve(std::max<std::size_t>(run.lines.size(), 1));
    if (run.lines.empty()) {
        fresh.push_back(head);
    } else {
        fresh.push_back(Join(head, run.lines.front()));
        fresh.insert(fresh.end(), run.lines.begin() + 1, run.lines.end());
    }
    const TextPos end{from.line + static_cast<qsizetype>(fresh.size()) - 1,
                      static_cast<qsizetype>(fresh.back().length)};
    fresh.back() = Join(fresh.back(), after);

    const Place place = Locate(from.line);
    const std::size_t endChunk = EraseLines(place, to.line - from.line + 1);
    // The new ones go in where the first was taken out.
    Chunk& into = chunks_[place.chunk];
    into.lines.Insert(place.index, fresh);
    lineCount_ += static_cast<qsizetype>(fresh.size());
    for (const Record& record : fresh)
        into.characters += record.length;
    TidyChunks(place.chunk, endChunk);
    return end;
}

std::size_t LineStore::EraseLines(Place from, qsizetype count)
{
    std::size_t c = from.chunk;
    std::size_t at = from.index;
    while (count > 0) {
        Chunk& chunk = chunks_[c];
        const auto take = static_cast<std::size_t>(
            std::min<qsizetype>(count, static_cast<qsizetype>(chunk.lines.Size() - at)));
        for (std::size_t i = at; i < at + take; ++i)
            chunk.characters -= chunk.lines.LengthAt(i);
        chunk.lines.Erase(at, at + take);
        chunk.longest = -1;
        count -= static_cast<qsizetype>(take);
        lineCount_ -= static_cast<qsizetype>(take);
        ++c;
        at = 0;
    }
    return c;
}

void LineStore::TidyChunks(std::size_t first, std::size_t end)
{
    std::vector<Chunk> rebuilt;
    rebuilt.reserve(chunks_.size() + 1);
    for (std::size_t i = 0; i < chunks_.size(); ++i) {
        Chunk& chunk = chunks_[i];
        const bool edited = i >= first && i < end;
        if (edited && chunk.lines.Empty())
            continue;
        if (!edited || chunk.lines.Size() <= 2 * kChunkLines) {
            rebuilt.push_back(std::move(chunk));
            continue;
        }
        for (std::size_t start = 0; start < chunk.lines.Size(); start += kChunkLines) {
            Chunk piece;
            piece.lines = chunk.lines.Piece(start, std::min(chunk.lines.Size(), start + kChunkLines));
            for (std::size_t line = 0; line < piece.lines.Size(); ++line)
                piece.characters += piece.lines.LengthAt(line);
            rebuilt.push_back(std::move(piece));
        }
    }
    chunks_ = std::move(rebuilt);
    characters_ = 0;
    for (const Chunk& chunk : chunks_)
        characters_ += chunk.characters;
    prefixValid_ = std::min(prefixValid_, first + 1);
}

} // namespace kiv
