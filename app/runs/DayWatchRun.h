#pragma once
// The watch of the day in the window: the watcher runs beside the window and
// its batches come to the window, which appends them to the results view with
// their bold words and raises one desktop notice per batch. While a keyword
// search is appending its results, the watch's results are held back (their
// notices still raised) and appended once the search has ended.

#include "app/results/ResultsView.h"
#include "app/runs/WorkerRun.h"
#include "app/window/WatchNotice.h"
#include "jobs/DayWatch.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace kiv {

class DayWatchRun : public QObject {
    Q_OBJECT

public:
    // hold: true while the results must wait (a search is appending). Closing
    // window stops the watch and waits for it.
    DayWatchRun(ResultsView* view, std::function<bool()> hold, QWidget* window);

    bool Running() const noexcept { return run_.Running(); }
    // Starts watching; a watch that runs is stopped first. interval and
    // today are the pace and the clock of the watch (the tests' own).
    void Start(DayWatchRequest request, std::chrono::milliseconds interval = std::chrono::seconds(1),
               DayWatch::Today today = LocalToday);
    // Stops the watch and waits for it; what it had found is still appended
    // (now, or when the search that holds it ends).
    void StopAndWait();
    // Looks at the logs now rather than at the end of the interval.
    void LookNow();
    // The results held back while hold() was true, appended once it is not.
    void AppendHeld();
    // The errors met since the last call (Windows-1252), for the error box.
    std::vector<std::string> TakeErrors() { return std::exchange(errors_, {}); }

signals:
    // The first look is over: from now on, every line the day's logs gain is
    // shown.
    void Watching();
    // A batch arrived: the notice that tells the desktop about it.
    void Notice(const QString& summary, const QString& body);
    // Results were appended to the view.
    void Appended(int count);
    // TakeErrors has something.
    void Failed();

private:
    // What the watch hands over: a batch of results (its lines made ready
    // and its notice written beside the window), an error, or the end of
    // the first look.
    struct Found {
        ResultsView::Lines lines;
        int count;
        WatchNotice notice;
    };
    struct Failure {
        std::string message;
    };
    struct Begun {};
    using Item = std::variant<Found, Failure, Begun>;
    using Run = WorkerRun<Item, std::monostate>;

    void Take(std::deque<Item>& items);

    ResultsView* view_;
    std::function<bool()> hold_;
    std::shared_ptr<WatchPace> pace_; // the running watch's
    std::vector<std::string> errors_;
    std::deque<Found> held_;
    Run run_; // last: gone first, with the watch
};

} // namespace kiv
