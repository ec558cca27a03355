#include "KeywordScan.h"

#include "FileIo.h"
#include "KeywordMatcher.h"
#include "KivError.h"
#include "LogLineReader.h"
#include "RewriteLogLine.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace kiv {
namespace {

bool Cancelled(const std::atomic<bool>* cancel) noexcept
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

std::size_t WorkerCount(unsigned requested, std::size_t files)
{
    std::size_t count = requested;
    if (count == 0) {
        count = std::thread::hardware_concurrency();
        count = std::clamp<std::size_t>(count, 1, 8);
    }
    return std::min(count, files);
}

// One thread's tools: its own reader (and buffer) and matcher workspace.
class FileSearcher {
public:
    FileSearcher(const KeywordMatcher& matcher, const KeywordScanOptions& options)
        : matcher_(matcher), workspace_(matcher.MakeWorkspace()), options_(options)
    {
    }

    // Reads and searches one file, handing each result to sink. Returns the
    // error's text when the file could not be read to its end.
    template <class Sink>
    std::optional<std::string> Search(std::size_t fileIndex, const std::string& path, Sink&& sink)
    {
        std::optional<std::string> error;
        try {
            if (options_.portableMatcher)
                reader_.Read(PathFromBytes(path), path);
            else
                reader_.ReadContent(PathFromBytes(path), path);
        } catch (const KivError& e) {
            error = e.what();
            // Not opened: what the reader holds is the previous file's.
            if (!reader_.LastReadOpened())
                return error;
        }
        const auto deliver = [&](std::string_view line, int word) {
            sink(KeywordResult{fileIndex, RewriteLogLine(line), static_cast<std::size_t>(word)});
        };
        if (options_.portableMatcher) {
            const std::size_t count = reader_.Count();
            for (std::size_t j = 0; j < count; ++j) {
                if (j % 4096 == 0 && Cancelled(options_.cancel))
                    break;
                const int word = matcher_.FirstMatch(reader_[j]);
                if (word >= 0)
                    deliver(reader_[j], word);
            }
        } else {
            matcher_.ForEachMatch(reader_.Content(), workspace_, deliver, options_.cancel);
        }
        return error;
    }

private:
    const KeywordMatcher& matcher_;
    KeywordMatcher::Workspace workspace_;
    const KeywordScanOptions& options_;
    LogLineReader reader_;
};

// Everything the scan delivers for one file.
struct FileOutcome {
    bool ready = false;
    std::vector<KeywordResult> results;
    std::optional<std::string> error;
    std::exception_ptr failure; // anything but a read error: passed on to the caller
};

class ScanDelivery {
public:
    ScanDelivery(const KeywordScanEvents& events, const KeywordScanOptions& options, std::size_t total)
        : events_(events), cancel_(options.cancel), total_(total)
    {
    }

    void Result(KeywordResult&& result) const
    {
        if (events_.onResult && !Cancelled(cancel_))
            events_.onResult(std::move(result));
    }

    // After a file's results: its error and the progress. False when cancelled.
    bool FileDone(std::size_t index, const std::optional<std::string>& error)
    {
        if (Cancelled(cancel_))
            return false;
        if (error) {
            allRead_ = false;
            if (events_.onError)
                events_.onError(*error);
        }
        if (events_.onProgress)
            events_.onProgress(index + 1, total_);
        return true;
    }

    bool AllRead() const noexcept { return allRead_; }

private:
    const KeywordScanEvents& events_;
    const std::atomic<bool>* cancel_;
    std::size_t total_;
    bool allRead_ = true;
};

bool ScanOnThisThread(const std::vector<std::string>& files, const KeywordMatcher& matcher,
                      const KeywordScanOptions& options, ScanDelivery& delivery)
{
    FileSearcher searcher(matcher, options);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (Cancelled(options.cancel))
            return false;
        const auto error =
            searcher.Search(i, files[i], [&](KeywordResult&& result) { delivery.Result(std::move(result)); });
        if (!delivery.FileDone(i, error))
            return false;
    }
    return delivery.AllRead();
}

