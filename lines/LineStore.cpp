#include "lines/LineStore.h"

#include "logscan/Cp1252.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kiv {
namespace {

using detail::Block;
using detail::LineRecord;

// New bytes go into blocks of this size; a line of more than a quarter of it
// gets a block of its own, of its exact size.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
// A prepared batch this large is taken over whole rather than copied: a
// giant line is never copied on the window's thread, and the unused end of
// its block is never written, so it takes no memory.
constexpr std::size_t kAdoptBytes = std::size_t{64} << 10;
// Records a chunk holds when filled by appending; an edit splits a chunk
// that grew past twice this.
constexpr std::size_t kChunkLines = 4096;

const std::array<char16_t, 256>& DecodeTable()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[static_cast<std::size_t>(b)] = static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(b)));
        return t;
    }();
    return table;
}

void Decode(const char* bytes, qsizetype count, QChar* out)
{
    const std::array<char16_t, 256>& table = DecodeTable();
    for (qsizetype i = 0; i < count; ++i)
        out[i] = QChar(table[static_cast<unsigned char>(bytes[i])]);
}

// The byte of a character, or -1 when Windows-1252 has none.
int Encode(QChar c)
{
    return c.unicode() < 0x80 ? c.unicode() : UnicodeToCp1252(c.unicode());
}

bool Encodable(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return Encode(c) >= 0; });
}

std::uint32_t Narrowed(qsizetype value)
{
    return static_cast<std::uint32_t>(value);
}

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

// The bold of spans between two columns, counted from the first.
BoldSpans Clip(const BoldSpans& spans, qsizetype from, qsizetype to)
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

// Whether a record's bold fields hold anything. A line with many bold
// stretches says so in where; its list may be the first, both fields 0.
bool HasBold(const LineRecord& record)
{
    return record.boldStart != 0 || record.boldLength != 0;
}

Block NewBlock(std::size_t capacity)
{
    Block block;
    block.bytes.reset(new char[capacity]);
    block.capacity = capacity;
    return block;
}

} // namespace

// ---- LineBatch ----

void LineBatch::Reserve(std::size_t lines, std::size_t bytes)
{
    lines_.reserve(lines);
    if (bytes > bytes_.capacity)
        Grow(bytes - bytes_.size);
}

void LineBatch::Grow(std::size_t bytes)
{
    if (bytes_.size + bytes <= bytes_.capacity)
        return;
    Block grown = NewBlock(std::max({bytes_.capacity * 2, bytes_.size + bytes, std::size_t{4096}}));
    if (bytes_.size > 0)
        std::memcpy(grown.bytes.get(), bytes_.bytes.get(), bytes_.size);
    grown.size = bytes_.size;
    bytes_ = std::move(grown);
}

void LineBatch::Add(std::string_view cp1252, BoldSpan bold)
{
    Grow(cp1252.size());
    LineRecord record;
    record.start = Narrowed(static_cast<qsizetype>(bytes_.size));
    record.length = Narrowed(static_cast<qsizetype>(cp1252.size()));
    if (!cp1252.empty())
        std::memcpy(bytes_.bytes.get() + bytes_.size, cp1252.data(), cp1252.size());
    bytes_.size += cp1252.size();
    if (bold.length > 0) {
        record.boldStart = Narrowed(bold.start);
        record.boldLength = Narrowed(bold.length);
    }
    lines_.push_back(record);
}

void LineBatch::Add(const QString& text, const BoldSpans& bold)
{
    if (Encodable(text)) {
        std::string bytes(static_cast<std::size_t>(text.size()), '\0');
        for (qsizetype i = 0; i < text.size(); ++i)
            bytes[static_cast<std::size_t>(i)] = static_cast<char>(Encode(text[i]));
        Add(bytes, bold.size() == 1 ? bold.front() : BoldSpan{});
    } else {
        LineRecord record;
        record.where = LineRecord::kWide | Narrowed(static_cast<qsizetype>(wide_.size()));
        record.length = Narrowed(text.size());
        wide_.push_back(text);
        if (bold.size() == 1) {
            record.boldStart = Narrowed(bold.front().start);
            record.boldLength = Narrowed(bold.front().length);
        }
        lines_.push_back(record);
    }
    if (bold.size() > 1) {
        LineRecord& record = lines_.back();
        record.where |= LineRecord::kManyBold;
        record.boldStart = Narrowed(static_cast<qsizetype>(boldLists_.size()));
        boldLists_.push_back(bold);
    }
}

