#include "jobs/CsvText.h"

namespace kiv {

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(";\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string CsvRow(const std::vector<std::string_view>& fields)
{
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i != 0)
            row += ';';
        row += CsvField(fields[i]);
    }
    row += "\r\n";
    return row;
}

} // namespace kiv
