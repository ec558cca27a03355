#include "jobs/KeywordSearchJob.h"

#include "common/AsciiCase.h"
#include "jobs/detail/LogFileJob.h"
#include "logscan/KeywordScan.h"

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
    return RunLogFileJob<KeywordSearchResult>(
        events, events.onResults, cancel, [&] { return KeywordSearchFiles(request); },
        [&](const std::vector<std::string>& files, LogFileJobSteps<KeywordSearchResult>& steps) {
            KeywordScanEvents scan;
            steps.Wire(scan);
            scan.onResult = [&](KeywordResult&& found) {
                steps.Batches().Add(ShownResult(std::move(found.line), found.wordIndex, request.words));
            };
            KeywordScanOptions options;
            options.cancel = cancel;
            return RunKeywordScan(files, request.words, scan, options);
        });
}

} // namespace kiv
