#include "logscan/KeywordScan.h"

#include "logscan/CancelFlag.h"
#include "logscan/FileIo.h"
#include "logscan/KeywordMatcher.h"
#include "logscan/KivError.h"
#include "logscan/LogLineReader.h"
#include "logscan/RewriteLogLine.h"
#include "logscan/ScanThreads.h"
#include "logscan/detail/OrderedBatches.h"
#include "logscan/detail/ScanProgress.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace kiv {
namespace {

std::size_t WorkerCount(unsigned requested, std::size_t files)
{
    const std::size_t count = requested != 0 ? requested : DefaultThreadCount(ScanKind::ManyFiles);
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
    // error's text when the file could not be read to its end. Whatever goes
    // wrong with one file is that file's error: the other files of the day
    // are still searched.
    template <class Sink>
    std::optional<std::string> Search(std::size_t fileIndex, const std::string& path, Sink&& sink)
    {
        const std::filesystem::path file = PathFromBytes(path);
        try {
            return SearchFile(fileIndex, file, sink);
        } catch (const std::exception&) {
            return FileFailureMessage(PathForMessage(file));
        }
    }

private:
    template <class Sink>
    std::optional<std::string> SearchFile(std::size_t fileIndex, const std::filesystem::path& file, Sink& sink)
    {
        std::optional<std::string> error;
        try {
            reader_.ReadContent(file, PathForMessage(file));
        } catch (const KivError& e) {
            error = e.what();
            // Not opened: what the reader holds is the previous file's.
            if (!reader_.LastReadOpened())
                return error;
        }
        SearchLogText(
            reader_.Content(), matcher_, workspace_,
            [&](std::string&& line, std::size_t word) { sink(KeywordResult{fileIndex, std::move(line), word}); },
            options_.cancel);
        return error;
    }

    const KeywordMatcher& matcher_;
    KeywordMatcher::Workspace workspace_;
    const KeywordScanOptions& options_;
    LogLineReader reader_{RefusedLine::IsSkipped}; // a keyword log goes on after a refused line
};

// Everything the scan delivers for one file.
struct FileOutcome {
    std::vector<KeywordResult> results;
    std::optional<std::string> error;
};

class ScanDelivery {
public:
    ScanDelivery(const KeywordScanEvents& events, const KeywordScanOptions& options, std::size_t total)
        : events_(events), cancel_(options.cancel), progress_(events.onError, events.onProgress, total)
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
        progress_.FileDone(index, error);
        return true;
    }

    bool AllRead() const noexcept { return progress_.AllRead(); }

private:
    const KeywordScanEvents& events_;
    const std::atomic<bool>* cancel_;
    ScanProgress progress_;
};

// One thread alone: results go out as they are found, file after file.
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

// The searchers of a parallel scan, one per thread at work: a file is searched
// with whichever searcher is free, so that each keeps its reader's buffer and
// its matcher workspace from file to file.
class SearcherPool {
public:
    SearcherPool(const KeywordMatcher& matcher, const KeywordScanOptions& options, std::size_t count)
    {
        // Made here, so that a failure to make one reaches the caller.
        for (std::size_t i = 0; i < count; ++i)
            free_.push_back(std::make_unique<FileSearcher>(matcher, options));
    }

    template <class Work>
    void With(Work&& work)
    {
        std::unique_ptr<FileSearcher> searcher;
        {
            const std::lock_guard lock(mutex_);
            searcher = std::move(free_.back());
            free_.pop_back();
        }
        struct Return {
            SearcherPool& pool;
            std::unique_ptr<FileSearcher>& searcher;
            ~Return()
            {
                const std::lock_guard lock(pool.mutex_);
                pool.free_.push_back(std::move(searcher));
            }
        } giveBack{*this, searcher};
        work(*searcher);
    }

private:
    std::mutex mutex_;
    std::vector<std::unique_ptr<FileSearcher>> free_;
};

// Helper threads search files ahead of the calling thread, which delivers them
// in file order; only a few files are in flight at a time, so memory stays
// bounded however many files the scan covers.
bool ScanInParallel(const std::vector<std::string>& files, const KeywordMatcher& matcher,
                    const KeywordScanOptions& options, ScanDelivery& delivery, std::size_t workers)
{
    // The calling thread searches too when the next file is not taken yet.
    const auto helpers = static_cast<unsigned>(workers - 1);
    SearcherPool pool(matcher, options, workers);
    bool finished = true;
    DeliverInOrder<FileOutcome>(
        files.size(), helpers,
        [&](FileOutcome& outcome, std::size_t index) {
            outcome.results.clear();
            outcome.error.reset();
            if (Cancelled(options.cancel))
                return;
            pool.With([&](FileSearcher& searcher) {
                outcome.error = searcher.Search(index, files[index], [&](KeywordResult&& result) {
                    outcome.results.push_back(std::move(result));
                });
            });
        },
        [&](FileOutcome& outcome, std::size_t index) {
            for (KeywordResult& result : outcome.results)
                delivery.Result(std::move(result));
            finished = delivery.FileDone(index, outcome.error);
            return finished;
        });
    return finished && delivery.AllRead();
}

} // namespace

bool SearchLogText(std::string_view content, const KeywordMatcher& matcher, KeywordMatcher::Workspace& workspace,
                   const RewrittenLineFound& found, const std::atomic<bool>* cancel)
{
    const auto deliver = [&](std::string_view line, int word) {
        found(RewriteLogLine(line), static_cast<std::size_t>(word));
    };
    return matcher.ForEachMatch(content, workspace, deliver, cancel);
}

bool RunKeywordScan(const std::vector<std::string>& files, const TextList& words, const KeywordScanEvents& events,
                    const KeywordScanOptions& options)
{
    // A long list takes a while to prepare: a cancel (the window closed, a new
    // search) stops that too.
    std::optional<KeywordMatcher> prepared;
    try {
        prepared.emplace(words, std::nullopt, options.cancel);
    } catch (const BuildCancelled&) {
        return false;
    }
    const KeywordMatcher& matcher = *prepared;
    ScanDelivery delivery(events, options, files.size());
    const std::size_t workers = WorkerCount(options.threads, files.size());
    if (workers <= 1)
        return ScanOnThisThread(files, matcher, options, delivery);
    return ScanInParallel(files, matcher, options, delivery, workers);
}

} // namespace kiv
