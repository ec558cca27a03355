#pragma once
// The one crossing between the tool's Windows-1252 bytes and Qt's text: every
// widget that shows or takes file text goes through these functions, and the
// lines views' store reads and writes its lines with them, so that a byte
// shows as the same character everywhere.

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

namespace kiv {

// Each byte becomes its Windows-1252 character; the five undefined bytes
// become the code points of the same value, so nothing is lost.
QString FromCp1252(std::string_view bytes);

// Each character becomes its Windows-1252 byte; a character that
// Windows-1252 cannot hold becomes "?" (one for a character written as a
// pair of UTF-16 units).
std::string ToCp1252(const QString& text);

// ---- In place, for text kept as bytes and read a slice at a time ----
// A search appends a million lines and a view reads a slice of a giant line
// at each repaint: these write into memory the caller has made room in,
// from a table, without a call or a check of room per character.

// The character of one byte.
QChar Cp1252Char(char byte) noexcept;
// Writes the character of each byte to out, which has room for them all.
void DecodeCp1252(std::string_view bytes, QChar* out) noexcept;

// The byte of a character, or -1 when Windows-1252 has none.
int Cp1252Byte(QChar c) noexcept;
// Whether Windows-1252 holds every character of the text.
bool FitsCp1252(QStringView text) noexcept;
// Writes the byte of each character of a text that fits (see FitsCp1252)
// to out, which has room for them all.
void EncodeCp1252(QStringView text, char* out) noexcept;
// Appends the text's bytes to out as ToCp1252 makes them.
void AppendCp1252(QStringView text, std::string& out);

} // namespace kiv
