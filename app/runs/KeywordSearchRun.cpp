#include "app/runs/KeywordSearchRun.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProgressBar>

#include <utility>

namespace kiv {
namespace {

// A batch at a time while a few milliseconds last, then the window's own
// events (a key, a paint, a screen reader's question) before the next turn;
// a search that finds faster than the window appends waits on a few batches.
constexpr WorkerPace kSearchPace{.mailboxBound = 16, .turnBudget = std::chrono::milliseconds(4)};

} // namespace

KeywordSearchRun::KeywordSearchRun(ResultsView* view, QProgressBar* progress, QWidget* window)
    : QObject(window)
    , view_(view)
    , progress_(progress)
    , run_(window, [this](std::deque<Batch>& batches) { Take(batches); },
           [this](Run::Ending ending) { End(std::move(ending)); },
           [this] { HideProgress(); }, kSearchPace)
{}

bool KeywordSearchRun::Start(KeywordSearchRequest request)
{
    if (run_.Running())
        return false;
    firstReceived_.reset();
    firstShown_.reset();
    lastResult_.reset();
    progress_->setValue(0);
    progress_->show();
    return run_.Start([request = std::move(request)](Run::Outbox& out) { return Work(request, out); });
}

// Worker thread.
ScanOutcome KeywordSearchRun::Work(const KeywordSearchRequest& request, Run::Outbox& out)
{
    KeywordSearchEvents events;
    events.onFilesFound = [&out](std::size_t count) {
        Batch batch;
        batch.fileCount = count;
        out.Post(std::move(batch));
    };
    events.onFileStarted = [&out](std::size_t index, std::size_t) {
        Batch batch;
        batch.fileIndex = index;
        out.Post(std::move(batch));
    };
    events.onResults = [&out](std::vector<KeywordSearchResult>&& results) {
        if (results.empty())
            return;
        // The text is made ready here, off the window's thread.
        Batch batch;
        batch.lines.emplace(results);
        batch.last = std::move(results.back());
        batch.posted = Clock::now();
        out.Post(std::move(batch));
    };
    return RunKeywordSearch(request, events, &out.Cancelled());
}

// Takes the first batch: moves the progress bar to the file being searched
// or appends the results, whose lines are ready, so that a batch costs the
// window little and the turn's budget decides how many go at once.
void KeywordSearchRun::Take(std::deque<Batch>& batches)
{
    Batch batch = std::move(batches.front());
    batches.pop_front();
    // The bar runs from the first file (0) to the last (n - 1). With one
    // file it stays empty: Qt would draw a range of 0 to 0 as a busy
    // marquee, repainted many times a second while the window appends.
    if (batch.fileCount)
        progress_->setMaximum(*batch.fileCount > 1 ? static_cast<int>(*batch.fileCount - 1) : 1);
    if (batch.fileIndex)
        progress_->setValue(static_cast<int>(*batch.fileIndex));
    if (!batch.lines)
        return;
    if (!firstReceived_)
        firstReceived_ = batch.posted;
    view_->AppendPrepared(std::move(*batch.lines));
    lastResult_ = std::move(batch.last);
    if (!firstShown_)
        firstShown_ = Clock::now();
}

void KeywordSearchRun::End(Run::Ending ending)
{
    HideProgress();
    // The last result line stays on the clipboard, bold word and all, ready
    // to be pasted into a report to the pupil's teacher.
    if (lastResult_)
        QGuiApplication::clipboard()->setMimeData(ResultsView::ResultMimeData(*lastResult_));
    if (!ending.failure.empty())
        ending.result.Failed(std::move(ending.failure));
    emit Finished(ending.result);
}

void KeywordSearchRun::HideProgress()
{
    progress_->setValue(0);
    progress_->hide();
}

} // namespace kiv
