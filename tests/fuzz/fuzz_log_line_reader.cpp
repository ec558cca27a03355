// Any bytes a log file may hold: the reader either refuses the indentation
// with its message or gives lines without breaks or leading blanks; a NUL is
// a byte of its line like any other.

#include "logscan/KivError.h"
#include "logscan/LogLineReader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    kiv::LogLineReader reader;
    try {
        reader.ReadBytes(bytes);
    } catch (const kiv::KivError& error) {
        if (std::strncmp(error.what(), "Niveau incorrect (", 18) != 0)
            std::abort();
    }
    std::size_t total = 0;
    for (std::size_t i = 0; i < reader.Count(); ++i) {
        const std::string_view line = reader.Text(i);
        if (line.find_first_of("\r\n") != std::string_view::npos)
            std::abort();
        if (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            std::abort();
        total += line.size();
    }
    if (total > size)
        std::abort();
    try {
        (void)reader.Text(reader.Count());
        std::abort();
    } catch (const kiv::KivError&) {
    }
    return 0;
}
