#pragma once
// The first, fast pass of a keyword search: a whole log text is searched at
// once for every watched word (ASCII letters without case), and only the lines
// where a word was seen are then tested one by one. A prefilter may point at a
// line that the exact test turns down (a word seen in the leading blanks that
// the line's text leaves out) but never misses a line that holds a word.

#include "logscan/LineBreaks.h"
#include "logscan/TextList.h"

#include <memory>
#include <string_view>
#include <vector>

namespace kiv {

enum class PrefilterKind {
    Hyperscan,    // Intel's Hyperscan, where the build found it
    BufferSearch, // no library: each word's two rarest bytes compared sixteen places at a time
    Automaton,    // no library: every word at once, one pass over the text whatever the list's length
};

class KeywordPrefilter {
public:
    // Working memory of one thread (a Hyperscan scratch).
    class Scratch {
    public:
        virtual ~Scratch() = default;
    };

    virtual ~KeywordPrefilter() = default;

    virtual std::unique_ptr<Scratch> MakeScratch() const = 0;

    // Appends to lines the lines of text that may hold one of the words, in
    // increasing order, each once. text must begin at the start of a line.
    virtual void CandidateLines(std::string_view text, Scratch& scratch, std::vector<LineSpan>& lines) const = 0;
};

// Each kind is made in its own file; KeywordMatcher chooses among them.

} // namespace kiv
