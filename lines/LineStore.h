#pragma once
// The text of a view that holds a year of results or a whole day of
// sessions. Views read lines ONLY through LineCount, LineLength, LineText,
// CharAt, BoldIn, PlainText, CharacterCount, OffsetOf / PosOfOffset, Clamp,
// End and LongestLine: a line is held in one byte a character while its text
// fits in Windows-1252 (as every log line does), so a slice is made only of
// what is asked and never of a whole giant line.
//
// The lines' bytes lie one after another in large blocks, never one
// allocation a line; a line is a small record pointing into a block, its bold
// stretch beside it. Records are grouped in chunks of a few thousand, each
// knowing its characters, so that a line, its offset in the whole text and
// the line at an offset are found in O(log n) whatever the length.
// Appending costs a copy of the new bytes; an edit writes only the lines it
// makes and moves only the records of its chunk.

#include <QString>
#include <QVarLengthArray>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// Where a character lies: the line, from 0, and its column in that line.
struct TextPos {
    qsizetype line = 0;
    qsizetype column = 0;

    friend bool operator==(const TextPos&, const TextPos&) = default;
    friend auto operator<=>(const TextPos&, const TextPos&) = default;
};

struct BoldSpan {
    qsizetype start = 0;
    qsizetype length = 0;

    friend bool operator==(const BoldSpan&, const BoldSpan&) = default;
};

// A result line has one bold word: it is kept inside the line, without an
// allocation of its own.
using BoldSpans = QVarLengthArray<BoldSpan, 1>;

namespace detail {
// One line: where its characters are, how many, and its bold.
struct LineRecord {
    // Index of the block of bytes, or of the wide text when kWide is set;
    // kManyBold: boldStart indexes the store's lists of bold stretches.
    std::uint32_t where = 0;
    std::uint32_t start = 0; // first character inside that block or text
    std::uint32_t length = 0;
    std::uint32_t boldStart = 0;
    std::uint32_t boldLength = 0;

    static constexpr std::uint32_t kWide = 1u << 31;
    static constexpr std::uint32_t kManyBold = 1u << 30;
    static constexpr std::uint32_t kIndex = kManyBold - 1;
};

struct Block {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    std::size_t capacity = 0;
};
} // namespace detail

// Lines made ready to be appended, on any thread: a search's worker prepares
// them so that the window only copies their bytes in (or takes their block
// whole when it is large).
class LineBatch {
public:
    // Room for this many lines and bytes, when known beforehand.
    void Reserve(std::size_t lines, std::size_t bytes);
    // A line of Windows-1252 bytes, each one character, with its bold
    // stretch (none when empty).
    void Add(std::string_view cp1252, BoldSpan bold = {});
    // A line as Qt's text: held in one byte a character if Windows-1252 can
    // hold each of them.
    void Add(const QString& text, const BoldSpans& bold = {});
    qsizetype Count() const noexcept { return static_cast<qsizetype>(lines_.size()); }
    bool Empty() const noexcept { return lines_.empty(); }
    // The text ends with the last of these lines, no line break after it: the
    // end of a list file, whose last entry has none.
    void EndText() noexcept { endsText_ = true; }

private:
    friend class LineStore;
    void Grow(std::size_t bytes);

    detail::Block bytes_;
    std::vector<detail::LineRecord> lines_;
    std::vector<QString> wide_;
    std::vector<BoldSpans> boldLists_;
    bool endsText_ = false;
};

// Lines as an edit takes them out or puts them in: the first joins the text
// before the edit's start, the last the text after it. Their characters stay
// in the blocks of the store that made them.
struct LineRun {
    std::vector<detail::LineRecord> lines;
    qsizetype LineCount() const noexcept { return static_cast<qsizetype>(lines.size()); }
    qsizetype LastLength() const noexcept { return lines.empty() ? 0 : lines.back().length; }
};

class LineStore {
public:
    // An empty text is one empty line, as in any editor.
    LineStore();
    // A copy shares the blocks, which never change once written: printing
    // takes one while staff go on editing.
    LineStore(const LineStore& other);
    LineStore& operator=(const LineStore& other);
    LineStore(LineStore&& other) noexcept;
    LineStore& operator=(LineStore&& other) noexcept;
    ~LineStore();

    // ---- Reading: what views use ----
    qsizetype LineCount() const noexcept { return lineCount_; }
    // In characters.
    qsizetype LineLength(qsizetype line) const;
    // count characters of line from column from (all that follow when -1).
    QString LineText(qsizetype line, qsizetype from = 0, qsizetype count = -1) const;
    QChar CharAt(qsizetype line, qsizetype column) const;
    // The bold stretches of the same slice, counted from its first character.
    BoldSpans BoldIn(qsizetype line, qsizetype from = 0, qsizetype count = -1) const;
    // Whether the line is held in one byte a character.
    bool IsNarrow(qsizetype line) const;

    // Plain text, lines joined by '\n'.
    QString PlainText(TextPos from, TextPos to) const;
    QString PlainText() const { return PlainText({0, 0}, End()); }

    // Offsets counted over the plain text (each line break one character),
    // as screen readers count them. Both ways in O(log n).
    qsizetype CharacterCount() const noexcept { return characters_ + lineCount_ - 1; }
    qsizetype OffsetOf(TextPos pos) const;
    TextPos PosOfOffset(qsizetype offset) const;

