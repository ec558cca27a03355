#pragma once
// One keyword search of the window: the scan runs on a worker thread, and its
// results come back to the window in batches, their lines made ready there,
// that the results view takes over in a turn of the event loop behind the
// window's own input, so the window keeps answering while a year of logs is
// searched. The progress bar follows the files; one search at a time.

#include "KeywordSearchJob.h"
#include "ResultsView.h"
#include "ScanOutcome.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QProgressBar;

namespace kiv {

class KeywordSearchRun : public QObject {
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;

    // Closing window cancels a running search and waits for its worker.
    KeywordSearchRun(ResultsView* view, QProgressBar* progress, QWidget* window);
    ~KeywordSearchRun() override;

    bool Running() const noexcept { return running_; }
    // Starts the search; false, and nothing done, while one runs.
    bool Start(KeywordSearchRequest request);
    // Stops the running search, if any, and waits for its worker; what was
    // not appended yet is dropped and Finished is not emitted.
    void CancelAndWait();

    // When the worker received the first results of the last search, and
    // when the view first showed some: how long staff wait to see a match.
    std::optional<Clock::time_point> FirstResultsReceived() const;
    std::optional<Clock::time_point> FirstResultsShown() const { return firstShown_; }
    // Whether the last search found at least one result.
    bool FoundAny() const noexcept { return lastResult_.has_value(); }

signals:
    // The search ended: every result is in the view, the progress bar is
    // hidden. errors holds every file that could not be read.
    void Finished(const kiv::ScanOutcome& outcome);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A batch of results as the worker made it ready for the view; the last
    // result kept as found, for the clipboard.
    struct Batch {
        ResultsView::Lines lines;
        KeywordSearchResult last;
    };
    // What the worker has handed over and the window not yet taken.
    struct Handover {
        std::deque<Batch> batches;
        std::optional<std::size_t> fileCount;
        std::optional<std::size_t> fileIndex;
        std::optional<ScanOutcome> outcome;
        bool wakePosted = false;
    };

    void Work(KeywordSearchRequest request);
    void Post(const std::function<void(Handover&)>& change);
    void TakeHandover();
    void Wake();
    void AppendTurn();
    void End();

    ResultsView* view_;
    QProgressBar* progress_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    bool running_ = false;

    mutable std::mutex mutex_;
    Handover handover_;
    std::optional<Clock::time_point> firstReceived_; // under mutex_

    // Window side: the batches taken, not appended yet.
    std::deque<Batch> toAppend_;
    // Appends in a later turn of the event loop, after the timers and input
    // waiting there (a posted call would run before them).
    QTimer nextSlice_;
    std::optional<ScanOutcome> outcome_;
    std::optional<KeywordSearchResult> lastResult_;
    std::optional<Clock::time_point> firstShown_;
};

} // namespace kiv
