#include "FileFind/detail/WildcardMatch.h"

#include "common/AsciiCase.h"

#include <cstddef>

namespace kiv {
namespace {

// Unsigned, so that names with accented letters sort after the plain ones.
constexpr unsigned char FoldAscii(char c) noexcept
{
    return static_cast<unsigned char>(AsciiUpper(c));
}

// Plain "*" and "?" matching, greedy on the last star seen: when a later part
// fails, the last star takes one more character and the rest is tried again.
// Earlier stars never need to be revisited, which keeps the work at most
// proportional to pattern length times name length.
bool MatchStars(std::string_view pattern, std::string_view name) noexcept
{
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos; // position after the last star
    std::size_t starN = 0;                      // name position that star resumes from
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starN = n;
        } else if (p < pattern.size()
                   && (pattern[p] == '?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// Where the pattern ends in a "." followed only by stars, the position of that
// dot; npos otherwise.
std::size_t TrailingDotStars(std::string_view pattern) noexcept
{
    std::size_t end = pattern.size();
    while (end > 0 && pattern[end - 1] == '*')
        --end;
    if (end > 0 && pattern[end - 1] == '.')
        return end - 1;
    return std::string_view::npos;
}

} // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) noexcept
{
    // "name.*" must also select "name" itself; a pattern such as "a.*.*" can
    // shed its tail once per trailing ".*".
    for (;;) {
        if (MatchStars(pattern, name))
            return true;
        const std::size_t dot = TrailingDotStars(pattern);
        if (dot == std::string_view::npos)
            return false;
        pattern = pattern.substr(0, dot);
    }
}

bool NameOrderLess(std::string_view a, std::string_view b) noexcept
{
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = FoldAscii(a[i]);
        const unsigned char y = FoldAscii(b[i]);
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b; // byte order, unsigned as char_traits<char> compares
}

} // namespace kiv
