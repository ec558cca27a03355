#pragma once
// One keyword search of the window: the scan runs beside the window, and its
// results come back in batches, their lines made ready on the worker, that
// the results view takes over once a turn of the event loop, so the window
// keeps answering while a year of logs is searched. The progress bar follows
// the files; one search at a time.

#include "app/results/ResultsView.h"
#include "app/runs/WorkerRun.h"
#include "jobs/KeywordSearchJob.h"
#include "jobs/ScanOutcome.h"

#include <QObject>

#include <chrono>
#include <cstddef>
#include <optional>

class QProgressBar;

namespace kiv {

class KeywordSearchRun : public QObject {
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;

    // Closing window cancels a running search and waits for its worker.
    KeywordSearchRun(ResultsView* view, QProgressBar* progress, QWidget* window);

    bool Running() const noexcept { return run_.Running(); }
    // Starts the search; false, and nothing done, while one runs.
    bool Start(KeywordSearchRequest request);
    // Stops the running search, if any, and waits for its worker; what was
    // not appended yet is dropped and Finished is not emitted.
    void CancelAndWait() { run_.CancelAndWait(); }

    // When the worker handed over the first results of the last search, and
    // when the view first showed some: how long staff wait to see a match.
    std::optional<Clock::time_point> FirstResultsReceived() const { return firstReceived_; }
    std::optional<Clock::time_point> FirstResultsShown() const { return firstShown_; }
    // Whether the last search found at least one result.
    bool FoundAny() const noexcept { return lastResult_.has_value(); }

signals:
    // The search ended: every result is in the view, the progress bar is
    // hidden. errors holds every file that could not be read.
    void Finished(const kiv::ScanOutcome& outcome);

private:
    // What the worker hands over at a time: how far it got in the files, or
    // a batch of results ready for the view, with the last result kept as
    // found, for the clipboard.
    struct Batch {
        std::optional<std::size_t> fileCount;
        std::optional<std::size_t> fileIndex;
        std::optional<ResultsView::Lines> lines;
        std::optional<KeywordSearchResult> last;
        Clock::time_point posted;
    };
    using Run = WorkerRun<Batch, ScanOutcome>;

    static ScanOutcome Work(const KeywordSearchRequest& request, Run::Outbox& out);
    void Take(std::deque<Batch>& batches);
    void End(Run::Ending ending);
    void HideProgress();

    ResultsView* view_;
    QProgressBar* progress_;
    std::optional<KeywordSearchResult> lastResult_;
    std::optional<Clock::time_point> firstReceived_;
    std::optional<Clock::time_point> firstShown_;
    Run run_;
};

} // namespace kiv
