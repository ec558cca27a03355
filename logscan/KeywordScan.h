#pragma once
// The keyword search over the log files a finder found: each file is read,
// each of its lines tested against the watched words, and each line holding one
// rewritten for the results view, with the first word of the list it holds.
// Several files are read and searched at once by worker threads; the results
// still come in the order of the files and of their lines.

#include "logscan/KeywordMatcher.h"
#include "logscan/TextList.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

struct KeywordResult {
    std::size_t fileIndex; // into the list of files
    std::string line;      // rewritten by RewriteLogLine
    std::size_t wordIndex; // into the word list
};

struct KeywordScanEvents {
    // In order: files in list order, lines in file order.
    std::function<void(KeywordResult&&)> onResult;
    // After each file whose results were all delivered.
    std::function<void(std::size_t filesDone, std::size_t filesTotal)> onProgress;
    // A file that was skipped, with the error's text ("Impossible d'ouvrir le
    // fichier %s", "Niveau incorrect (%d) pour l'élément "%s"").
    std::function<void(const std::string& message)> onError;
};

// The step a search makes for each file it reads, for a caller that reads the
// log itself (the watch of the day, which reads what a file gained): every
// line of content (text as LogLineReader accepted it) that holds a watched
// word, rewritten by RewriteLogLine and handed on with the word's index, in
// order. False when cancel stopped it.
using RewrittenLineFound = std::function<void(std::string&& line, std::size_t wordIndex)>;
bool SearchLogText(std::string_view content, const KeywordMatcher& matcher, KeywordMatcher::Workspace& workspace,
                   const RewrittenLineFound& found, const std::atomic<bool>* cancel = nullptr);

struct KeywordScanOptions {
    unsigned threads = 0;                      // 0: DefaultThreadCount(ScanKind::ManyFiles)
    const std::atomic<bool>* cancel = nullptr; // set from any thread to stop the scan
};

// Searches the files (paths as the finder gives them; messages show them in
// Windows-1252, as PathForMessage does).
// A single file is searched like any number. A file that cannot be opened is
// reported through onError and skipped; a file whose indentation is refused is
// reported too, after the results of the lines before the refused one (the
// reader accepted those lines, and they are shown rather than lost). The scan
// goes on with the next file either way. Once cancel is set nothing more is
// delivered. True when every file was read to its end; false after an error
// or a cancel. All callbacks run on the calling thread.
bool RunKeywordScan(const std::vector<std::string>& files, const TextList& words, const KeywordScanEvents& events,
                    const KeywordScanOptions& options = {});

} // namespace kiv