// Worker threads search files ahead of the calling thread, which delivers them
// in order. At most `window` files are in flight (searched but not delivered),
// so memory stays bounded however many files the scan covers.
class ParallelScan {
public:
    ParallelScan(const std::vector<std::string>& files, const KeywordMatcher& matcher,
                 const KeywordScanOptions& options, std::size_t workers)
        : files_(files), options_(options), window_(workers * 2), slots_(window_)
    {
        // Made here, so that a failure to make one reaches the caller.
        for (std::size_t w = 0; w < workers; ++w)
            searchers_.push_back(std::make_unique<FileSearcher>(matcher, options));
    }

    ~ParallelScan()
    {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        workWanted_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
    }

    ParallelScan(const ParallelScan&) = delete;
    ParallelScan& operator=(const ParallelScan&) = delete;

    bool Run(ScanDelivery& delivery)
    {
        for (auto& searcher : searchers_)
            threads_.emplace_back([this, s = searcher.get()] { Work(*s); });

        for (std::size_t next = 0; next < files_.size(); ++next) {
            std::optional<FileOutcome> outcome = Take(next);
            if (!outcome)
                return false; // cancelled while waiting
            if (outcome->failure)
                std::rethrow_exception(outcome->failure);
            for (KeywordResult& result : outcome->results)
                delivery.Result(std::move(result));
            if (!delivery.FileDone(next, outcome->error))
                return false;
        }
        return delivery.AllRead();
    }

private:
    std::optional<FileOutcome> Take(std::size_t index)
    {
        std::unique_lock lock(mutex_);
        FileOutcome& slot = slots_[index % window_];
        while (!slot.ready) {
            if (Cancelled(options_.cancel))
                return std::nullopt;
            if (options_.cancel)
                resultReady_.wait_for(lock, std::chrono::milliseconds(20));
            else
                resultReady_.wait(lock);
        }
        FileOutcome outcome = std::move(slot);
        slot = FileOutcome{};
        delivered_ = index + 1;
        lock.unlock();
        workWanted_.notify_all();
        return outcome;
    }

    void Work(FileSearcher& searcher)
    {
        for (;;) {
            std::size_t index = 0;
            {
                std::unique_lock lock(mutex_);
                workWanted_.wait(lock, [this] {
                    return stop_ || started_ >= files_.size() || started_ < delivered_ + window_;
                });
                if (stop_ || started_ >= files_.size() || Cancelled(options_.cancel))
                    return;
                index = started_++;
            }
            FileOutcome outcome;
            try {
                outcome.error = searcher.Search(index, files_[index], [&](KeywordResult&& result) {
                    outcome.results.push_back(std::move(result));
                });
            } catch (...) {
                outcome.failure = std::current_exception();
            }
            outcome.ready = true;
            {
                const std::lock_guard lock(mutex_);
                slots_[index % window_] = std::move(outcome);
            }
            resultReady_.notify_one();
        }
    }

    const std::vector<std::string>& files_;
    const KeywordScanOptions& options_;
    const std::size_t window_;
    std::vector<std::unique_ptr<FileSearcher>> searchers_;
    std::vector<std::thread> threads_;

    std::mutex mutex_;
    std::condition_variable workWanted_;  // a worker may start a file
    std::condition_variable resultReady_; // a file's outcome is in its slot
    std::vector<FileOutcome> slots_;      // file i in slot i % window_
    std::size_t started_ = 0;
    std::size_t delivered_ = 0;
    bool stop_ = false;
};

} // namespace

bool RunKeywordScan(const std::vector<std::string>& files, const TextList& words, const KeywordScanEvents& events,
                    const KeywordScanOptions& options)
{
    const KeywordMatcher matcher(words);
    ScanDelivery delivery(events, options, files.size());
    const std::size_t workers = WorkerCount(options.threads, files.size());
    if (workers <= 1)
        return ScanOnThisThread(files, matcher, options, delivery);
    ParallelScan scan(files, matcher, options, workers);
    return scan.Run(delivery);
}

} // namespace kiv
