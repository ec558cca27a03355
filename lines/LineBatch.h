#pragma once
// Lines made ready to be appended to a view, on any thread: a search's worker
// prepares them so that the window only copies their bytes in (or takes
// their block whole when it is large).

#include "lines/detail/LineRecord.h"

#include <QString>
#include <QVarLengthArray>

#include <cstddef>
#include <string_view>
#include <vector>

namespace kiv {

struct BoldSpan {
    qsizetype start = 0;
    qsizetype length = 0;

    friend bool operator==(const BoldSpan&, const BoldSpan&) = default;
};

// A result line has one bold word: it is kept inside the line, without an
// allocation of its own.
using BoldSpans = QVarLengthArray<BoldSpan, 1>;

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
    // Room for this many more bytes in the block.
    char* Grow(std::size_t bytes);
    void SetBold(detail::LineRecord& record, const BoldSpans& bold);

    detail::Block bytes_;
    std::vector<detail::LineRecord> lines_;
    std::vector<QString> wide_;
    std::vector<BoldSpans> boldLists_;
    bool endsText_ = false;
};

} // namespace kiv
