#pragma once
// How a scan of either kind ended, as its caller needs to know it: how many
// files the finder gave, and whether every one of them was read whole.

#include <cstddef>
#include <string>
#include <utility>
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

    // The scan was cut short by a failure of its own (out of memory or the
    // like): it is listed like an unreadable file, so that the window ends
    // the scan as usual and stays usable.
    void Failed(std::string text)
    {
        allRead = false;
        errors.push_back(std::move(text));
    }
};

} // namespace kiv
