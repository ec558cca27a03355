#pragma once
// The one way work runs beside the window: a keyword search over a year of
// logs, a busy day's room occupation, a printout. The job runs on a thread of
// its own and posts what it has ready, in batches, into a mailbox; the window
// takes what is new once a turn of its event loop, behind the staff's own
// typing, scrolling and painting, so that it keeps answering however fast the
// job posts. Closing the window calls the job off and waits for its thread.
//
// How to use it, for a job that hands over Batch values and ends with a
// Result (the window's side in one object that owns the run):
//
//     WorkerRun<Batch, Result> run_{window,
//         [this](std::deque<Batch>& batches) { ... },          // take, window thread
//         [this](WorkerRun<Batch, Result>::Ending ending) { ... }, // end, window thread
//         [this] { ... },                                       // stopped, optional
//         {.mailboxBound = 4, .turnBudget = 4ms}};              // pace, optional
//
//     run_.Start([request](WorkerRun<Batch, Result>::Outbox& out) {
//         ...                             // worker thread, never a widget
//         out.Post(batch);                // as often as there is something
//         if (out.Cancelled()) ...;       // the flag to hand to a scan
//         return result;
//     });
//
// - take receives the batches posted since, in order, in the window's turns.
//   What it leaves in the deque stays there, first in line for the next turn.
// - The pace is chosen where the run is made. Without one, the mailbox has
//   no bound and take is called once a turn with every batch waiting. A
//   turn budget (the list dialogs, the room table and the search's results:
//   a few milliseconds) calls take again and again while batches wait and
//   the budget lasts, so that take handles one batch a call and the window
//   answers its own events between turns; what is left waits for the next
//   turn. What the window did for itself since the last turn (painting what
//   was appended, a screen reader's questions) counts against the budget. A
//   mailbox bound makes Post wait while that many batches are posted and not
//   yet taken: a job that reads faster than the window appends (a room list
//   of a hundred megabytes) never holds its whole output twice.
// - The job's thread (on Linux every thread it starts too) runs at a
//   priority below the window's: a scan on every core never keeps the window
//   from its turn.
// - end comes once, after take has taken the last batch: the job's Result,
//   or the text of the exception that ended it (failure, the Result then
//   default-made). A Result of std::monostate suits a job that only ends.
// - Start refuses (false) while a job runs. Restart calls the running job off
//   without waiting and starts the new one on the same thread once the old
//   one has returned: quick changes never have two jobs reading at once, and
//   a job superseded before it began never runs. take and end may restart
//   their own run; after a restart, take leaves the deque alone: nothing in
//   it is the new job's, and it was emptied.
// - CancelAndWait (and closing the window) calls the job off and waits for
//   it: nothing more of it is taken, its end never comes, and stopped is
//   called when a job was running.
//   A job called off is told through Cancelled(); what it posts after that is
//   dropped, so it may simply run on to its return. A job that watches until
//   called off (a day's log as it grows) loops until Cancelled(); one that
//   sleeps on a wait of its own between looks gives OnStop the way to wake it.
// - FinishAndWait waits for the job to return without calling it off and
//   then hands out at once all it posted and its end: a list that the staff
//   saved is written whole before its dialog goes. A job that set OnStop is
//   woken through it first; one that did not (a list file being written)
//   runs to its own end. A post waiting for room meanwhile goes through.
//   The window waits meanwhile: a job that may take long (the watch's look
//   on a hung share) is rather woken through its own stop and left to end,
//   what it posts still taken turn by turn.
// - Every way of stopping (CancelAndWait, Restart, FinishAndWait, the run
//   destroyed) also frees a post waiting for room: none of them can hang on
//   a full mailbox.
// - The stop wake is called under the run's own lock, and Post takes that
//   lock. Hence the rule: never post while holding a lock that your wake
//   takes. The window, holding the run's lock to wake the job, would wait
//   for yours, while the job, holding yours, waits in Post for the run's.
// - The wake is forgotten as soon as the job returns, but a stop may call it
//   in that moment: let it share what it wakes (a shared_ptr), never point
//   at the job's own locals.
// - The job, and whatever its lambda holds, is destroyed on the worker
//   thread: a job may carry a large leftover (the lines of an earlier day) to
//   free it away from the window.

#include <QObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class QWidget;

