#pragma once
// The watch of the day in the window: the watcher runs beside the window and
// its batches come to the window, which appends them to the results view with
// their bold words. While a keyword search is appending its results, the
// watch's results are held back and appended once the search has ended.
//
// The desktop is told what was found at most once a look and no more often
// than the notice gap: a log that gains a watched line every few milliseconds
// gives one notice with the count of everything found meanwhile, not a flood.
//
// The window never waits for the watch: stopping it returns at once, the look
// under way ends at its next piece, and what it found is still appended.

#include "app/results/ResultsView.h"
#include "app/runs/WorkerRun.h"
#include "app/window/WatchNotice.h"
#include "jobs/DayWatch.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace kiv {

class DayWatchRun : public QObject {
    Q_OBJECT

public:
    // hold: true while the results must wait (a search is appending). Closing
    // window calls the watch off and waits for it. noticeGap: the least time
    // between two notices.
    DayWatchRun(ResultsView* view, std::function<bool()> hold, QWidget* window,
                std::chrono::milliseconds noticeGap = std::chrono::seconds(5));

    // A watch runs, or is ending.
    bool Running() const noexcept { return run_.Running(); }
    // Starts watching. A watch that runs is stopped, without waiting: this
    // one starts once it has ended. interval and today are the pace and the
    // clock of the watch (the tests' own).
    void Start(DayWatchRequest request, std::chrono::milliseconds interval = std::chrono::seconds(1),
               DayWatch::Today today = LocalToday);
    // Stops the watch without waiting for it; what it finds until it has
    // ended is still appended (now, or when the search that holds it ends).
    void Stop();
    // Looks at the logs now rather than at the end of the interval.
    void LookNow();
    // The results held back while hold() was true, appended once it is not.
    void AppendHeld();
    // The errors met since the last call (Windows-1252), for the error box.
    std::vector<std::string> TakeErrors() { return std::exchange(errors_, {}); }
    // Notices with the count alone, naming no pupil (a projected screen).
    void SetCountOnly(bool countOnly) { countOnly_ = countOnly; }

signals:
    // The first look is over: from now on, every line the day's logs gain is
    // shown.
    void Watching();
    // A look is over, whether it found anything or not.
    void Looked();
    // What was found since the last notice, for the desktop.
    void Notice(const QString& summary, const QString& body);
    // Results were appended to the view.
    void Appended(int count);
    // TakeErrors has something.
    void Failed();
    // A watch has ended after a stop; Running() may be true again when a
    // new one was waiting for it.
    void Ended();

private:
    // What the watch hands over: a batch of results (its lines made ready
    // and what a notice says of it written beside the window), an error, the
    // log read again, the end of a look, or the end of the first look.
    struct Found {
        ResultsView::Lines lines;
        int count;
        WatchFinds finds;
    };
    struct Failure {
        std::string message;
    };
    // A log read again from its start (cut, replaced, rewritten): told as a
    // notice, not a box, since the watch goes on and the staff only need to
    // know why a line may come twice.
    struct Reread {
        std::string message;
    };
    struct LookDone {};
    struct Begun {};
    using Item = std::variant<Found, Failure, Reread, LookDone, Begun>;
    using Run = WorkerRun<Item, std::monostate>;
    struct Next {
        DayWatchRequest request;
        std::chrono::milliseconds interval;
        DayWatch::Today today;
    };

    void StartNext();
    void Take(std::deque<Item>& items);
    void WatchEnded(Run::Ending ending);
    // A look is over: the notice is told now, or once the gap has passed.
    void NoticeDue();
    void TellNotice();

    ResultsView* view_;
    std::function<bool()> hold_;
    std::shared_ptr<WatchPace> pace_; // the running watch's
    std::optional<Next> next_;        // waiting for the running watch to end
    std::vector<std::string> errors_;
    std::deque<Found> held_;
    WatchFinds untold_;
    bool countOnly_ = false;
    const std::chrono::milliseconds noticeGap_;
    QElapsedTimer sinceNotice_; // invalid until the first notice
    QTimer noticeLater_;
    Run run_; // last: gone first, with the watch
};

} // namespace kiv
