#pragma once
// The CSV that the school's spreadsheets open: fields separated by ";", a
// field that holds ";", a quotation mark or a line break quoted as RFC 4180
// does, each row ended by CR LF. Text stays Windows-1252 bytes.

#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// A field, quoted when it must be.
std::string CsvField(std::string_view text);

// The fields joined by ";", each quoted when it must be, then CR LF.
std::string CsvRow(const std::vector<std::string_view>& fields);

} // namespace kiv
