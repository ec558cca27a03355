#pragma once
// A keyword log line made readable for the results view. The server writes
// "computer:pupil:ddmmyy:hhmm:rest"; the rewritten line reads
// "computer:pupil: le dd/mm/yy: à hh h mm min :rest". The separators are put at
// fixed distances from the second and third ":" without checking the fields, so
// an odd line gives an odd but predictable text (the results view shows what
// the log holds, never less).

#include <string>
#include <string_view>

namespace kiv {

std::string RewriteLogLine(std::string_view line);

} // namespace kiv
