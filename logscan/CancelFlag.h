#pragma once
// The flag through which the window stops a scan: set by the window's thread,
// looked at now and then by the scan's threads. No flag means the scan cannot
// be stopped (the command line).

#include <atomic>

namespace kiv {

inline bool Cancelled(const std::atomic<bool>* cancel) noexcept
{
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

} // namespace kiv
