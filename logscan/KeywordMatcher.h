#pragma once
// Which watched word a log line holds. A word matches when its ASCII
// upper-cased form occurs anywhere in the ASCII upper-cased line (accented
// letters compare as they are); the words are tried in list order and the
// first that matches is the line's word. An empty word never matches.

#include "KeywordPrefilter.h"
#include "TextList.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace kiv {

// False for Hyperscan when the build has no Hyperscan or the processor cannot
// run it.
bool PrefilterAvailable(PrefilterKind kind);

// The best kind this build and processor offer.
PrefilterKind FastestPrefilter();

class KeywordMatcher {
public:
    // The words exactly as the list holds them (spaces and all: an entry may be
    // a phrase). prefilter chooses how ForEachMatch finds its candidate lines;
    // a kind that is not available falls back to the portable one.
    explicit KeywordMatcher(TextList words, PrefilterKind prefilter = FastestPrefilter());
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
    PrefilterKind kind_;
    std::unique_ptr<KeywordPrefilter> prefilter_;
};

} // namespace kiv
