#pragma once
// kivlogs-cli search: the keyword search of the window, results on standard
// output or saved as the window's "Enregistrer" saves them.

#include "cli/CliOptions.h"
#include "jobs/KeywordSearchJob.h"
#include "jobs/SearchWordChoice.h"

#include <filesystem>
#include <string>
#include <vector>
#include <string_view>

namespace kiv::cli {

// Returns the exit status: 0 every found file read, 1 otherwise.
int RunSearch(const CliOptions& options, const std::filesystem::path& executableFolder);

// Where the watched words come from: --word, --words, the configuration's or
// the program's kiv.ini, the built-in words. The watch reads the same list.
// A typed word with a character that no log can hold is left out, its
// message (UnsearchableWordMessage) added to refused: searched for as "?", it
// would find other lines.
SearchWordSources WordSources(const CliOptions& options, const std::filesystem::path& executableFolder,
                              std::vector<std::string>& refused);

// One result as a search writes it, appended to out: the word and a TAB first
// with --with-word, then the rewritten line, then lineEnd.
void AppendResultLine(const KeywordSearchResult& result, const TextList& words, bool withWord, Encoding encoding,
                      std::string_view lineEnd, std::string& out);

} // namespace kiv::cli
