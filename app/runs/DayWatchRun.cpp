#include "app/runs/DayWatchRun.h"

namespace kiv {

DayWatchRun::DayWatchRun(ResultsView* view, std::function<bool()> hold, QWidget* window)
    : QObject(window), view_(view), hold_(std::move(hold)),
      run_(window, [this](std::deque<Item>& items) { Take(items); },
           [this](Run::Ending ending) {
               if (!ending.failure.empty()) {
                   errors_.push_back(std::move(ending.failure));
                   emit Failed();
               }
           })
{
    connect(this, &DayWatchRun::Notice, this,
            [window](const QString& summary, const QString& body) { ShowWatchNotice({summary, body}, window); });
}

void DayWatchRun::Start(DayWatchRequest request, std::chrono::milliseconds interval, DayWatch::Today today)
{
    StopAndWait();
    auto pace = std::make_shared<WatchPace>();
    pace_ = pace;
    run_.Start([pace, request = std::move(request), interval, today = std::move(today)](Run::Outbox& out) mutable {
        out.OnStop([pace] { pace->Stop(); });
        request.cancel = pace->StopFlag();
        const TextList words = request.words;
        DayWatchEvents events;
        // The batch's lines and notice are made ready here, off the window's thread.
        events.onResults = [&out, &words](std::vector<KeywordSearchResult>&& results) {
            out.Post(Found{ResultsView::Lines(results), static_cast<int>(results.size()),
                           MakeWatchNotice(results, words)});
        };
        events.onError = [&out](const std::string& message) { out.Post(Failure{message}); };
        try {
            DayWatch watch(std::move(request), events, std::move(today));
            RunDayWatch(watch, *pace, interval, [&out] { out.Post(Begun{}); });
        } catch (const BuildCancelled&) {
        }
        return std::monostate{};
    });
}

void DayWatchRun::StopAndWait()
{
    run_.FinishAndWait();
    pace_.reset();
}

void DayWatchRun::LookNow()
{
    if (pace_)
        pace_->Nudge();
}

// Window thread. The signals go last: a slot may open a message box, whose
// own event loop hands over the next items.
void DayWatchRun::Take(std::deque<Item>& items)
{
    std::vector<WatchNotice> notices;
    bool begun = false;
    bool failed = false;
    for (Item& item : items) {
        if (auto* found = std::get_if<Found>(&item)) {
            notices.push_back(found->notice);
            held_.push_back(std::move(*found));
        } else if (auto* failure = std::get_if<Failure>(&item)) {
            errors_.push_back(std::move(failure->message));
            failed = true;
        } else {
            begun = true;
        }
    }
    items.clear();
    AppendHeld();
    if (begun)
        emit Watching();
    // Each batch is in the view (or held) by the time its notice is raised.
    for (const WatchNotice& notice : notices)
        emit Notice(notice.summary, notice.body);
    if (failed)
        emit Failed();
}

void DayWatchRun::AppendHeld()
{
    if (held_.empty() || hold_())
        return;
    int count = 0;
    for (Found& batch : held_) {
        view_->AppendPrepared(std::move(batch.lines));
        count += batch.count;
    }
    held_.clear();
    emit Appended(count);
}

} // namespace kiv
