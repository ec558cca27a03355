#include "DayWatchRun.h"

#include "WatchNotice.h"

#include <QEvent>
#include <QWidget>

#include <memory>

namespace kiv {

DayWatchRun::DayWatchRun(ResultsView* view, std::function<bool()> hold, QWidget* window)
    : QObject(window), view_(view), hold_(std::move(hold))
{
    window->installEventFilter(this);
    connect(this, &DayWatchRun::Notice, this,
            [window](const QString& summary, const QString& body) { ShowWatchNotice({summary, body}, window); });
}

DayWatchRun::~DayWatchRun()
{
    // The window's widgets may be gone already: only the worker is stopped.
    if (pace_)
        pace_->Stop();
    if (worker_.joinable())
        worker_.join();
}

bool DayWatchRun::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close)
        StopAndWait();
    return QObject::eventFilter(watched, event);
}

void DayWatchRun::Start(DayWatchRequest request, std::chrono::milliseconds interval, DayWatch::Today today)
{
    StopAndWait();
    words_ = request.words;
    auto pace = std::make_shared<WatchPace>();
    pace_ = pace.get();
    worker_ = std::thread([this, pace, request = std::move(request), interval, today = std::move(today)]() mutable {
        DayWatchEvents events;
        events.onResults = [this](std::vector<KeywordSearchResult>&& results) { Post(std::move(results)); };
        events.onError = [this](const std::string& message) {
            const std::lock_guard lock(mutex_);
            errors_.push_back(message);
            if (!std::exchange(wakePosted_, true))
                QMetaObject::invokeMethod(this, &DayWatchRun::Take, Qt::QueuedConnection);
        };
        DayWatch watch(std::move(request), events, std::move(today));
        RunDayWatch(watch, *pace, interval,
                    [this] { QMetaObject::invokeMethod(this, &DayWatchRun::Watching, Qt::QueuedConnection); });
    });
}

void DayWatchRun::StopAndWait()
{
    if (!worker_.joinable())
        return;
    pace_->Stop();
    worker_.join();
    pace_ = nullptr;
    Take();
}

void DayWatchRun::LookNow()
{
    if (pace_)
        pace_->Nudge();
}

// Worker thread: the batch's lines are made ready here, off the window's thread.
void DayWatchRun::Post(std::vector<KeywordSearchResult>&& results)
{
    const WatchNotice notice = MakeWatchNotice(results, words_);
    Batch batch{ResultsView::Lines(results), static_cast<int>(results.size())};
    const std::lock_guard lock(mutex_);
    arrived_.push_back(std::move(batch));
    // The batch is in the view (or held) by the time its notice is raised.
    if (!std::exchange(wakePosted_, true))
        QMetaObject::invokeMethod(this, &DayWatchRun::Take, Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        this, [this, notice] { emit Notice(notice.summary, notice.body); }, Qt::QueuedConnection);
}

// Window thread.
void DayWatchRun::Take()
{
    bool failed = false;
    {
        const std::lock_guard lock(mutex_);
        for (Batch& batch : arrived_)
            held_.push_back(std::move(batch));
        arrived_.clear();
        failed = !errors_.empty();
        wakePosted_ = false;
    }
    AppendHeld();
    if (failed)
        emit Failed();
}

void DayWatchRun::AppendHeld()
{
    if (held_.empty() || hold_())
        return;
    int count = 0;
    for (Batch& batch : held_) {
        view_->AppendPrepared(std::move(batch.lines));
        count += batch.count;
    }
    held_.clear();
    emit Appended(count);
}

std::vector<std::string> DayWatchRun::TakeErrors()
{
    const std::lock_guard lock(mutex_);
    return std::exchange(errors_, {});
}

} // namespace kiv
