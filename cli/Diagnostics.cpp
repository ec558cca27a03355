#include "cli/Diagnostics.h"

#include "cli/Output.h"
#include "logscan/FileIo.h"
#include "logscan/KivError.h"

#include <cstdio>

namespace kiv::cli {

void ReportError(std::string_view cp1252Message, Encoding encoding)
{
    // One error is one line, whatever a file name holds, on a terminal or in a log.
    const std::string line = VisibleControls(Encode(WithFullStop(cp1252Message), encoding), encoding, false) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace kiv::cli