// ---- The records of a chunk ----

void LineStore::ChunkLines::PushBack(const Record& record)
{
    texts_.push_back({record.where, record.start, record.length});
    if (bold_.empty() && !HasBold(record))
        return;
    if (bold_.empty()) {
        // The lines before this one had none.
        bold_.reserve(texts_.capacity());
        bold_.resize(texts_.size() - 1);
    }
    bold_.push_back({record.boldStart, record.boldLength});
}

void LineStore::ChunkLines::PopBack() noexcept
{
    texts_.pop_back();
    if (!bold_.empty())
        bold_.pop_back();
}

void LineStore::ChunkLines::Erase(std::size_t first, std::size_t last)
{
    texts_.erase(texts_.begin() + static_cast<std::ptrdiff_t>(first), texts_.begin() + static_cast<std::ptrdiff_t>(last));
    if (!bold_.empty())
        bold_.erase(bold_.begin() + static_cast<std::ptrdiff_t>(first), bold_.begin() + static_cast<std::ptrdiff_t>(last));
}

void LineStore::ChunkLines::Insert(std::size_t at, std::span<const Record> records)
{
    const bool withBold = !bold_.empty() || std::any_of(records.begin(), records.end(), HasBold);
    const auto where = static_cast<std::ptrdiff_t>(at);
    texts_.insert(texts_.begin() + where, records.size(), Text{});
    if (withBold) {
        bold_.resize(texts_.size() - records.size()); // the lines there had none
        bold_.insert(bold_.begin() + where, records.size(), Bold{});
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Record& record = records[i];
        texts_[at + i] = {record.where, record.start, record.length};
        if (withBold)
            bold_[at + i] = {record.boldStart, record.boldLength};
    }
}

LineStore::ChunkLines LineStore::ChunkLines::Piece(std::size_t first, std::size_t last) const
{
    ChunkLines piece;
    piece.texts_.assign(texts_.begin() + static_cast<std::ptrdiff_t>(first),
                        texts_.begin() + static_cast<std::ptrdiff_t>(last));
    if (bold_.empty())
        return piece;
    const auto begin = bold_.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end = bold_.begin() + static_cast<std::ptrdiff_t>(last);
    if (std::any_of(begin, end, [](const Bold& bold) { return bold.start != 0 || bold.length != 0; }))
        piece.bold_.assign(begin, end);
    return piece;
}

std::size_t LineStore::ChunkLines::BytesHeld() const noexcept
{
    return texts_.capacity() * sizeof(Text) + bold_.capacity() * sizeof(Bold);
}

// ---- LineStore: copying and emptying ----

LineStore::LineStore()
{
    PushBack(Record{});
}

LineStore::LineStore(const LineStore& other)
    : blocks_(other.blocks_)
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
    : blocks_(std::move(other.blocks_))
    , open_(std::exchange(other.open_, SIZE_MAX))
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
        blocks_ = std::move(other.blocks_);
        open_ = std::exchange(other.open_, SIZE_MAX);
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
    std::vector<std::shared_ptr<Block>>().swap(blocks_);
    open_ = SIZE_MAX;
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
    std::size_t bytes = 0;
    for (const auto& block : blocks_)
        bytes += block->capacity;
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
    const ChunkLines& lines = chunks_[place.chunk].lines;
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
    const ChunkLines& lines = chunks_[chunk].lines;
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
        Decode(blocks_[record.where & Record::kIndex]->bytes.get() + record.start + from, count, text.data());
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
    const char byte = blocks_[record.where & Record::kIndex]->bytes[record.start + static_cast<std::size_t>(column)];
    return QChar(DecodeTable()[static_cast<unsigned char>(byte)]);
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

