#pragma once
// Results handed on in batches rather than one by one: the window appends a
// batch as one edit, and a year of logs can hold a million results. A batch
// goes out once its first result has waited the period, and whatever is left
// goes out when a file ends, so that the user sees results come while the
// scan runs. An empty batch is never handed on, nor anything once the scan is
// cancelled.

#include <atomic>
#include <chrono>
#include <functional>
#include <utility>
#include <vector>

namespace kiv {

template <class Item>
class TimedBatches {
public:
    using Deliver = std::function<void(std::vector<Item>&&)>;
    static constexpr std::chrono::milliseconds kPeriod{50};

    TimedBatches(const Deliver& deliver, const std::atomic<bool>* cancel) : deliver_(deliver), cancel_(cancel) {}

    void Add(Item&& item)
    {
        const auto now = Clock::now();
        if (batch_.empty())
            oldest_ = now;
        batch_.push_back(std::move(item));
        if (now - oldest_ >= kPeriod)
            Flush();
    }

    void Flush()
    {
        if (batch_.empty())
            return;
        std::vector<Item> out;
        out.swap(batch_);
        if (deliver_ && !(cancel_ && cancel_->load(std::memory_order_relaxed)))
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
