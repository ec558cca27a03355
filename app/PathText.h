#pragma once
// A path as the messages show it: Windows-1252 bytes with the system's own
// separators.

#include <filesystem>
#include <string>

namespace kiv {

std::string PathToCp1252(const std::filesystem::path& path);

} // namespace kiv
