#pragma once
// The lines of the made-up keyword logs: pages that pupils open through the
// server's proxy, "POSTE12:eleve07:011226:1432:http://... page title", CR LF.
// A few pages hold a watched word, in all letter cases; the ordinary ones
// never do, so the number of results is the number the generator planned.

#include "bench/CorpusRandom.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kivgen {

// The seven built-in watched words, in their list order.
const std::vector<std::string_view>& WatchedWords();

// True when text holds a watched word, letters compared as the tool does
// (ASCII letters without case, other bytes as they are).
bool HasWatchedWord(std::string_view text);

// Throws std::logic_error when one of the texts of ordinary pages holds a
// watched word.
void CheckPools();

// The page part of an ordinary line: a search, an encyclopaedia article, a
// known site, a video or a bare image or script fetch.
std::string OrdinaryRest(Rng& rng);

// The page part of a line that holds watched word number word.
std::string WatchedRest(Rng& rng, std::size_t word);

// Appends "computer:pupil:ddmmyy:hhmm:rest" and CR LF.
void AppendKeywordLine(std::string& out, std::string_view computer, std::string_view pupil,
                       std::string_view dayKey, int second, std::string_view rest);

// "POSTE07" for 7.
std::string Computer(int number);

struct KeywordDay {
    std::string text;
    std::uint64_t lines = 0;
    std::uint64_t watchedLines = 0;
};

// One day's keyword log of at least targetBytes, the clock running from 08h00
// to 18h00; on average one line in watchedOneIn holds a watched word.
KeywordDay KeywordDayText(Rng& rng, std::string_view dayKey, std::size_t targetBytes, std::uint32_t watchedOneIn);

} // namespace kivgen
