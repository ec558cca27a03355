#pragma once
// Errors of kivlogs-cli on standard error, one per line, each as the window's
// error box would show it.

#include "cli/CliOptions.h"

#include <string>
#include <string_view>

namespace kiv::cli {

// An engine error (Windows-1252 text), with the error box's full stop, its
// control characters written visibly (VisibleControls): always one line.
void ReportError(std::string_view cp1252Message, Encoding encoding);

} // namespace kiv::cli
