#pragma once
// How text divides into lines, in one place. Two rules:
//  - log files and list files: a line ends at CR LF, at a lone CR or at a lone
//    LF; in a list file a NUL byte ends the text (nothing after it is read),
//    in a log file it is a byte of its line; a log line's leading tabs and
//    spaces are not part of its text;
//  - the cells of the occupation table: a line ends at a CR only, and an LF
//    right after that CR belongs to the same break.
// The reader splits whole files, the text lists split list files, the room
// scan cuts a busy day into chunks of whole lines, the keyword search looks
// only at the lines around the places a word was found, and the table draws a
// cell line by line: all of them ask here.

#include "logscan/Simd.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace kiv {

// --- log files and list files: CR LF, lone CR, lone LF -----------------------

constexpr bool IsLineBreak(char c) noexcept { return c == '\r' || c == '\n'; }
constexpr bool IsLineBlank(char c) noexcept { return c == ' ' || c == '\t'; }

// A line as byte offsets into its text, without the break: [begin, end).
struct LineSpan {
    std::size_t begin;
    std::size_t end;
    friend bool operator==(const LineSpan&, const LineSpan&) = default;
};

// The text of a list file: its bytes before the first NUL.
inline std::string_view BeforeNul(std::string_view bytes) noexcept
{
    if (bytes.empty()) // an empty file's bytes may have no address at all
        return bytes;
    if (const void* nul = std::memchr(bytes.data(), '\0', bytes.size()))
        return bytes.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data()));
    return bytes;
}

// The line's text as the reader gives it: without its leading tabs and spaces.
inline std::string_view StripLeadingBlanks(std::string_view line) noexcept
{
    std::size_t body = 0;
    while (body < line.size() && IsLineBlank(line[body]))
        ++body;
    return line.substr(body);
}

// The first byte of text[from, end) that is not a leading tab or space: where
// a log line's text starts.
inline std::size_t SkipLineBlanks(std::string_view text, std::size_t from, std::size_t end) noexcept
{
    while (from < end && IsLineBlank(text[from]))
        ++from;
    return from;
}

// How many bytes the break at offset breakAt takes: 2 for CR LF, else 1.
inline std::size_t BreakLength(std::string_view text, std::size_t breakAt) noexcept
{
    return text[breakAt] == '\r' && breakAt + 1 < text.size() && text[breakAt + 1] == '\n' ? 2 : 1;
}

// Where the line after the break at offset breakAt starts (CR LF is one break).
inline std::size_t AfterBreak(std::string_view text, std::size_t breakAt) noexcept
{
    return breakAt + BreakLength(text, breakAt);
}

// The first CR or LF in text[from, end), or end: one pass for both kinds of
// break, sixteen bytes at a time where the processor allows. Suits text of
// short lines, such as a connection log or a list.
inline std::size_t FindLineBreak(std::string_view text, std::size_t from, std::size_t end) noexcept
{
    const char* const bytes = text.data();
#ifdef KIV_HAVE_SSE2
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; from + 16 <= end; from += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from));
        const int found = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf)));
        if (found != 0)
            return from + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(found)));
    }
#endif
    while (from < end && !IsLineBreak(bytes[from]))
        ++from;
    return from;
}

// Where the first line starting at or after offset from starts: just after
// the first break at or after from (a CR LF kept whole), or the text's size.
// Cuts a text into parts of whole lines.
inline std::size_t NextLineStart(std::string_view text, std::size_t from) noexcept
{
    const std::size_t at = FindLineBreak(text, from, text.size());
    return at == text.size() ? at : AfterBreak(text, at);
}

// The line that holds the byte at offset at, which must not be a break.
inline LineSpan LineAround(std::string_view text, std::size_t at) noexcept
{
    std::size_t begin = at;
    while (begin > 0 && !IsLineBreak(text[begin - 1]))
        --begin;
    std::size_t end = at;
    while (end < text.size() && !IsLineBreak(text[end]))
        ++end;
    return {begin, end};
}

// How many line breaks the text holds, a CR LF counted once: the number of
// lines, less one when the last line has no break.
std::size_t CountLineBreaks(std::string_view text) noexcept;

// True when a line after the first starts with a tab or a space, that is when
// a CR or LF is directly followed by one (after CR LF the byte after CR is the
// LF, so a break pair never counts).
bool AnyLaterLineIndented(std::string_view text) noexcept;

// Finds line breaks with memchr, remembering the next CR and the next LF so
// that a file using only one kind of break is not searched twice. Suits a
// whole file walked from start to end.
class BreakFinder {
public:
    explicit BreakFinder(std::string_view text) noexcept
        : text_(text), nextCr_(Find('\r', 0)), nextLf_(Find('\n', 0))
    {
    }

    // The offset of the first CR or LF at or after from, or the text's size.
    std::size_t Next(std::size_t from) noexcept
    {
        if (nextCr_ < from)
            nextCr_ = Find('\r', from);
        if (nextLf_ < from)
            nextLf_ = Find('\n', from);
        return nextCr_ < nextLf_ ? nextCr_ : nextLf_;
    }

private:
    std::size_t Find(char c, std::size_t from) const noexcept
    {
        if (from >= text_.size())
            return text_.size();
        const void* hit = std::memchr(text_.data() + from, c, text_.size() - from);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data()) : text_.size();
    }

    std::string_view text_;
    std::size_t nextCr_;
    std::size_t nextLf_;
};

// --- cells of the occupation table: CR, with an LF after it ------------------

// The first CR at or after from, or the text's size.
inline std::size_t FindCellBreak(std::string_view text, std::size_t from = 0) noexcept
{
    const std::size_t cr = text.find('\r', from);
    return cr == std::string_view::npos ? text.size() : cr;
}

// Where the cell line after the CR at offset crAt starts: an LF right after
// the CR is part of the break.
inline std::size_t AfterCellBreak(std::string_view text, std::size_t crAt) noexcept
{
    const std::size_t next = crAt + 1;
    return next < text.size() && text[next] == '\n' ? next + 1 : next;
}

// How many breaks a cell text holds: its CRs.
std::size_t CountCellBreaks(std::string_view text) noexcept;

} // namespace kiv
