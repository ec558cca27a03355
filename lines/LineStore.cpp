// The lines store kept and read: copies, emptying, the memory held, finding
// a line or an offset, and the characters of a line as Qt's text or as
// Windows-1252 bytes.

#include "lines/LineStore.h"

#include "qtext/QtCp1252.h"

#include <algorithm>
#include <utility>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kiv {
namespace {

// A piece of a line as a caller asks for it, kept inside the line: a
// negative or too long count means up to the line's end.
template <typename Record>
void ClampToLine(const Record& record, qsizetype& from, qsizetype& count)
{
    const qsizetype length = record.length;
    from = std::clamp<qsizetype>(from, 0, length);
    if (count < 0 || count > length - from)
        count = length - from;
}

} // namespace

// ---- LineStore: copying and emptying ----

LineStore::LineStore()
{
    PushBack(Record{});
}

LineStore::LineStore(const LineStore& other)
    : bytes_(other.bytes_)
    , wide_(other.wide_)
    , boldLists_(other.boldLists_)
    , chunks_(other.chunks_)
    , lineCount_(other.lineCount_)
    , characters_(other.characters_)
{
}

LineStore& LineStore::operator=(const LineStore& other)
{
    if (this != &other) {
        LineStore copy(other);
        *this = std::move(copy);
    }
    return *this;
}

LineStore::LineStore(LineStore&& other) noexcept
    : bytes_(std::move(other.bytes_))
    , wide_(std::move(other.wide_))
    , boldLists_(std::move(other.boldLists_))
    , chunks_(std::move(other.chunks_))
    , lineCount_(std::exchange(other.lineCount_, 0))
    , characters_(std::exchange(other.characters_, 0))
{
    other.ReleaseAll();
    other.PushBack(Record{});
}

LineStore& LineStore::operator=(LineStore&& other) noexcept
{
    if (this != &other) {
        ReleaseAll();
        bytes_ = std::move(other.bytes_);
        wide_ = std::move(other.wide_);
        boldLists_ = std::move(other.boldLists_);
        chunks_ = std::move(other.chunks_);
        lineCount_ = std::exchange(other.lineCount_, 0);
        characters_ = std::exchange(other.characters_, 0);
        other.ReleaseAll();
        other.PushBack(Record{});
    }
    return *this;
}

LineStore::~LineStore() = default;

void LineStore::ReleaseAll()
{
    bytes_.Release();
    std::vector<QString>().swap(wide_);
    std::vector<BoldSpans>().swap(boldLists_);
    std::vector<Chunk>().swap(chunks_);
    std::vector<qsizetype>().swap(firstLine_);
    std::vector<qsizetype>().swap(firstOffset_);
    prefixValid_ = 0;
    lineCount_ = 0;
    characters_ = 0;
}

void LineStore::Clear()
{
    ReleaseAll();
    PushBack(Record{});
    ReturnFreedMemory();
}

std::size_t LineStore::BytesHeld() const
{
    std::size_t bytes = bytes_.BytesHeld();
    for (const Chunk& chunk : chunks_)
        bytes += chunk.lines.BytesHeld();
    for (const QString& text : wide_)
        bytes += static_cast<std::size_t>(text.capacity()) * sizeof(QChar);
    return bytes + (firstLine_.capacity() + firstOffset_.capacity()) * sizeof(qsizetype);
}

void ReturnFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

// ---- Finding lines ----

void LineStore::EnsurePrefix() const
{
    if (prefixValid_ >= chunks_.size() && firstLine_.size() == chunks_.size())
        return;
    firstLine_.resize(chunks_.size());
    firstOffset_.resize(chunks_.size());
    for (std::size_t c = std::min(prefixValid_, chunks_.size()); c < chunks_.size(); ++c) {
        if (c == 0) {
            firstLine_[0] = firstOffset_[0] = 0;
            continue;
        }
        const Chunk& before = chunks_[c - 1];
        const auto lines = static_cast<qsizetype>(before.lines.Size());
        firstLine_[c] = firstLine_[c - 1] + lines;
        firstOffset_[c] = firstOffset_[c - 1] + before.characters + lines;
    }
    prefixValid_ = chunks_.size();
}

