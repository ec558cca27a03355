#include "KeywordSearchJob.h"

#include "AsciiCase.h"
#include "KeywordScan.h"
#include "LogFolder.h"
#include "ScanReport.h"
#include "TimedBatches.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace kiv {
namespace {

// The part of a result shown in bold: the first occurrence of its word, letters
// compared after ASCII upper-casing as the matching does.
std::pair<std::size_t, std::size_t> BoldRange(std::string_view line, std::string_view word)
{
    if (word.empty())
        return {0, 0};
    const auto at = std::search(line.begin(), line.end(), word.begin(), word.end(),
                                [](char a, char b) { return AsciiUpper(a) == AsciiUpper(b); });
    if (at == line.end())
        return {0, 0};
    return {static_cast<std::size_t>(at - line.begin()), word.size()};
}

} // namespace

LogFolderListing KeywordSearchFiles(const KeywordSearchRequest& request)
{
    return ListLogFiles(request.logFolder, KeywordLogMask("", request.date, request.scope));
}

KeywordSearchResult ShownResult(std::string rewrittenLine, std::size_t wordIndex, const TextList& words)
{
    KeywordSearchResult result;
    result.line = std::move(rewrittenLine);
    result.wordIndex = wordIndex;
    std::tie(result.boldStart, result.boldLength) = BoldRange(result.line, words[wordIndex]);
    return result;
}

ScanOutcome RunKeywordSearch(const KeywordSearchRequest& request, const KeywordSearchEvents& events,
                             const std::atomic<bool>* cancel)
{
    ScanOutcome outcome;
    ScanReport report(outcome, events.onError, events.onFileStarted, cancel);
    try {
        const LogFolderListing listing = KeywordSearchFiles(request);
        if (!report.FolderListed(listing, events.onFilesFound))
            return report.Finish(false);

        TimedBatches<KeywordSearchResult> batches(events.onResults, cancel);
        KeywordScanEvents scan;
        scan.onResult = [&](KeywordResult&& found) {
            batches.Add(ShownResult(std::move(found.line), found.wordIndex, request.words));
        };
        scan.onProgress = [&](std::size_t done, std::size_t total) {
            batches.Flush();
            report.FileStarted(done, total);
        };
        scan.onError = [&](const std::string& message) {
            // A file's results come before its error, as the reader met them.
            batches.Flush();
            report.Error(message);
        };
        report.FileStarted(0, listing.files.size());
        KeywordScanOptions options;
        options.cancel = cancel;
        const bool everyFileRead = RunKeywordScan(listing.files, request.words, scan, options);
        batches.Flush();
        return report.Finish(everyFileRead);
    } catch (const std::exception& failure) {
        report.Error(UnforeseenFailureText(failure));
        return report.Finish(false);
    }
}

} // namespace kiv
