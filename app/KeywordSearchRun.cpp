#include "KeywordSearchRun.h"

#include "ResultsView.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QProgressBar>
#include <QWidget>

#include <exception>
#include <span>

namespace kiv {

KeywordSearchRun::KeywordSearchRun(ResultsView* view, QProgressBar* progress, QWidget* window)
    : QObject(window)
    , view_(view)
    , progress_(progress)
{
    window->installEventFilter(this);
    nextSlice_.setSingleShot(true);
    nextSlice_.setInterval(0);
    connect(&nextSlice_, &QTimer::timeout, this, &KeywordSearchRun::AppendTurn);
}

KeywordSearchRun::~KeywordSearchRun()
{
    // The window's widgets may be gone already: only the worker is stopped.
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

bool KeywordSearchRun::Start(KeywordSearchRequest request)
{
    if (running_)
        return false;
    running_ = true;
    cancel_ = false;
    handover_ = Handover{};
    firstReceived_.reset();
    firstShown_.reset();
    toAppend_.clear();
    outcome_.reset();
    lastResult_.reset();
    progress_->setValue(0);
    progress_->show();
    worker_ = std::thread(&KeywordSearchRun::Work, this, std::move(request));
    return true;
}

void KeywordSearchRun::CancelAndWait()
{
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
    if (!running_)
        return;
    running_ = false;
    {
        const std::lock_guard lock(mutex_);
        handover_ = Handover{};
    }
    toAppend_.clear();
    nextSlice_.stop();
    outcome_.reset();
    progress_->setValue(0);
    progress_->hide();
}

std::optional<KeywordSearchRun::Clock::time_point> KeywordSearchRun::FirstResultsReceived() const
{
    const std::lock_guard lock(mutex_);
    return firstReceived_;
}

bool KeywordSearchRun::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close)
        CancelAndWait();
    return QObject::eventFilter(watched, event);
}

// Worker thread: the scan, its events handed over under the lock.
void KeywordSearchRun::Work(KeywordSearchRequest request)
{
    KeywordSearchEvents events;
    events.onFilesFound = [this](std::size_t count) { Post([count](Handover& h) { h.fileCount = count; }); };
    events.onFileStarted = [this](std::size_t index, std::size_t) {
        Post([index](Handover& h) { h.fileIndex = index; });
    };
    events.onResults = [this](std::vector<KeywordSearchResult>&& results) {
        if (results.empty())
            return;
        // The text is made ready here, off the window's thread.
        Batch batch{ResultsView::Lines(results), std::move(results.back())};
        Post([this, &batch](Handover& h) {
            if (!firstReceived_)
                firstReceived_ = Clock::now();
            h.batches.push_back(std::move(batch));
        });
    };
    ScanOutcome outcome;
    try {
        outcome = RunKeywordSearch(request, events, &cancel_);
    } catch (const std::exception& error) {
        // Out of memory or the like: the search ends, reported like an
        // unreadable file, and the window is left usable.
        outcome.allRead = false;
        outcome.errors.emplace_back(error.what());
    }
    Post([&outcome](Handover& h) { h.outcome = std::move(outcome); });
}

void KeywordSearchRun::Post(const std::function<void(Handover&)>& change)
{
    const std::lock_guard lock(mutex_);
    change(handover_);
    if (handover_.wakePosted)
        return;
    handover_.wakePosted = true;
    QMetaObject::invokeMethod(this, &KeywordSearchRun::Wake, Qt::QueuedConnection);
}

// Window thread: takes what the worker handed over, and moves the progress
// bar to the file being searched.
void KeywordSearchRun::TakeHandover()
{
    std::optional<std::size_t> fileCount;
    std::optional<std::size_t> fileIndex;
    {
        const std::lock_guard lock(mutex_);
        for (auto& batch : handover_.batches)
            toAppend_.push_back(std::move(batch));
        handover_.batches.clear();
        fileCount = std::exchange(handover_.fileCount, std::nullopt);
        fileIndex = std::exchange(handover_.fileIndex, std::nullopt);
        if (handover_.outcome)
            outcome_ = std::exchange(handover_.outcome, std::nullopt);
        handover_.wakePosted = false;
    }
    // The bar runs from the first file (0) to the last (n - 1). With one
    // file it stays empty: Qt would draw a range of 0 to 0 as a busy marquee,
    // repainted many times a second while the window appends.
    if (fileCount)
        progress_->setMaximum(*fileCount > 1 ? static_cast<int>(*fileCount - 1) : 1);
    if (fileIndex)
        progress_->setValue(static_cast<int>(*fileIndex));
}

// The worker handed something over. The appending itself waits for the
// slice timer, which takes its turn among the window's other timers and
// input: a posted call would run ahead of them again and again.
void KeywordSearchRun::Wake()
{
    if (!running_)
        return;
    TakeHandover();
    if (!nextSlice_.isActive())
        nextSlice_.start();
}

// Appends what the worker handed over: the lines are ready, so taking them
// over costs the window little, whatever the batch.
void KeywordSearchRun::AppendTurn()
{
    if (!running_)
        return;
    TakeHandover();
    if (!toAppend_.empty()) {
        for (Batch& batch : toAppend_) {
            view_->AppendPrepared(std::move(batch.lines));
            lastResult_ = std::move(batch.last);
        }
        toAppend_.clear();
        if (!firstShown_)
            firstShown_ = Clock::now();
    }
    if (outcome_)
        End();
}

void KeywordSearchRun::End()
{
    if (worker_.joinable())
        worker_.join();
    running_ = false;
    progress_->setValue(0);
    progress_->hide();
    // The last result line stays on the clipboard, bold word and all, ready
    // to be pasted into a report to the pupil's teacher.
    if (lastResult_)
        QGuiApplication::clipboard()->setMimeData(ResultsView::ResultMimeData(*lastResult_));
    const ScanOutcome outcome = std::move(*outcome_);
    outcome_.reset();
    emit Finished(outcome);
}

} // namespace kiv