    // The position moved inside the text: its line clamped to the lines
    // there are, its column to that line's length.
    TextPos Clamp(TextPos pos) const;
    TextPos End() const { return {lineCount_ - 1, LineLength(lineCount_ - 1)}; }

    // The line with the most characters, as a first guess of the widest.
    qsizetype LongestLine() const;

    // Appends the line's Windows-1252 bytes to out; a character that
    // Windows-1252 cannot hold becomes "?".
    void AppendCp1252(qsizetype line, std::string& out) const;

    // The whole text in Windows-1252, lines joined by separator; a character
    // that Windows-1252 cannot hold becomes "?". It walks the lines in order
    // and never fills the caches that reading a line fills, so a worker may
    // write a list out while the window paints the same text, as long as
    // nothing changes the text meanwhile.
    std::string JoinedCp1252(std::string_view separator) const;

    // The memory the text holds, blocks and records, in bytes.
    std::size_t BytesHeld() const;

    // ---- Changing: the document's part ----
    // Lines given whole: each becomes a line of its own after the text, which
    // then ends with an empty line, as results appended with their line
    // breaks do (unless the batch ends the text). When the last line is
    // empty the first of them takes its place.
    void AppendLines(LineBatch&& lines);
    // Empties the text and gives its memory back to the system.
    void Clear();

    LineRun Extract(TextPos from, TextPos to);
    // Replaces the text between two positions by run and returns where run
    // ends.
    TextPos Replace(TextPos from, TextPos to, const LineRun& run);
    // Plain text split at its line breaks ("\r\n", "\n", "\r", the line and
    // paragraph separators) into lines of this store, with no bold.
    LineRun RunOfText(const QString& text);
    // The text of a run, lines joined by '\n'.
    QString TextOf(const LineRun& run) const;

private:
    using Record = detail::LineRecord;
    // The records of one chunk, their bold kept apart: a room list of
    // millions of short lines has none, and pays 12 bytes a line where a
    // whole record takes 20; a year of results, one bold word a line, pays
    // the 20. A chunk's bold appears with the first of its lines that has
    // some, and then holds a stretch for each of its lines.
    class ChunkLines {
    public:
        std::size_t Size() const noexcept { return texts_.size(); }
        bool Empty() const noexcept { return texts_.empty(); }
        Record operator[](std::size_t i) const noexcept
        {
            const Text& text = texts_[i];
            Record record{text.where, text.start, text.length};
            if (!bold_.empty()) {
                record.boldStart = bold_[i].start;
                record.boldLength = bold_[i].length;
            }
            return record;
        }
        qsizetype LengthAt(std::size_t i) const noexcept { return texts_[i].length; }
        void Reserve(std::size_t lines) { texts_.reserve(lines); }
        void PushBack(const Record& record);
        void PopBack() noexcept;
        // The lines [first, last) taken out, or those of records put in
        // before at.
        void Erase(std::size_t first, std::size_t last);
        void Insert(std::size_t at, std::span<const Record> records);
        // A copy of the lines [first, last), with no bold of its own when
        // none of them has any.
        ChunkLines Piece(std::size_t first, std::size_t last) const;
        std::size_t BytesHeld() const noexcept;

    private:
        struct Text {
            std::uint32_t where = 0;
            std::uint32_t start = 0;
            std::uint32_t length = 0;
        };
        struct Bold {
            std::uint32_t start = 0;
            std::uint32_t length = 0;
        };
        std::vector<Text> texts_;
        std::vector<Bold> bold_; // empty, or one a line
    };
    struct Chunk {
        ChunkLines lines;
        qsizetype characters = 0;
        mutable qsizetype longest = -1; // index inside the chunk, -1 unknown
    };
    struct Place {
        std::size_t chunk;
        std::size_t index;
    };

    Place Locate(qsizetype line) const;
    Record RecordOf(qsizetype line) const;
    void EnsurePrefix() const;
    void PushBack(const Record& record);

    // Characters of a record.
    QString TextOfRecord(const Record& record, qsizetype from, qsizetype count) const;
    void AppendTextOf(const Record& record, QString& out) const;
    void AppendCp1252Of(const Record& record, std::string& out) const;
    BoldSpans BoldOf(const Record& record) const;
    void SetBold(Record& record, const BoldSpans& bold);
    Record Slice(const Record& record, qsizetype from, qsizetype to);
    Record Join(const Record& head, const Record& tail);
    Record NarrowRecord(std::string_view bytes);
    Record RecordOfText(const QString& text);
    char* Reserve(std::size_t bytes, std::uint32_t& block, std::uint32_t& start);
    void ReleaseAll();

    std::vector<std::shared_ptr<detail::Block>> blocks_;
    // The block new bytes go to; a copy of the store never writes into a
    // block it shares.
    std::size_t open_ = SIZE_MAX;
    std::vector<QString> wide_;
    std::vector<BoldSpans> boldLists_;

    std::vector<Chunk> chunks_;
    qsizetype lineCount_ = 0;
    qsizetype characters_ = 0;
    // Per chunk: its first line and the offset of that line, valid for the
    // chunks before prefixValid_.
    mutable std::vector<qsizetype> firstLine_;
    mutable std::vector<qsizetype> firstOffset_;
    mutable std::size_t prefixValid_ = 0;
};

// Hands memory freed by the text back to the system (glibc keeps it
// otherwise); a no-op elsewhere.
void ReturnFreedMemory();

} // namespace kiv
