// Any line: the rewriting only inserts its six separators, so the result is
// always 17 bytes longer and keeps the line's first field in front.

#include "logscan/RewriteLogLine.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    const std::string rewritten = kiv::RewriteLogLine(line);
    if (rewritten.size() != line.size() + 17)
        std::abort();
    const std::size_t colon = line.find(':');
    const std::size_t kept = colon == std::string::npos ? 0 : colon;
    if (rewritten.compare(0, kept, line, 0, kept) != 0)
        std::abort();
    return 0;
}
