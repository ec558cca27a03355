#pragma once
// Which watched word a log line holds. A word matches when its ASCII
// upper-cased form occurs anywhere in the ASCII upper-cased line (accented
// letters compare as they are); the words are tried in list order and the
// first that matches is the line's word. An empty word never matches.

#include "logscan/KeywordPrefilter.h"
#include "logscan/TextList.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace kiv {

class WordAutomaton;

// False for Hyperscan when the build has no Hyperscan or the processor cannot
// run it.
bool PrefilterAvailable(PrefilterKind kind);

// The fastest kind this build and processor offer for a list of that many
// words of that many bytes in all: the libraries and the sixteen-at-a-time
// search for a few words, the automaton for a long list, whose cost does not
// grow with its length.
PrefilterKind FastestPrefilter(std::size_t wordCount, std::size_t wordBytes);

class KeywordMatcher {
public:
    // The words exactly as the list holds them (spaces and all: an entry may be
    // a phrase). prefilter chooses how ForEachMatch finds its candidate lines
    // (by default the fastest for the list); a kind that is not available falls
    // back to a portable one. The build takes time and memory in proportion to
    // the list's bytes; it looks at cancel as it goes and throws
    // BuildCancelled (CancelFlag.h) soon after cancel is set.
    explicit KeywordMatcher(TextList words, std::optional<PrefilterKind> prefilter = std::nullopt,
                            const std::atomic<bool>* cancel = nullptr);
    ~KeywordMatcher();
    KeywordMatcher(const KeywordMatcher&) = delete;
    KeywordMatcher& operator=(const KeywordMatcher&) = delete;

    const TextList& Words() const noexcept { return words_; }
    PrefilterKind Prefilter() const noexcept { return kind_; }

    // The index of the first word in list order that the line holds, or -1.
    int FirstMatch(std::string_view line) const;

    // The memory of one thread's searches. Each thread needs its own.
    class Workspace {
    public:
        Workspace(Workspace&&) noexcept;
        Workspace& operator=(Workspace&&) noexcept;
        ~Workspace();

    private:
        friend class KeywordMatcher;
        Workspace();
        std::unique_ptr<KeywordPrefilter::Scratch> scratch_;
        std::vector<LineSpan> candidates_;
        std::vector<std::uint32_t> lineWords_; // the automaton's word for each candidate
    };
    Workspace MakeWorkspace() const;

    using LineFound = std::function<void(std::string_view line, int wordIndex)>;

    // Hands found every line of text (split at CR LF, lone CR and lone LF, its
    // leading tabs and spaces removed) that holds a word, with FirstMatch's
    // word, in text order: the same lines and words as FirstMatch on each line
    // in turn. Text is searched a piece at a time; cancel is looked at between
    // pieces. False when cancel stopped the search.
    bool ForEachMatch(std::string_view text, Workspace& workspace, const LineFound& found,
                      const std::atomic<bool>* cancel = nullptr) const;

private:
    TextList words_;
    // The words that can match (the empty ones never do), ASCII upper-cased,
    // in list order, and the place of each in words_.
    TextList upperWords_;
    std::vector<std::size_t> upperIndex_;
    std::unique_ptr<WordAutomaton> automaton_; // over upperWords_: the exact test of a line
    PrefilterKind kind_;
    std::unique_ptr<KeywordPrefilter> prefilter_;
};

} // namespace kiv
