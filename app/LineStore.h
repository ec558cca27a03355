#pragma once
// The text of a view that holds a year of results or a whole day of
// sessions: one entry per line, each with the stretches the view draws in
// bold. Appending a line costs one move into a vector, whatever the length
// of what is already there; an edit touches only the lines it spans.

#include <QString>
#include <QVarLengthArray>

#include <cstddef>
#include <deque>
#include <utility>
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

struct StoredLine {
    QString text;
    BoldSpans bold; // in order, not overlapping, none empty
};

// Lines as an edit takes them out or puts them in: the first joins the text
// before the edit's start, the last the text after it.
using LineRun = std::vector<StoredLine>;
// The lines of a whole text: appending never moves those already there.
using LineList = std::deque<StoredLine>;

class LineStore {
public:
    // An empty text is one empty line, as in any editor.
    LineStore();

    qsizetype LineCount() const noexcept { return static_cast<qsizetype>(lines_.size()); }
    const StoredLine& Line(qsizetype index) const { return lines_[static_cast<std::size_t>(index)]; }
    qsizetype LineLength(qsizetype index) const { return Line(index).text.size(); }

    // Lines given whole: each becomes a line of its own after the text, which
    // then ends with an empty line, as results appended with their line
    // breaks do. When the last line is empty the first of them takes its
    // place.
    void AppendLines(std::vector<StoredLine>&& lines);
    void Clear();
    // Empties the store and hands over what it held, to be freed elsewhere.
    LineList TakeLines();

    // The position moved inside the text: its line clamped to the lines
    // there are, its column to that line's length.
    TextPos Clamp(TextPos pos) const;

    // The text between two positions, bold stretches included.
    LineRun Extract(TextPos from, TextPos to) const;
    // Replaces the text between two positions by run and returns where run
    // ends.
    TextPos Replace(TextPos from, TextPos to, const LineRun& run);

    // Plain text, lines joined by '\n'.
    QString PlainText(TextPos from, TextPos to) const;
    QString PlainText() const;

    // Offsets counted over the plain text (each line break one character),
    // as screen readers count them. Positions and offsets convert both ways.
    qsizetype CharacterCount() const;
    qsizetype OffsetOf(TextPos pos) const;
    TextPos PosOfOffset(qsizetype offset) const;

    // The line with the most characters, as a first guess of the widest.
    qsizetype LongestLine() const noexcept { return longest_; }

    // Splits plain text at its line breaks ("\r\n", "\n", "\r" or the
    // paragraph separator) into a run with no bold.
    static LineRun RunOfText(const QString& text);

private:
    // Two positions inside the text, the earlier first.
    std::pair<TextPos, TextPos> Ordered(TextPos from, TextPos to) const;
    void LinesChangedFrom(qsizetype line);
    void Remember(qsizetype line);
    void EnsureOffsets() const;

    LineList lines_;
    qsizetype longest_ = 0;
    // Where each line starts in the plain text, valid for the lines before
    // offsetsValid_; worked out only when someone asks for offsets.
    mutable std::vector<qsizetype> starts_;
    mutable qsizetype offsetsValid_ = 0;
};

} // namespace kiv
