#pragma once
// Log lines made out of order (one pupil's session after another) and written
// in the order of their times, as the server writes them.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace kivgen {

struct TimedLine {
    int second;        // since midnight
    std::uint32_t seq; // order of creation: keeps lines of the same second in that order
    std::string line;
};

inline void SortByTime(std::vector<TimedLine>& lines)
{
    std::sort(lines.begin(), lines.end(), [](const TimedLine& a, const TimedLine& b) {
        return a.second != b.second ? a.second < b.second : a.seq < b.seq;
    });
}

} // namespace kivgen
