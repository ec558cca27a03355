#pragma once
// Windows-1252, the character set of every log file, list file and saved
// result. The five bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the code points of the same value, so that every byte
// survives a round trip; a character that Windows-1252 cannot hold becomes "?".

#include <string>
#include <string_view>

namespace kiv {

char32_t Cp1252ToUnicode(unsigned char byte) noexcept;

// The byte for a code point, or -1 when Windows-1252 has none.
int UnicodeToCp1252(char32_t codePoint) noexcept;

std::string Cp1252ToUtf8(std::string_view bytes);

// Malformed UTF-8 sequences and characters outside Windows-1252 become "?".
std::string Utf8ToCp1252(std::string_view utf8);

// The first character of the UTF-8 text that Windows-1252 cannot hold
// (U+FFFD for bytes that are not UTF-8), or 0 when it holds none: a watched
// word with one would be searched for as "?" and find other lines.
char32_t FirstCharacterOutsideCp1252(std::string_view utf8);

} // namespace kiv
