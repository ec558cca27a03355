#include "logscan/ScanThreads.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace kiv {
unsigned DefaultThreadCount(ScanKind kind) noexcept
{
    const unsigned most = kind == ScanKind::ManyFiles ? 8u : 4u;
    return std::clamp(std::thread::hardware_concurrency(), 1u, most);
}

unsigned ThreadCountFor(const ScanThreads& threads, std::size_t bytes) noexcept
{
    if (bytes < threads.minParallelBytes)
        return 1;
    if (threads.count != 0)
        return threads.count;
    return DefaultThreadCount(ScanKind::ChunksOfOneFile);
}

void RunOnThreads(unsigned count, const std::function<void(unsigned)>& work)
{
    if (count <= 1) {
        work(0);
        return;
    }
    std::mutex failureMutex;
    std::exception_ptr failure;
    const auto guarded = [&](unsigned index) {
        try {
            work(index);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureMutex);
            if (!failure)
                failure = std::current_exception();
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(count - 1);
    try {
        for (unsigned index = 1; index < count; ++index)
            helpers.emplace_back(guarded, index);
    } catch (...) {
        // No thread could be started: what was not handed out runs here.
        for (unsigned index = static_cast<unsigned>(helpers.size()) + 1; index < count; ++index)
            guarded(index);
    }
    guarded(0);
    for (std::thread& helper : helpers)
        helper.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace kiv
