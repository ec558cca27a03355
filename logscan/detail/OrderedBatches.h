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
#include <type_traits>
#include <utility>
#include <vector>

namespace kiv {

// One run of DeliverInOrder. Batches live in a ring of slots: slot b % ring
// holds batch b from the moment a thread takes it until it is delivered, so
// that helpers run at most a ring ahead of delivery. One mutex guards the
// counters, the ready marks and the failure; fill and deliver run outside it.
template <class Batch, class Fill, class Deliver>
class OrderedBatches {
public:
    OrderedBatches(std::size_t count, unsigned helpers, Fill& fill, Deliver& deliver)
        : count_(count), helpers_(helpers), ring_(std::size_t{helpers} * 2 + 2), fill_(fill), deliver_(deliver),
          slots_(ring_), ready_(ring_, 0)
    {
    }

    OrderedBatches(const OrderedBatches&) = delete;
    OrderedBatches& operator=(const OrderedBatches&) = delete;

    // Whatever ends the run (the last batch, deliver's false, an exception),
    // the helpers are stopped and joined before the slots go.
    ~OrderedBatches() { StopHelpers(); }

    void Run()
    {
        if (count_ > 1)
            StartHelpers();
        for (std::size_t b = 0; b < count_; ++b) {
            AwaitBatch(b);
            if (!DeliverBatch(b))
                return;
        }
    }

private:
    void StartHelpers()
    {
        try {
            for (unsigned i = 0; i < helpers_; ++i)
                threads_.emplace_back([this] { Help(); });
        } catch (const std::system_error&) {
            // Fewer helpers: the calling thread fills what they would have.
        }
    }

    void StopHelpers()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
    }

    // A helper's life: take the next batch whose slot is free, fill it, and
    // again, until every batch is taken, the run stops or a fill fails.
    void Help()
    {
        for (;;) {
            std::size_t b = 0;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [&] { return stop_ || taken_ == count_ || SlotFreeForNext(); });
                if (stop_ || taken_ == count_)
                    return;
                b = taken_++;
            }
            if (!FillBatch(b))
                return;
        }
    }

    // Slot b % ring is free once batch b - ring was delivered. Mutex held.
    bool SlotFreeForNext() const noexcept { return taken_ < delivered_ + ring_; }

    // Fills batch b outside the lock, then marks it ready or keeps its
    // failure. False when the fill failed.
    bool FillBatch(std::size_t b)
    {
        std::exception_ptr error;
        try {
            fill_(slots_[b % ring_], b);
        } catch (...) {
            error = std::current_exception();
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (error)
                Fail(b, std::move(error));
            else
                ready_[b % ring_] = 1;
        }
        changed_.notify_all();
        return !error;
    }

    // Keeps the failure of the earliest batch and stops the helpers. Mutex held.
    void Fail(std::size_t b, std::exception_ptr error)
    {
        if (!failure_ || b < failedBatch_) {
            failure_ = std::move(error);
            failedBatch_ = b;
        }
        stop_ = true;
    }

    // Returns once batch b is ready. Meanwhile the calling thread fills the
    // next batch not taken yet (b itself, or one after it), or else waits.
    // Throws the failure of batch b or of an earlier one: every batch before
    // a failed one is delivered before the failure is thrown.
    void AwaitBatch(std::size_t b)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!ready_[b % ring_]) {
            if (failure_ && b >= failedBatch_) {
                const std::exception_ptr error = failure_;
                lock.unlock();
                std::rethrow_exception(error);
            }
            if (taken_ < count_ && SlotFreeForNext() && !(failure_ && taken_ >= failedBatch_)) {
                const std::size_t mine = taken_++;
                lock.unlock();
                FillBatch(mine);
                lock.lock();
            } else {
                changed_.wait(lock);
            }
        }
    }

    // Hands batch b on and frees its slot. False when deliver asks to stop.
    bool DeliverBatch(std::size_t b)
    {
        const bool more = deliver_(slots_[b % ring_], b);
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ready_[b % ring_] = 0;
            delivered_ = b + 1;
        }
        changed_.notify_all();
        return more;
    }

    const std::size_t count_;
    const unsigned helpers_;
    const std::size_t ring_;
    Fill& fill_;
    Deliver& deliver_;
    std::vector<Batch> slots_;
    std::vector<char> ready_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t taken_ = 0;     // batches handed out to a filler
    std::size_t delivered_ = 0; // batches delivered
    bool stop_ = false;
    std::exception_ptr failure_;
    std::size_t failedBatch_ = 0; // the earliest batch whose fill failed, when failure_ is set
    std::vector<std::thread> threads_;
};

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
    OrderedBatches<Batch, std::remove_reference_t<Fill>, std::remove_reference_t<Deliver>> run(count, helpers, fill,
                                                                                               deliver);
    run.Run();
}

} // namespace kiv
