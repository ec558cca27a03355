#include "KeywordSearchJob.h"

#include "AsciiCase.h"
#include "KeywordScan.h"
#include "LogFileJob.h"

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

ScanOutcome RunKeywordSearch(const KeywordSearchRequest& request, const KeywordSearchEvents& events,
                             const std::atomic<bool>* cancel)
{
    return RunLogFileJob<KeywordSearchResult>(
        events, events.onResults, cancel,
        [&] { return ListLogFiles(request.logFolder, KeywordLogMask("", request.date, request.scope)); },
        [&](const std::vector<std::string>& files, LogFileJobSteps<KeywordSearchResult>& steps) {
            KeywordScanEvents scan;
            steps.Wire(scan);
            scan.onResult = [&](KeywordResult&& found) {
                KeywordSearchResult result;
                result.line = std::move(found.line);
                result.wordIndex = found.wordIndex;
                std::tie(result.boldStart, result.boldLength) =
                    BoldRange(result.line, request.words[found.wordIndex]);
                steps.Batches().Add(std::move(result));
            };
            KeywordScanOptions options;
            options.cancel = cancel;
            return RunKeywordScan(files, request.words, scan, options);
        });
}

} // namespace kiv
