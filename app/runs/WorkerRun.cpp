#include "app/runs/WorkerRun.h"

#include "app/runs/WorkerThreadPriority.h"

#include <QEvent>
#include <QWidget>

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <ctime>
#endif

namespace kiv {

WorkerRunBase::WorkerRunBase(QWidget* window, WorkerPace pace)
    : pace_(pace)
{
    turn_.setSingleShot(true);
    turn_.setInterval(0);
    connect(&turn_, &QTimer::timeout, this, &WorkerRunBase::Turn);
    if (window)
        window->installEventFilter(this);
}

WorkerRunBase::~WorkerRunBase()
{
    Shutdown();
}

void WorkerRunBase::Shutdown()
{
    {
        const std::lock_guard lock(mutex_);
        cancel_ = true;
        stopping_ = true;
        WakeToStopLocked();
        if (next_)
            superseded_.push_back(std::move(*next_));
        next_.reset();
    }
    changed_.notify_all();
    room_.notify_all();
    if (thread_.joinable())
        thread_.join();
    running_ = false;
}

bool WorkerRunBase::StartTask(Task task)
{
    if (running_)
        return false;
    Submit(std::move(task));
    return true;
}

void WorkerRunBase::RestartTask(Task task)
{
    Submit(std::move(task));
}

void WorkerRunBase::CancelAndWait()
{
    {
        std::unique_lock lock(mutex_);
        CallOff();
        changed_.wait(lock, [this] { return !busy_; });
    }
    turn_.stop();
    if (std::exchange(running_, false))
        Stopped();
}

void WorkerRunBase::FinishAndWait()
{
    {
        std::unique_lock lock(mutex_);
        finishing_ = true;
        WakeToStopLocked();
        room_.notify_all();
        changed_.wait(lock, [this] { return !busy_ && !next_; });
        finishing_ = false;
        turnAsked_ = false;
    }
    turn_.stop();
    for (bool more = true; more;) {
        {
            const std::lock_guard lock(mutex_);
            TakeMailLocked();
        }
        more = HandOut();
    }
}

void WorkerRunBase::SetStopWake(std::function<void()> wake)
{
    const std::lock_guard lock(mutex_);
    stopWake_ = std::move(wake);
    if (cancel_ || finishing_ || stopping_)
        WakeToStopLocked();
}

void WorkerRunBase::ForgetStopWake()
{
    std::unique_lock lock(mutex_);
    std::function<void()> wake = std::exchange(stopWake_, {});
    lock.unlock();
    // The wake may hold the last share of what the job waited on: freed
    // here, outside the lock that a stop takes.
    wake = {};
}

void WorkerRunBase::WakeToStopLocked()
{
    if (stopWake_)
        stopWake_();
}

// Under mutex_: the running job is told to stop, a waiting one never starts,
// and nothing either of them posted reaches the window.
void WorkerRunBase::CallOff()
{
    cancel_ = true;
    WakeToStopLocked();
    if (next_)
        superseded_.push_back(std::move(*next_));
    next_.reset();
    DropMailLocked();
    turnAsked_ = false;
    room_.notify_all();
}

void WorkerRunBase::Submit(Task task)
{
    {
        const std::lock_guard lock(mutex_);
        CallOff();
        next_ = std::move(task);
    }
    turn_.stop();
    running_ = true;
    if (!thread_.joinable())
        thread_ = std::thread(&WorkerRunBase::Loop, this);
    changed_.notify_all();
}

// Worker thread: one job after the other, each started with the flag down.
void WorkerRunBase::Loop()
{
    GiveWayToTheWindow();
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || next_ || !superseded_.empty(); });
        std::vector<Task> superseded = std::exchange(superseded_, {});
        std::optional<Task> task;
        if (!stopping_ && next_) {
            task = std::exchange(next_, std::nullopt);
            cancel_ = false;
            busy_ = true;
        }
        lock.unlock();
        superseded.clear();
        if (task) {
            (*task)();
            task.reset();
        }
        lock.lock();
        busy_ = false;
        changed_.notify_all();
        if (stopping_)
            return;
    }
}

void WorkerRunBase::AskForTurnLocked()
{
    if (std::exchange(turnAsked_, true))
        return;
    // The wake-up only starts the turn's timer: a posted call would run ahead
    // of the window's timers and input again and again, a timer takes its
    // turn among them.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!turn_.isActive())
                turn_.start();
        },
        Qt::QueuedConnection);
}

void WorkerRunBase::RoomMade()
{
    if (pace_.mailboxBound != 0)
        room_.notify_all();
}

void WorkerRunBase::Turn()
{
    {
        const std::lock_guard lock(mutex_);
        TakeMailLocked();
        turnAsked_ = false;
    }
    if (HandOut() && !turn_.isActive())
        turn_.start();
}

std::chrono::nanoseconds WorkerRunBase::WindowThreadTime() noexcept
{
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user))
        return {};
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return std::chrono::nanoseconds((ticks(kernel) + ticks(user)) * 100); // in 100 ns
#else
    timespec now{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0)
        return {};
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
#endif
}

std::chrono::nanoseconds WorkerRunBase::TurnBudgetLeft() const
{
    if (pace_.turnBudget <= std::chrono::nanoseconds::zero() || !turnEndedAt_)
        return pace_.turnBudget;
    return pace_.turnBudget - (WindowThreadTime() - *turnEndedAt_);
}

bool WorkerRunBase::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close)
        CancelAndWait();
    return QObject::eventFilter(watched, event);
}

} // namespace kiv
