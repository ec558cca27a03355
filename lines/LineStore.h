#pragma once
// The text of a view that holds a year of results or a whole day of
// sessions. Readers see it only through the reading functions below, never
// through its records: LineCount, LineLength, LineText, CharAt, BoldIn and
// IsNarrow for a line or a slice of one; PlainText, CharacterCount,
// OffsetOf / PosOfOffset, Clamp and End over the whole text; LongestLine;
// AppendCp1252 and JoinedCp1252 for its Windows-1252 bytes; TextOf for lines
// an edit took out; BytesHeld for its memory. A line is held in one byte a
// character while its text fits in Windows-1252 (as every log line does), so
// a slice is made only of what is asked and never of a whole giant line.
//
// The lines' bytes lie one after another in large blocks, never one
// allocation a line; a line is a small record pointing into a block, its bold
// stretch beside it. Records are grouped in chunks of kChunkLines, each
// knowing its characters, so that a line, its offset in the whole text and
// the line at an offset are found in O(log n) whatever the length.
// Appending costs a copy of the new bytes. An edit writes the bytes of the
// lines it joins, moves the records of the chunks it spans, then walks the
// list of chunks once: it drops those it emptied, splits one grown too large
// and adds up every chunk's characters again; a later look-up redoes the
// running counts of the chunks after it. So an edit costs in proportion to
// the chunks (some 250 for a million lines), never to the lines.

#include "lines/LineBatch.h"
#include "lines/detail/ByteBlocks.h"
#include "lines/detail/ChunkLines.h"
#include "lines/detail/LineRecord.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
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
    // Records a chunk holds when filled by appending; an edit splits a
    // chunk that grew past twice this.
    static constexpr std::size_t kChunkLines = 4096;

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
    struct Chunk {
        detail::ChunkLines lines;
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
    // Takes count lines out from a place on, chunk by chunk; gives the
    // chunk after the last one it took from.
    std::size_t EraseLines(Place from, qsizetype count);
    // After an edit of the chunks [first, end): those it emptied go, one it
    // grew past twice kChunkLines is split, and the counts follow.
    void TidyChunks(std::size_t first, std::size_t end);

    // Characters of a record; BytesOf for a narrow one only.
    const char* BytesOf(const Record& record) const noexcept
    {
        return bytes_.At(record.where & Record::kIndex, record.start);
    }
    QString TextOfRecord(const Record& record, qsizetype from, qsizetype count) const;
    void AppendTextOf(const Record& record, QString& out) const;
    void AppendCp1252Of(const Record& record, std::string& out) const;
    BoldSpans BoldOf(const Record& record) const;
    // The bold of spans between two columns, counted from the first.
    static BoldSpans ClipBold(const BoldSpans& spans, qsizetype from, qsizetype to);
    void SetBold(Record& record, const BoldSpans& bold);
    Record Slice(const Record& record, qsizetype from, qsizetype to);
    Record Join(const Record& head, const Record& tail);
    Record RecordOfText(const QString& text);
    void ReleaseAll();

    detail::ByteBlocks bytes_;
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