LineStore::Place LineStore::Locate(qsizetype line) const
{
    // Appending and reading the newest lines touch the last chunk.
    const auto lastSize = static_cast<qsizetype>(chunks_.back().lines.Size());
    if (line >= lineCount_ - lastSize)
        return {chunks_.size() - 1, static_cast<std::size_t>(line - (lineCount_ - lastSize))};
    EnsurePrefix();
    const auto after = std::upper_bound(firstLine_.begin(), firstLine_.end(), line);
    const auto chunk = static_cast<std::size_t>(after - firstLine_.begin() - 1);
    return {chunk, static_cast<std::size_t>(line - firstLine_[chunk])};
}

LineStore::Record LineStore::RecordOf(qsizetype line) const
{
    const Place place = Locate(line);
    return chunks_[place.chunk].lines[place.index];
}

qsizetype LineStore::LineLength(qsizetype line) const
{
    return RecordOf(line).length;
}

bool LineStore::IsNarrow(qsizetype line) const
{
    return !(RecordOf(line).where & Record::kWide);
}

TextPos LineStore::Clamp(TextPos pos) const
{
    pos.line = std::clamp<qsizetype>(pos.line, 0, lineCount_ - 1);
    pos.column = std::clamp<qsizetype>(pos.column, 0, LineLength(pos.line));
    return pos;
}

qsizetype LineStore::OffsetOf(TextPos pos) const
{
    pos = Clamp(pos);
    const Place place = Locate(pos.line);
    EnsurePrefix();
    qsizetype offset = firstOffset_[place.chunk];
    const detail::ChunkLines& lines = chunks_[place.chunk].lines;
    for (std::size_t i = 0; i < place.index; ++i)
        offset += lines.LengthAt(i) + 1;
    return offset + pos.column;
}

TextPos LineStore::PosOfOffset(qsizetype offset) const
{
    offset = std::clamp<qsizetype>(offset, 0, CharacterCount());
    EnsurePrefix();
    const auto after = std::upper_bound(firstOffset_.begin(), firstOffset_.end(), offset);
    const auto chunk = static_cast<std::size_t>(std::max<std::ptrdiff_t>(after - firstOffset_.begin() - 1, 0));
    qsizetype at = firstOffset_[chunk];
    qsizetype line = firstLine_[chunk];
    const detail::ChunkLines& lines = chunks_[chunk].lines;
    for (std::size_t i = 0; i < lines.Size(); ++i) {
        if (offset - at <= lines.LengthAt(i))
            return {line, offset - at};
        at += lines.LengthAt(i) + 1;
        ++line;
    }
    return End();
}

qsizetype LineStore::LongestLine() const
{
    EnsurePrefix();
    qsizetype best = 0;
    qsizetype bestLength = -1;
    for (std::size_t c = 0; c < chunks_.size(); ++c) {
        const Chunk& chunk = chunks_[c];
        if (chunk.longest < 0) {
            std::size_t found = 0;
            for (std::size_t i = 1; i < chunk.lines.Size(); ++i) {
                if (chunk.lines.LengthAt(i) > chunk.lines.LengthAt(found))
                    found = i;
            }
            chunk.longest = static_cast<qsizetype>(found);
        }
        const qsizetype length = chunk.lines.LengthAt(static_cast<std::size_t>(chunk.longest));
        if (length > bestLength) {
            bestLength = length;
            best = firstLine_[c] + chunk.longest;
        }
    }
    return best;
}

// ---- Reading characters ----

