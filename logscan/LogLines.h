#pragma once
// How the text of a log file divides into lines: a line ends at CR LF, at a
// lone CR or at a lone LF, and its leading tabs and spaces are not part of its
// text. Shared by the reader, which splits whole files, and by the keyword
// search, which only looks at the lines around the places a word was found.

#include <cstddef>
#include <cstring>
#include <string_view>

namespace kiv {

constexpr bool IsLineBreak(char c) noexcept { return c == '\r' || c == '\n'; }
constexpr bool IsLineBlank(char c) noexcept { return c == ' ' || c == '\t'; }

// A line as byte offsets into its text, without the break: [begin, end).
struct LineSpan {
    std::size_t begin;
    std::size_t end;
    friend bool operator==(const LineSpan&, const LineSpan&) = default;
};

// The line's text as the reader gives it: without its leading tabs and spaces.
inline std::string_view StripLeadingBlanks(std::string_view line) noexcept
{
    std::size_t body = 0;
    while (body < line.size() && IsLineBlank(line[body]))
        ++body;
    return line.substr(body);
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

// Where the line after the break at offset breakAt starts (CR LF is one break).
inline std::size_t AfterBreak(std::string_view text, std::size_t breakAt) noexcept
{
    std::size_t next = breakAt + 1;
    if (text[breakAt] == '\r' && next < text.size() && text[next] == '\n')
        ++next;
    return next;
}

// Finds line breaks with memchr, remembering the next CR and the next LF so
// that a file using only one kind of break is not searched twice.
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

} // namespace kiv
