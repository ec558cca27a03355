#pragma once
// Results handed on in batches rather than one by one: the window appends a
// batch as one edit, and a year of logs can hold a million results. A batch
// goes out with the first result that arrives once the batch's oldest has
// waited the period, once it holds a few thousand results (which the window
// appends in a few milliseconds, where a batch of a hundred thousand would
// freeze it), and whatever is left goes out when a file ends: there is no
// clock of its own, so results that stop coming in the middle of a file wait
// for the file's end. An empty batch is never handed on, nor anything once
// the scan is cancelled.

#include "logscan/CancelFlag.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <iterator>
#include <utility>
#include <vector>

namespace kiv {

template <class Item>
class TimedBatches {
public:
    using Deliver = std::function<void(std::vector<Item>&&)>;
    static constexpr std::chrono::milliseconds kPeriod{50};
    static constexpr std::size_t kMostItems = 2048;

    TimedBatches(const Deliver& deliver, const std::atomic<bool>* cancel) : deliver_(deliver), cancel_(cancel) {}

    void Add(Item&& item)
    {
        const auto now = Clock::now();
        if (batch_.empty()) {
            oldest_ = now;
            batch_.reserve(kMostItems);
        }
        batch_.push_back(std::move(item));
        if (batch_.size() >= kMostItems || now - oldest_ >= kPeriod)
            Flush();
    }

    // Several results at once, in order: taken whole when none waits.
    void AddAll(std::vector<Item>&& items)
    {
        if (items.empty())
            return;
        if (batch_.size() + items.size() > kMostItems)
            Flush();
        const auto now = Clock::now();
        if (batch_.empty()) {
            oldest_ = now;
            batch_ = std::move(items);
        } else {
            batch_.insert(batch_.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
        }
        if (batch_.size() >= kMostItems || now - oldest_ >= kPeriod)
            Flush();
    }

    void Flush()
    {
        if (batch_.empty())
            return;
        std::vector<Item> out;
        out.swap(batch_);
        if (deliver_ && !Cancelled(cancel_))
            deliver_(std::move(out));
    }

private:
    using Clock = std::chrono::steady_clock;
    const Deliver& deliver_;
    const std::atomic<bool>* cancel_;
    std::vector<Item> batch_;
    Clock::time_point oldest_{};
};

} // namespace kiv
