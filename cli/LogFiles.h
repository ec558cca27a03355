#pragma once
// The log files a mask selects, in the order the window's finder gives them.

#include <string>
#include <vector>

namespace kiv::cli {

std::vector<std::string> FindLogFiles(const std::string& mask);

} // namespace kiv::cli