BoldSpans LineStore::BoldIn(qsizetype line, qsizetype from, qsizetype count) const
{
    const Record record = RecordOf(line);
    ClampToLine(record, from, count);
    return Clip(BoldOf(record), from, from + count);
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
        out.append(blocks_[record.where & Record::kIndex]->bytes.get() + record.start, record.length);
        return;
    }
    for (const QChar c : TextOfRecord(record, 0, record.length)) {
        const int byte = Encode(c);
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
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

// ---- Writing ----

char* LineStore::Reserve(std::size_t bytes, std::uint32_t& block, std::uint32_t& start)
{
    if (open_ < blocks_.size() && blocks_[open_]->capacity - blocks_[open_]->size >= bytes) {
        Block& open = *blocks_[open_];
        block = static_cast<std::uint32_t>(open_);
        start = static_cast<std::uint32_t>(open.size);
        open.size += bytes;
        return open.bytes.get() + start;
    }
    const bool own = bytes > kBlockBytes / 4;
    auto fresh = std::make_shared<Block>(NewBlock(own ? bytes : kBlockBytes));
    fresh->size = bytes;
    blocks_.push_back(std::move(fresh));
    block = static_cast<std::uint32_t>(blocks_.size() - 1);
    start = 0;
    if (!own)
        open_ = blocks_.size() - 1;
    return blocks_.back()->bytes.get();
}

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

LineStore::Record LineStore::NarrowRecord(std::string_view bytes)
{
    Record record;
    record.length = Narrowed(static_cast<qsizetype>(bytes.size()));
    if (!bytes.empty())
        std::memcpy(Reserve(bytes.size(), record.where, record.start), bytes.data(), bytes.size());
    return record;
}

LineStore::Record LineStore::RecordOfText(const QString& text)
{
    if (!Encodable(text)) {
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
    char* out = Reserve(static_cast<std::size_t>(text.size()), record.where, record.start);
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = static_cast<char>(Encode(text[i]));
    return record;
}

LineStore::Record LineStore::Slice(const Record& record, qsizetype from, qsizetype to)
{
    Record piece = record;
    piece.start = Narrowed(record.start + from);
    piece.length = Narrowed(to - from);
    SetBold(piece, Clip(BoldOf(record), from, to));
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
        char* out = Reserve(total, joined.where, joined.start);
        std::memcpy(out, blocks_[headBlock]->bytes.get() + head.start, head.length);
        std::memcpy(out + head.length, blocks_[tailBlock]->bytes.get() + tail.start, tail.length);
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
        blocks_.push_back(std::make_shared<Block>(std::move(batch.bytes_)));
        block = static_cast<std::uint32_t>(blocks_.size() - 1);
    } else if (batch.bytes_.size > 0) {
        std::memcpy(Reserve(batch.bytes_.size, block, shift), batch.bytes_.bytes.get(), batch.bytes_.size);
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

    // Take the replaced lines out, chunk by chunk.
    Place place = Locate(from.line);
    const std::size_t firstChunk = place.chunk;
    qsizetype remaining = to.line - from.line + 1;
    std::size_t c = place.chunk;
    std::size_t at = place.index;
    while (remaining > 0) {
        Chunk& chunk = chunks_[c];
        const auto take = static_cast<std::size_t>(
            std::min<qsizetype>(remaining, static_cast<qsizetype>(chunk.lines.Size() - at)));
        for (std::size_t i = at; i < at + take; ++i)
            chunk.characters -= chunk.lines.LengthAt(i);
        chunk.lines.Erase(at, at + take);
        chunk.longest = -1;
        remaining -= static_cast<qsizetype>(take);
        lineCount_ -= static_cast<qsizetype>(take);
        ++c;
        at = 0;
    }
    // Put the new ones in where the first was taken out.
    Chunk& into = chunks_[firstChunk];
    into.lines.Insert(place.index, fresh);
    lineCount_ += static_cast<qsizetype>(fresh.size());
    for (const Record& record : fresh)
        into.characters += record.length;
    // Chunks emptied go; one grown too large is split.
    std::vector<Chunk> rebuilt;
    rebuilt.reserve(chunks_.size() + 1);
    for (std::size_t i = 0; i < chunks_.size(); ++i) {
        Chunk& chunk = chunks_[i];
        if (i < firstChunk || i >= c) {
            rebuilt.push_back(std::move(chunk));
            continue;
        }
        if (chunk.lines.Empty())
            continue;
        if (chunk.lines.Size() <= 2 * kChunkLines) {
            rebuilt.push_back(std::move(chunk));
            continue;
        }
        for (std::size_t first = 0; first < chunk.lines.Size(); first += kChunkLines) {
            Chunk piece;
            const std::size_t end = std::min(chunk.lines.Size(), first + kChunkLines);
            piece.lines = chunk.lines.Piece(first, end);
            for (std::size_t i = 0; i < piece.lines.Size(); ++i)
                piece.characters += piece.lines.LengthAt(i);
            rebuilt.push_back(std::move(piece));
        }
    }
    chunks_ = std::move(rebuilt);
    characters_ = 0;
    for (const Chunk& chunk : chunks_)
        characters_ += chunk.characters;
    prefixValid_ = std::min(prefixValid_, firstChunk + 1);
    return end;
}

} // namespace kiv
