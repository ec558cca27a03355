#include "PathText.h"

#include "FileIo.h"

namespace kiv {

std::string PathToCp1252(const std::filesystem::path& path)
{
    // Converted from the system's bytes, never through a wide string: a
    // folder name that is not UTF-8 is shown with "?" instead of failing.
    std::filesystem::path shown = path;
    shown.make_preferred();
    return PathForMessage(shown);
}

} // namespace kiv
