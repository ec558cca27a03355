#pragma once
// Every watched word at once, as one automaton over ASCII upper-cased bytes
// (Aho-Corasick): a line is read once, whatever the number of words, and the
// first word in list order that it holds is known at its end. A school may
// import its blocklist of sites as tens of thousands of words: the automaton is
// built in time and memory proportional to the list's bytes, whatever the
// words share, and its build stops soon when the search is cancelled.

#include "logscan/CancelFlag.h"
#include "logscan/LineBreaks.h"
#include "logscan/TextList.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

namespace kiv {

class WordAutomaton {
public:
    static constexpr std::uint32_t kNoWord = std::numeric_limits<std::uint32_t>::max();

    // upperWords: the words ASCII upper-cased; a word's number is its place in
    // the list. Empty words never match; a word holding a CR or an LF cannot
    // occur in a line and is left out. Throws BuildCancelled when cancel is set
    // during the build.
    explicit WordAutomaton(const TextList& upperWords, const std::atomic<bool>* cancel = nullptr);

    // The smallest number of a word that the line holds (its bytes compared
    // after ASCII upper-casing), or kNoWord. The line must hold no break.
    std::uint32_t FirstWord(std::string_view line) const noexcept;

    // Appends the lines of text (from the start of a line) whose text, without
    // its leading tabs and spaces, holds a word: each line's text to lines and
    // the result of FirstWord on it to words.
    void MatchingLines(std::string_view text, std::vector<LineSpan>& lines, std::vector<std::uint32_t>& words) const;

    bool Empty() const noexcept { return label_.size() <= 1; }

private:
    std::uint32_t Next(std::uint32_t state, unsigned char upper) const noexcept;
    std::uint32_t Child(std::uint32_t state, unsigned char upper) const noexcept;
    std::uint32_t ChildFallback(std::uint32_t state, unsigned char byte) const noexcept;

    // The trie's states in breadth-first order, state 0 the root: the children
    // of each state are consecutive, and follow those of the state before it.
    std::vector<unsigned char> label_;       // the byte that leads into each state
    std::vector<std::uint32_t> firstChild_;  // children of s: [firstChild_[s], firstChild_[s + 1])
    std::vector<std::uint32_t> fallback_;    // the longest proper suffix that is a state
    std::vector<std::uint32_t> firstWord_;   // smallest word ending here or at a fallback
    std::array<std::uint32_t, 256> fromRoot_{}; // the root's moves, used while building

    // The first states in breadth-first order (the shallowest, where a text's
    // bytes mostly leave the automaton) also have a row of moves for every
    // byte, fallbacks already followed: one look-up per byte. Bytes that no
    // word holds share one column; a letter's two cases share theirs.
    void BuildRows();
    std::uint32_t rowStates_ = 0;
    std::uint32_t columns_ = 0;
    std::array<std::uint32_t, 256> column_{};
    std::vector<std::uint32_t> rows_; // rows_[state * columns_ + column_[byte]]
    // The bytes that end a line or start a word: at the root, the others are
    // passed over without a look-up.
    std::array<bool, 256> stopAtRoot_{};
};

} // namespace kiv
