#include "logscan/ResultFields.h"

namespace kiv {

std::string ComputerField(std::string_view line)
{
    return std::string(line.substr(0, line.find(':')));
}

std::string PupilField(std::string_view line)
{
    const std::size_t first = line.find(':');
    if (first == std::string_view::npos)
        return {};
    const std::string_view rest = line.substr(first + 1);
    return std::string(rest.substr(0, rest.find(':')));
}

} // namespace kiv