QString LineStore::TextOfRecord(const Record& record, qsizetype from, qsizetype count) const
{
    if (record.where & Record::kWide)
        return wide_[record.where & Record::kIndex].mid(record.start + from, count);
    QString text(count, Qt::Uninitialized);
    if (count > 0)
        DecodeCp1252({BytesOf(record) + from, static_cast<std::size_t>(count)}, text.data());
    return text;
}

void LineStore::AppendTextOf(const Record& record, QString& out) const
{
    out += TextOfRecord(record, 0, record.length);
}

QString LineStore::LineText(qsizetype line, qsizetype from, qsizetype count) const
{
    const Record record = RecordOf(line);
    ClampToLine(record, from, count);
    return TextOfRecord(record, from, count);
}

QChar LineStore::CharAt(qsizetype line, qsizetype column) const
{
    const Record record = RecordOf(line);
    if (column < 0 || column >= static_cast<qsizetype>(record.length))
        return {};
    if (record.where & Record::kWide)
        return wide_[record.where & Record::kIndex][record.start + column];
    return Cp1252Char(BytesOf(record)[column]);
}

BoldSpans LineStore::BoldOf(const Record& record) const
{
    if (record.where & Record::kManyBold)
        return boldLists_[record.boldStart];
    BoldSpans spans;
    if (record.boldLength > 0)
        spans.push_back({record.boldStart, record.boldLength});
    return spans;
}

// The bold of spans between two columns, counted from the first.
BoldSpans LineStore::ClipBold(const BoldSpans& spans, qsizetype from, qsizetype to)
{
    BoldSpans cut;
    for (const BoldSpan& span : spans) {
        const qsizetype start = std::max(span.start, from);
        const qsizetype end = std::min(span.start + span.length, to);
        if (start < end)
            cut.push_back({start - from, end - start});
    }
    return cut;
}

BoldSpans LineStore::BoldIn(qsizetype line, qsizetype from, qsizetype count) const
{
    const Record record = RecordOf(line);
    ClampToLine(record, from, count);
    return ClipBold(BoldOf(record), from, from + count);
}

QString LineStore::PlainText(TextPos from, TextPos to) const
{
    from = Clamp(from);
    to = Clamp(to);
    if (to < from)
        std::swap(from, to);
    QString text;
    text.reserve(OffsetOf(to) - OffsetOf(from));
    for (qsizetype i = from.line; i <= to.line; ++i) {
        const Record record = RecordOf(i);
        const qsizetype start = i == from.line ? from.column : 0;
        const qsizetype end = i == to.line ? to.column : static_cast<qsizetype>(record.length);
        if (i > from.line)
            text += QLatin1Char('\n');
        text += TextOfRecord(record, start, end - start);
    }
    return text;
}

void LineStore::AppendCp1252(qsizetype line, std::string& out) const
{
    AppendCp1252Of(RecordOf(line), out);
}

std::string LineStore::JoinedCp1252(std::string_view separator) const
{
    std::string out;
    out.reserve(static_cast<std::size_t>(characters_) + static_cast<std::size_t>(lineCount_ - 1) * separator.size());
    bool first = true;
    for (const Chunk& chunk : chunks_) {
        for (std::size_t i = 0; i < chunk.lines.Size(); ++i) {
            if (!std::exchange(first, false))
                out += separator;
            AppendCp1252Of(chunk.lines[i], out);
        }
    }
    return out;
}

void LineStore::AppendCp1252Of(const Record& record, std::string& out) const
{
    // An empty line may point into no block at all (an emptied text).
    if (record.length == 0)
        return;
    if (!(record.where & Record::kWide)) {
        out.append(BytesOf(record), record.length);
        return;
    }
    kiv::AppendCp1252(TextOfRecord(record, 0, record.length), out);
}

QString LineStore::TextOf(const LineRun& run) const
{
    QString text;
    for (std::size_t i = 0; i < run.lines.size(); ++i) {
        if (i > 0)
            text += QLatin1Char('\n');
        AppendTextOf(run.lines[i], text);
    }
    return text;
}

} // namespace kiv
