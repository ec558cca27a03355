#pragma once
// How a scan of either kind ended, as its caller needs to know it: how many
// files the finder gave, and whether every one of them was read whole.

#include <cstddef>
#include <string>
#include <vector>

namespace kiv {

struct ScanOutcome {
    std::size_t filesFound = 0;
    // Every found file was read to its end and the scan was not cancelled.
    bool allRead = true;
    bool cancelled = false;
    // The texts of every error met, in the order met (Windows-1252), the same
    // ones the events reported: the window lists them in one box at the end.
    std::vector<std::string> errors;
};

} // namespace kiv
