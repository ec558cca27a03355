#pragma once
// One period of room use computed on a thread of its own. The worker runs the
// period job and leaves what the window needs in a mailbox: how far it got,
// then the counts. The window takes them when woken; the worker never touches
// a widget.

#include "PeriodJob.h"

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace kiv {

struct PeriodRunEvent {
    enum class Kind { Progress, Ended };
    Kind kind = Kind::Ended;
    std::size_t daysDone = 0; // Progress
    std::size_t dayCount = 0; // Progress
    PeriodResult result;      // Ended
};

class PeriodRun {
public:
    // Starts at once. wake is called on the worker thread whenever an event
    // arrives while none was waiting since the last TakeEvents.
    PeriodRun(PeriodRequest request, std::function<void()> wake);
    // Cancels the period and waits for its thread.
    ~PeriodRun();
    PeriodRun(const PeriodRun&) = delete;
    PeriodRun& operator=(const PeriodRun&) = delete;

    // Nothing more arrives after this but the end, marked cancelled.
    void Cancel() noexcept;

    // The events since the last call, in order; Ended always last, also
    // after a cancel.
    std::deque<PeriodRunEvent> TakeEvents();

private:
    void Work(const PeriodRequest& request);
    void Push(PeriodRunEvent event);

    const std::function<void()> wake_;
    std::atomic<bool> cancel_{false};
    std::mutex mutex_;
    std::deque<PeriodRunEvent> events_;
    bool woken_ = false;
    std::thread thread_; // last: started once everything above exists
};

} // namespace kiv
