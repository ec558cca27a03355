#include "logscan/RewriteLogLine.h"

#include <algorithm>

namespace kiv {
namespace {

// Puts text in front of the character at 1-based position x, or at the end when
// x lies past the last character.
void InsertBefore(std::string& line, std::size_t x, std::string_view text)
{
    line.insert(std::min(x - 1, line.size()), text);
}

// From 1-based position start, the position of the next ":" that comes before
// the last character, else the line's length (start itself when it already
// lies past the end).
std::size_t NextColonOrLength(const std::string& line, std::size_t start)
{
    std::size_t at = start;
    while (at < line.size() && line[at - 1] != ':')
        ++at;
    return at;
}

} // namespace

std::string RewriteLogLine(std::string_view read)
{
    std::string line(read);
    line.reserve(read.size() + 16);

    const std::size_t firstColon = line.find(':');
    const std::size_t p = firstColon == std::string::npos ? 0 : firstColon + 1;

    // The date: "/" after its second and fourth digit, " le " in front of it.
    // Right to left, so that each position still names the character it named
    // in the line as read.
    const std::size_t k = NextColonOrLength(line, p + 1);
    InsertBefore(line, k + 5, "/");
    InsertBefore(line, k + 3, "/");
    InsertBefore(line, k + 1, " le ");

    // The time, after the ":" that follows the date: " à " in front, " h " after
    // the hours, " min " after the minutes.
    const std::size_t m = NextColonOrLength(line, k + 5);
    InsertBefore(line, m + 5, " min ");
    InsertBefore(line, m + 3, " h ");
    InsertBefore(line, m + 1, " \xE0 ");
    return line;
}

} // namespace kiv
