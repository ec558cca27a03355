#pragma once
// Results made on helper threads and handed over in order on the calling
// thread: batch b is filled by whichever thread takes it first, and delivered
// only after batches 0 to b - 1. The window and the command line see every
// session in line order, as if one thread had made them all.

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace kiv {

// Calls fill(batch, b) for b from 0 to count - 1 and deliver(batch, b) in that
// order on the calling thread; deliver returns false to stop early. Up to
// helpers threads fill batches ahead of delivery (a few batches at most, each
// in a slot of its own, a slot reused once its batch was delivered); when the
// next batch is not taken yet the calling thread fills it itself, so helpers
// may be 0. An exception from fill or deliver stops the helpers and is thrown
// again here; one from fill of batch b is thrown once batches 0 to b - 1 were
// delivered, so that what comes before a failure is never lost.
template <class Batch, class Fill, class Deliver>
void DeliverInOrder(std::size_t count, unsigned helpers, Fill&& fill, Deliver&& deliver)
{
    const std::size_t ring = std::size_t{helpers} * 2 + 2;
    std::vector<Batch> slots(ring);
    std::vector<char> ready(ring, 0);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t taken = 0;     // batches handed out to a filler
    std::size_t delivered = 0; // batches delivered
    bool stop = false;
    std::exception_ptr failure;
    std::size_t failedBatch = count; // the earliest batch whose fill failed

    // Keeps the failure of the earliest batch; called with the mutex held.
    const auto fail = [&](std::size_t b, std::exception_ptr error) {
        if (!failure || b < failedBatch) {
            failure = std::move(error);
            failedBatch = b;
        }
        stop = true;
    };

    const auto help = [&] {
        for (;;) {
            std::size_t b = 0;
            {
                std::unique_lock<std::mutex> lock(mutex);
                // Slot b % ring is free once batch b - ring was delivered.
                changed.wait(lock, [&] { return stop || taken == count || taken < delivered + ring; });
                if (stop || taken == count)
                    return;
                b = taken++;
            }
            try {
                fill(slots[b % ring], b);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(mutex);
                fail(b, std::current_exception());
                changed.notify_all();
                return;
            }
            {
                const std::lock_guard<std::mutex> lock(mutex);
                ready[b % ring] = 1;
            }
            changed.notify_all();
        }
    };

    std::vector<std::thread> threads;
    struct Joiner {
        std::mutex& mutex;
        std::condition_variable& changed;
        bool& stop;
        std::vector<std::thread>& threads;
        ~Joiner()
        {
            {
                const std::lock_guard<std::mutex> lock(mutex);
                stop = true;
            }
            changed.notify_all();
            for (std::thread& thread : threads)
                thread.join();
        }
    } joiner{mutex, changed, stop, threads};
    if (count > 1) {
        try {
            for (unsigned i = 0; i < helpers; ++i)
                threads.emplace_back(help);
        } catch (const std::system_error&) {
            // Fewer helpers: the calling thread fills what they would have.
        }
    }

    for (std::size_t b = 0; b < count; ++b) {
        const std::size_t slot = b % ring;
        {
            // While batch b is not ready, the calling thread fills the next
            // batch not taken yet (b itself, or one after it), or else waits.
            std::unique_lock<std::mutex> lock(mutex);
            while (!ready[slot]) {
                if (failure && b >= failedBatch) {
                    const std::exception_ptr error = failure;
                    lock.unlock();
                    std::rethrow_exception(error);
                }
                if (taken < count && taken < delivered + ring && !(failure && taken >= failedBatch)) {
                    const std::size_t mine = taken++;
                    lock.unlock();
                    std::exception_ptr error;
                    try {
                        fill(slots[mine % ring], mine);
                    } catch (...) {
                        error = std::current_exception();
                    }
                    lock.lock();
                    if (error)
                        fail(mine, std::move(error));
                    else
                        ready[mine % ring] = 1;
                } else {
                    changed.wait(lock);
                }
            }
        }
        const bool more = deliver(slots[slot], b);
        {
            const std::lock_guard<std::mutex> lock(mutex);
            ready[slot] = 0;
            delivered = b + 1;
        }
        changed.notify_all();
        if (!more)
            return;
    }
}

} // namespace kiv
