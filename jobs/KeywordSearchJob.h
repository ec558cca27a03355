#pragma once
// The keyword search from what the user chose (log folder, date, scope, words)
// to the rewritten result lines, in file and line order, handed on in batches.
// The window runs it on a worker thread, the command line on its own thread.

#include "jobs/LogFileJobEvents.h"
#include "jobs/LogFolder.h"
#include "jobs/ScanOutcome.h"
#include "logscan/LogMask.h"
#include "logscan/TextList.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kiv {

struct KeywordSearchRequest {
    std::filesystem::path logFolder; // the system's own path, never re-encoded
    LogDate date{};
    SearchScope scope = SearchScope::Jour;
    TextList words; // SearchWords: the default list or the typed one
};

struct KeywordSearchResult {
    std::string line;          // rewritten, Windows-1252
    std::size_t wordIndex = 0; // into the request's words
    // The first case-insensitive occurrence of the word in line, the part
    // shown in bold; boldLength 0 when the word is not in the line.
    std::size_t boldStart = 0;
    std::size_t boldLength = 0;
};

// A rewritten line that holds the word of that index, as the results view
// shows it: with the word's first occurrence in bold.
KeywordSearchResult ShownResult(std::string rewrittenLine, std::size_t wordIndex, const TextList& words);

struct KeywordSearchEvents : LogFileJobEvents {
    // The results, in file and line order, in batches as LogFileJobEvents says.
    std::function<void(std::vector<KeywordSearchResult>&& batch)> onResults;
};

// The log files that the search of this request reads, as the finder lists
// them: the one place that decides it, which the search itself, the window and
// the command line ask.
LogFolderListing KeywordSearchFiles(const KeywordSearchRequest& request);

// All events run on the calling thread. Once cancel is set nothing more is
// delivered and the search returns soon after. A log folder that is missing or
// cannot be listed gives onError ("Impossible d'ouvrir le dossier %s") and
// nothing else. Whatever fails, the search returns with the failure in its
// outcome: nothing is thrown to the worker thread that runs it.
ScanOutcome RunKeywordSearch(const KeywordSearchRequest& request, const KeywordSearchEvents& events,
                             const std::atomic<bool>* cancel = nullptr);

} // namespace kiv
