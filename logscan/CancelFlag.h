#pragma once
// The flag through which the window stops a scan: set by the window's thread,
// looked at now and then by the scan's threads. No flag means the scan cannot
// be stopped (the command line).

#include <atomic>
#include <stdexcept>

namespace kiv {

inline bool Cancelled(const std::atomic<bool>* cancel) noexcept
{
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

// Thrown by a long preparation (the build of a long word list) that saw its
// cancel flag set: the scan it prepared ends without a result.
class BuildCancelled : public std::runtime_error {
public:
    BuildCancelled() : std::runtime_error("cancelled") {}
};

} // namespace kiv
