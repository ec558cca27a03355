#include "Diagnostics.h"

#include "FileIo.h"
#include "KivError.h"
#include "Output.h"

#include <cstdio>

namespace kiv::cli {

void ReportError(std::string_view cp1252Message, Encoding encoding)
{
    // One error is one line, whatever a file name holds, on a terminal or in a log.
    const std::string line = VisibleControls(Encode(WithFullStop(cp1252Message), encoding), encoding, false) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

std::string ShownPath(const std::string& pathBytes)
{
    return PathForMessage(PathFromBytes(pathBytes));
}

} // namespace kiv::cli
