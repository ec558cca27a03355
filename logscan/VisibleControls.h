#pragma once
// Text with its control characters written visibly, as `cat -v` shows them,
// so that a file name or a log line cannot move, colour or retitle a
// terminal, nor make one message look like two, in a terminal or in a message
// box of the window alike: ^[ for ESC, ^J for an LF, ^? for DEL, and M-^] and
// the like for the code points 0x80 to 0x9F that a terminal would obey (in
// Windows-1252, the five bytes it leaves undefined).

#include <string>
#include <string_view>

namespace kiv {

// The two encodings the tool writes text in.
enum class Encoding { Utf8, Cp1252 };

// A TAB stays; with keepLineEnds so do an LF and a CR before it, which end
// the lines that a program writes.
std::string VisibleControls(std::string_view text, Encoding encoding, bool keepLineEnds);

} // namespace kiv