namespace kiv {

// How a run keeps its job and its window in step; see above.
struct WorkerPace {
    // Batches posted and not yet taken before Post waits; 0: no bound.
    std::size_t mailboxBound = 0;
    // How long a turn may go on calling take; zero: one call a turn.
    std::chrono::nanoseconds turnBudget{0};
};

// The part without the batch type: the thread that runs one job after the
// other, the calling off, the wake-ups and the window's turns.
class WorkerRunBase : public QObject {
public:
    ~WorkerRunBase() override;
    WorkerRunBase(const WorkerRunBase&) = delete;
    WorkerRunBase& operator=(const WorkerRunBase&) = delete;

    // From Start until the end was delivered or the job called off.
    bool Running() const noexcept { return running_; }
    void CancelAndWait();
    // Waits for the job to return without calling it off (through its
    // OnStop, if it set one), then hands out all it posted and its end.
    void FinishAndWait();

protected:
    using Task = std::function<void()>;
    using Clock = std::chrono::steady_clock;

    // window: closing it calls the job off and waits; may be null.
    WorkerRunBase(QWidget* window, WorkerPace pace);

    // Window thread.
    bool StartTask(Task task);
    void RestartTask(Task task);
    // Worker thread: called under mutex_ after the mailbox received something.
    void AskForTurnLocked();
    bool CancelledLocked() const noexcept { return cancel_.load(); }
    // Worker thread, under mutex_ held by lock: waits while the mailbox is
    // full (waiting() batches, posted and not yet taken, reach the bound)
    // and the job may go on; false when the batch is to be dropped.
    template <typename Waiting>
    bool WaitForRoomLocked(std::unique_lock<std::mutex>& lock, Waiting waiting)
    {
        room_.wait(lock, [&] {
            return cancel_ || finishing_ || pace_.mailboxBound == 0 || waiting() < pace_.mailboxBound;
        });
        return !cancel_;
    }
    // Window thread, after take took something: a post waiting for room may go.
    void RoomMade();
    const WorkerPace& Pace() const noexcept { return pace_; }

    // Window thread: what is left of a turn's budget once the window's own
    // work since the last turn (painting what was appended, answering a
    // screen reader, the staff's keys) is counted against it, so that a turn
    // and the work it causes together stay within the budget. At least one
    // take a turn is always made.
    std::chrono::nanoseconds TurnBudgetLeft() const;
    // Ends a turn however its hand-out ends, for the next turn's count.
    class TurnEnd {
    public:
        explicit TurnEnd(WorkerRunBase& run) : run_(run) {}
        ~TurnEnd() { run_.turnEndedAt_ = WindowThreadTime(); }
        TurnEnd(const TurnEnd&) = delete;
        TurnEnd& operator=(const TurnEnd&) = delete;

    private:
        WorkerRunBase& run_;
    };

    // Window thread, once a turn: moves the mailbox to the window's side
    // (under mutex_), then hands it on (without the lock).
    virtual void TakeMailLocked() = 0;
    virtual bool HandOut() = 0; // true when something is left for the next turn
    virtual void DropMailLocked() = 0;
    virtual void Stopped() = 0;

    const std::atomic<bool>& CancelFlag() const noexcept { return cancel_; }
    // Worker thread: how to wake the running job when it must stop; called at
    // once when it must stop already.
    void SetStopWake(std::function<void()> wake);
    // Worker thread, as soon as the job returned: nothing may wake it now.
    void ForgetStopWake();
    void Ended() noexcept { running_ = false; }
    // Calls the job off and ends the thread, without a word to the window.
    void Shutdown();

    mutable std::mutex mutex_;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void Submit(Task task);
    void Loop();
    void Turn();
    void CallOff();
    void WakeToStopLocked();

    // The processor time the window's thread has used.
    static std::chrono::nanoseconds WindowThreadTime() noexcept;

    const WorkerPace pace_;
    std::optional<std::chrono::nanoseconds> turnEndedAt_; // window thread: its time when the last turn ended
    std::atomic<bool> cancel_{false};
    bool running_ = false; // window thread
    QTimer turn_;

    // Under mutex_.
    std::condition_variable changed_;
    std::condition_variable room_; // a post waiting for room waits on it
    std::optional<Task> next_;
    std::vector<Task> superseded_; // freed by the worker, not the window
    std::function<void()> stopWake_; // the running job's
    bool busy_ = false;
    bool finishing_ = false;
    bool stopping_ = false;
    bool turnAsked_ = false;

