#pragma once
// The one crossing between the tool's Windows-1252 bytes and Qt's text: every
// widget that shows or takes file text goes through these two functions.

#include <QString>

#include <string>
#include <string_view>

namespace kiv {

// Each byte becomes its Windows-1252 character; the five undefined bytes
// become the code points of the same value, so nothing is lost.
QString FromCp1252(std::string_view bytes);

// Each character becomes its Windows-1252 byte; a character that
// Windows-1252 cannot hold becomes "?".
std::string ToCp1252(const QString& text);

} // namespace kiv
