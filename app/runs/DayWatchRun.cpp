#include "app/runs/DayWatchRun.h"

#include "qtext/QtCp1252.h"

#include <QStringList>

namespace kiv {

DayWatchRun::DayWatchRun(ResultsView* view, std::function<bool()> hold, QWidget* window,
                         std::chrono::milliseconds noticeGap)
    : QObject(window), view_(view), hold_(std::move(hold)), noticeGap_(noticeGap),
      run_(window, [this](std::deque<Item>& items) { Take(items); },
           [this](Run::Ending ending) { WatchEnded(std::move(ending)); },
           // Called off by closing the window: nothing more starts, and the
           // desktop hears nothing more of a window that is gone.
           [this] {
               next_.reset();
               pace_.reset();
               noticeLater_.stop();
               untold_ = {};
           })
{
    noticeLater_.setSingleShot(true);
    connect(&noticeLater_, &QTimer::timeout, this, &DayWatchRun::TellNotice);
    connect(this, &DayWatchRun::Notice, this,
            [window](const QString& summary, const QString& body) { ShowWatchNotice({summary, body}, window); });
}

void DayWatchRun::Start(DayWatchRequest request, std::chrono::milliseconds interval, DayWatch::Today today)
{
    next_ = Next{std::move(request), interval, std::move(today)};
    if (run_.Running()) {
        if (pace_)
            pace_->Stop();
        return;
    }
    StartNext();
}

void DayWatchRun::StartNext()
{
    Next next = std::move(*next_);
    next_.reset();
    auto pace = std::make_shared<WatchPace>();
    pace_ = pace;
    run_.Start([pace, request = std::move(next.request), interval = next.interval,
                today = std::move(next.today)](Run::Outbox& out) mutable {
        out.OnStop([pace] { pace->Stop(); });
        request.cancel = pace->StopFlag();
        const TextList words = request.words;
        DayWatchEvents events;
        // The batch's lines and what a notice says of it are made ready here,
        // off the window's thread.
        events.onResults = [&out, &words](std::vector<KeywordSearchResult>&& results) {
            out.Post(Found{ResultsView::Lines(results), static_cast<int>(results.size()), FindsOf(results, words)});
        };
        events.onError = [&out](const std::string& message) { out.Post(Failure{message}); };
        events.onReread = [&out](const std::string& message) { out.Post(Reread{message}); };
        events.onLookDone = [&out] { out.Post(LookDone{}); };
        try {
            DayWatch watch(std::move(request), events, std::move(today));
            RunDayWatch(watch, *pace, interval, [&out] { out.Post(Begun{}); });
        } catch (const BuildCancelled&) {
        }
        return std::monostate{};
    });
}

void DayWatchRun::Stop()
{
    next_.reset();
    if (pace_)
        pace_->Stop();
}

void DayWatchRun::LookNow()
{
    if (pace_)
        pace_->Nudge();
}

// Window thread: everything the watch posted has been taken.
void DayWatchRun::WatchEnded(Run::Ending ending)
{
    pace_.reset();
    if (!ending.failure.empty()) {
        errors_.push_back(std::move(ending.failure));
        emit Failed();
    }
    if (next_)
        StartNext();
    emit Ended();
}

// Window thread. The signals go last: a slot may open a message box, whose
// own event loop hands over the next items.
void DayWatchRun::Take(std::deque<Item>& items)
{
    bool begun = false;
    bool failed = false;
    bool looked = false;
    QStringList rereads;
    for (Item& item : items) {
        if (auto* found = std::get_if<Found>(&item)) {
            untold_.Add(found->finds);
            held_.push_back(std::move(*found));
        } else if (auto* failure = std::get_if<Failure>(&item)) {
            errors_.push_back(std::move(failure->message));
            failed = true;
        } else if (auto* reread = std::get_if<Reread>(&item)) {
            rereads.push_back(FromCp1252(reread->message));
        } else if (std::holds_alternative<LookDone>(item)) {
            looked = true;
        } else {
            begun = true;
        }
    }
    items.clear();
    AppendHeld();
    if (begun)
        emit Watching();
    // What was found is in the view (or held) by the time it is told.
    if (looked) {
        NoticeDue();
        emit Looked();
    }
    if (!rereads.isEmpty())
        emit Notice(QStringLiteral("Kiv Logs"), rereads.join(QLatin1Char('\n')));
    if (failed)
        emit Failed();
}

void DayWatchRun::NoticeDue()
{
    if (untold_.count == 0 || noticeLater_.isActive())
        return; // nothing to tell, or told with the notice that waits
    const auto since = std::chrono::milliseconds(sinceNotice_.isValid() ? sinceNotice_.elapsed() : noticeGap_.count());
    if (since < noticeGap_)
        noticeLater_.start(noticeGap_ - since);
    else
        TellNotice();
}

void DayWatchRun::TellNotice()
{
    if (untold_.count == 0)
        return;
    const WatchNotice notice = NoticeOf(std::exchange(untold_, {}), countOnly_);
    sinceNotice_.start();
    emit Notice(notice.summary, notice.body);
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
