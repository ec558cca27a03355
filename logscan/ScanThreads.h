#pragma once
// How the scan of one large log file spreads over the machine's cores. A busy
// day's connection log holds a million lines; its parts are cut into chunks of
// whole lines that threads scan side by side, and the results are put back in
// line order before anyone sees them.

#include <cstddef>
#include <functional>

namespace kiv {

struct ScanThreads {
    // Threads for one file; 0 lets the machine decide (DefaultThreadCount).
    unsigned count = 0;
    // A file smaller than this is scanned on the calling thread alone: starting
    // threads would cost more than they save.
    std::size_t minParallelBytes = std::size_t{4} << 20;
};

// Two ways a scan keeps the cores busy. The keyword search reads many files,
// one a thread: past eight, the disk rather than the cores sets the pace. The
// room scan cuts one day's file into chunks: past four, putting the chunks'
// results back in order costs more than another thread saves.
enum class ScanKind {
    ManyFiles,      // one file a thread, at most 8 threads
    ChunksOfOneFile // one chunk of a file a thread, at most 4 threads
};

// The machine's threads, at most as many as the kind of scan can use: 1 or more.
unsigned DefaultThreadCount(ScanKind kind) noexcept;

// The number of threads to use for a text of the given size: 1 or more.
unsigned ThreadCountFor(const ScanThreads& threads, std::size_t bytes) noexcept;

// Runs work(0) to work(count - 1) at the same time, work(0) on the calling
// thread, and returns when all have ended. The first exception thrown by any of
// them is thrown again here, once all have ended.
void RunOnThreads(unsigned count, const std::function<void(unsigned)>& work);

} // namespace kiv
