#include "PeriodRun.h"

#include <utility>

namespace kiv {

PeriodRun::PeriodRun(PeriodRequest request, std::function<void()> wake)
    : wake_(std::move(wake))
{
    thread_ = std::thread([this, request = std::move(request)] { Work(request); });
}

PeriodRun::~PeriodRun()
{
    Cancel();
    if (thread_.joinable())
        thread_.join();
}

void PeriodRun::Cancel() noexcept
{
    cancel_.store(true);
}

std::deque<PeriodRunEvent> PeriodRun::TakeEvents()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    woken_ = false;
    return std::exchange(events_, {});
}

void PeriodRun::Work(const PeriodRequest& request)
{
    PeriodEvents events;
    events.onProgress = [this](std::size_t done, std::size_t count) {
        PeriodRunEvent event;
        event.kind = PeriodRunEvent::Kind::Progress;
        event.daysDone = done;
        event.dayCount = count;
        Push(std::move(event));
    };
    PeriodRunEvent end;
    // The job throws nothing; the window hears of the end in any case.
    end.result = RunPeriodJob(request, events, &cancel_);
    end.result.outcome.cancelled = end.result.outcome.cancelled || cancel_.load();
    Push(std::move(end));
}

void PeriodRun::Push(PeriodRunEvent event)
{
    bool wake = false;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (cancel_.load() && event.kind != PeriodRunEvent::Kind::Ended)
            return;
        // Only the latest progress matters to a window that was busy.
        if (event.kind == PeriodRunEvent::Kind::Progress && !events_.empty()
            && events_.back().kind == PeriodRunEvent::Kind::Progress)
            events_.back() = std::move(event);
        else
            events_.push_back(std::move(event));
        wake = !std::exchange(woken_, true);
    }
    if (wake && wake_)
        wake_();
}

} // namespace kiv