    std::thread thread_;
};

template <typename Batch, typename Result>
class WorkerRun final : public WorkerRunBase {
public:
    struct Ending {
        Result result{};
        // The text of the exception that ended the job; empty when it returned.
        std::string failure;
    };

    using Take = std::function<void(std::deque<Batch>& batches)>;
    using End = std::function<void(Ending ending)>;
    using OnStopped = std::function<void()>;

    // The worker's side of the mailbox, given to the job.
    class Outbox {
    public:
        // Hands batch to the window, once the mailbox has room for it;
        // dropped once the job was called off.
        void Post(Batch batch) { run_.Post(std::move(batch)); }
        const std::atomic<bool>& Cancelled() const noexcept { return run_.CancelFlag(); }
        // wake is called from another thread when the job must return: called
        // off, finished, or the run destroyed.
        void OnStop(std::function<void()> wake) { run_.SetStopWake(std::move(wake)); }

    private:
        friend class WorkerRun;
        explicit Outbox(WorkerRun& run) : run_(run) {}
        WorkerRun& run_;
    };

    using Job = std::function<Result(Outbox& out)>;

    WorkerRun(QWidget* window, Take take, End end, OnStopped stopped = {}, WorkerPace pace = {})
        : WorkerRunBase(window, pace)
        , take_(std::move(take))
        , end_(std::move(end))
        , stopped_(std::move(stopped))
    {}
    // The thread must be gone before the mailbox is. The window's widgets
    // may be gone already: stopped is not called.
    ~WorkerRun() override { Shutdown(); }

    bool Start(Job job) { return StartTask(MakeTask(std::move(job))); }
    void Restart(Job job) { RestartTask(MakeTask(std::move(job))); }

private:
    struct Mailbox {
        std::deque<Batch> batches;
        std::optional<Ending> ending;
    };

    Task MakeTask(Job job)
    {
        return [this, job = std::move(job)] {
            Outbox out(*this);
            Ending ending;
            try {
                ending.result = job(out);
            } catch (const std::exception& error) {
                ending.failure = error.what();
            }
            ForgetStopWake();
            const std::lock_guard lock(mutex_);
            if (CancelledLocked())
                return;
            mail_.ending = std::move(ending);
            AskForTurnLocked();
        };
    }

    void Post(Batch&& batch)
    {
        std::unique_lock lock(mutex_);
        if (!WaitForRoomLocked(lock, [this] { return mail_.batches.size() + windowHolds_; }))
            return;
        mail_.batches.push_back(std::move(batch));
        AskForTurnLocked();
    }

    void TakeMailLocked() override
    {
        for (Batch& batch : mail_.batches)
            taken_.batches.push_back(std::move(batch));
        mail_.batches.clear();
        windowHolds_ = taken_.batches.size();
        if (mail_.ending)
            taken_.ending = std::exchange(mail_.ending, std::nullopt);
    }

    bool HandOut() override
    {
        const Clock::time_point turnStart = Clock::now();
        const std::chrono::nanoseconds budget = TurnBudgetLeft();
        const TurnEnd turnEnd(*this);
        while (!taken_.batches.empty() && take_) {
            const std::size_t before = taken_.batches.size();
            // Restarted or called off from inside take, the run has emptied
            // the deque: nothing of the old job is handed out after that.
            take_(taken_.batches);
            const std::size_t left = taken_.batches.size();
            if (left < before)
                Took();
            if (left >= before || budget <= std::chrono::nanoseconds::zero() || Clock::now() - turnStart >= budget)
                break;
        }
        if (!taken_.batches.empty())
            return true;
        if (taken_.ending) {
            // Cleared before the handler runs: it may show a message box,
            // whose own event loop may start the next job.
            Ending ending = std::move(*taken_.ending);
            taken_.ending.reset();
            Ended();
            if (end_)
                end_(std::move(ending));
        }
        return false;
    }

    // Window thread: take took batches; the job may post that many more.
    void Took()
    {
        {
            const std::lock_guard lock(mutex_);
            windowHolds_ = taken_.batches.size();
        }
        RoomMade();
    }

    void DropMailLocked() override
    {
        mail_ = {};
        taken_ = {};
        windowHolds_ = 0;
    }

    void Stopped() override
    {
        if (stopped_)
            stopped_();
    }

    const Take take_;
    const End end_;
    const OnStopped stopped_;
    Mailbox mail_;  // under mutex_
    Mailbox taken_; // window thread
    std::size_t windowHolds_ = 0; // under mutex_: taken_'s batches as last counted
};

} // namespace kiv
