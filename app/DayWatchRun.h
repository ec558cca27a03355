#pragma once
// The watch of the day in the window: the watcher runs on a worker thread and
// its batches come to the window, which appends them to the results view with
// their bold words and raises one desktop notice per batch. While a keyword
// search appends its own results, the watch's wait and follow them.

#include "DayWatch.h"
#include "ResultsView.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kiv {

class DayWatchRun : public QObject {
    Q_OBJECT

public:
    // hold: true while the results must wait (a search is appending). Closing
    // window stops the watch and waits for its worker.
    DayWatchRun(ResultsView* view, std::function<bool()> hold, QWidget* window);
    ~DayWatchRun() override;

    bool Running() const noexcept { return worker_.joinable(); }
    // Starts watching; a watch that runs is stopped first. interval and
    // today are the pace and the clock of the watch (the tests' own).
    void Start(DayWatchRequest request, std::chrono::milliseconds interval = std::chrono::seconds(1),
               DayWatch::Today today = LocalToday);
    // Stops the watch and waits for its worker; what it had found is still
    // appended (now, or when the search that holds it ends).
    void StopAndWait();
    // Looks at the logs now rather than at the end of the interval.
    void LookNow();
    // The results held back while hold() was true, appended once it is not.
    void AppendHeld();
    // The errors met since the last call (Windows-1252), for the error box.
    std::vector<std::string> TakeErrors();

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Batch {
        ResultsView::Lines lines;
        int count;
    };
    void Post(std::vector<KeywordSearchResult>&& results);
    void Take();

    ResultsView* view_;
    std::function<bool()> hold_;
    TextList words_;
    WatchPace* pace_ = nullptr; // the running worker's, under the worker's life
    std::thread worker_;

    std::mutex mutex_;
    std::deque<Batch> arrived_;        // under mutex_
    std::vector<std::string> errors_;  // under mutex_
    bool wakePosted_ = false;          // under mutex_

    std::deque<Batch> held_; // window side
};

} // namespace kiv
