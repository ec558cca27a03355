#pragma once
// What the system says of this process's memory.

#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

// The size in kB of a line of /proc/self/status ("VmRSS", "VmHWM"), 0 elsewhere.
inline long StatusKb(std::string_view key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, key.size(), key) == 0)
            return std::strtol(line.c_str() + key.size() + 1, nullptr, 10);
    return 0;
}
