#include "logscan/KeywordMatcher.h"

#include "common/AsciiCase.h"
#include "logscan/CancelFlag.h"
#include "logscan/LineBreaks.h"
#include "logscan/detail/BufferSearchPrefilter.h"
#include "logscan/detail/HyperscanPrefilter.h"
#include "logscan/detail/WordAutomaton.h"

#include <algorithm>

namespace kiv {
namespace {

// Log texts are searched in pieces of about this size, cut at line breaks, so
// that a cancelled search stops soon even in a large file.
constexpr std::size_t kPieceSize = std::size_t{256} << 10;

// The end of the piece that starts at begin: just after the first line break
// at or after begin + kPieceSize (a CR LF kept whole), or the text's end.
std::size_t PieceEnd(std::string_view text, std::size_t begin)
{
    if (text.size() - begin <= kPieceSize)
        return text.size();
    return NextLineStart(text, begin + kPieceSize);
}

// The words that a prefilter searches for: the others (empty ones, and ones
// holding a CR or an LF) cannot occur in a line.
bool IsSearchableWord(std::string_view word) noexcept
{
    return !word.empty() && word.find_first_of("\r\n") == std::string_view::npos;
}

// The list itself when every word can occur in a line (no copy of a long
// list), else a list without the others.
const TextList& SearchableWords(const TextList& words, TextList& filtered)
{
    if (std::all_of(words.begin(), words.end(), IsSearchableWord))
        return words;
    for (std::string_view word : words)
        if (IsSearchableWord(word))
            filtered.push_back(word);
    return filtered;
}

// A prefilter of the kind for the words; nullptr when the kind is not available
// or is the automaton, which the matcher runs itself.
std::unique_ptr<KeywordPrefilter> MakeKeywordPrefilter(const TextList& words, PrefilterKind kind)
{
    TextList filtered;
    const TextList& searchable = SearchableWords(words, filtered);
    switch (kind) {
    case PrefilterKind::Hyperscan:
        return MakeHyperscanPrefilter(searchable);
    case PrefilterKind::BufferSearch:
        return MakeBufferSearchPrefilter(searchable);
    case PrefilterKind::Automaton:
        return nullptr;
    }
    return nullptr;
}

// Up to these sizes a list is searched faster by the libraries or by the
// sixteen-at-a-time search (whose cost grows with each word) than by the
// automaton, and Hyperscan compiles it in a few milliseconds.
constexpr std::size_t kFewWords = 16;
constexpr std::size_t kFewWordBytes = 1024;

} // namespace

bool PrefilterAvailable(PrefilterKind kind)
{
    return kind != PrefilterKind::Hyperscan || HyperscanUsable();
}

PrefilterKind FastestPrefilter(std::size_t wordCount, std::size_t wordBytes)
{
    if (wordCount > kFewWords || wordBytes > kFewWordBytes)
        return PrefilterKind::Automaton;
    return HyperscanUsable() ? PrefilterKind::Hyperscan : PrefilterKind::BufferSearch;
}

KeywordMatcher::Workspace::Workspace() = default;
KeywordMatcher::Workspace::Workspace(Workspace&&) noexcept = default;
KeywordMatcher::Workspace& KeywordMatcher::Workspace::operator=(Workspace&&) noexcept = default;
KeywordMatcher::Workspace::~Workspace() = default;

KeywordMatcher::KeywordMatcher(TextList words, std::optional<PrefilterKind> prefilter,
                               const std::atomic<bool>* cancel)
    : words_(std::move(words))
{
    // A list of a million empty lines is a list of no word: neither the
    // prefilter nor the test of each line looks at them.
    std::string upper;
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < words_.size(); ++i) {
        const std::string_view word = words_[i];
        if (word.empty())
            continue;
        if (i % 4096 == 0 && Cancelled(cancel))
            throw BuildCancelled();
        upper.assign(word);
        std::transform(upper.begin(), upper.end(), upper.begin(), AsciiUpper);
        upperWords_.push_back(upper);
        upperIndex_.push_back(i);
        bytes += upper.size();
    }
    automaton_ = std::make_unique<WordAutomaton>(upperWords_, cancel);
    kind_ = prefilter.value_or(FastestPrefilter(upperWords_.size(), bytes));
    if (kind_ == PrefilterKind::Automaton)
        return;
    prefilter_ = MakeKeywordPrefilter(upperWords_, kind_);
    if (!prefilter_) {
        kind_ = PrefilterKind::BufferSearch;
        prefilter_ = MakeKeywordPrefilter(upperWords_, kind_);
    }
}

KeywordMatcher::~KeywordMatcher() = default;

int KeywordMatcher::FirstMatch(std::string_view line) const
{
    const std::uint32_t word = automaton_->FirstWord(line);
    return word == WordAutomaton::kNoWord ? -1 : static_cast<int>(upperIndex_[word]);
}

KeywordMatcher::Workspace KeywordMatcher::MakeWorkspace() const
{
    Workspace workspace;
    if (prefilter_)
        workspace.scratch_ = prefilter_->MakeScratch();
    return workspace;
}

bool KeywordMatcher::ForEachMatch(std::string_view text, Workspace& workspace, const LineFound& found,
                                  const std::atomic<bool>* cancel) const
{
    for (std::size_t begin = 0; begin < text.size();) {
        if (Cancelled(cancel))
            return false;
        const std::size_t end = PieceEnd(text, begin);
        const std::string_view piece = text.substr(begin, end - begin);
        workspace.candidates_.clear();
        if (!prefilter_) {
            // The automaton gives the matching lines and their words at once.
            workspace.lineWords_.clear();
            automaton_->MatchingLines(piece, workspace.candidates_, workspace.lineWords_);
            for (std::size_t i = 0; i < workspace.candidates_.size(); ++i) {
                const LineSpan& span = workspace.candidates_[i];
                found(piece.substr(span.begin, span.end - span.begin),
                      static_cast<int>(upperIndex_[workspace.lineWords_[i]]));
            }
        } else {
            prefilter_->CandidateLines(piece, *workspace.scratch_, workspace.candidates_);
            for (const LineSpan& span : workspace.candidates_) {
                // The prefilter saw a word in the raw line; the line's text leaves
                // out its leading blanks, where part of that word may have been.
                const std::string_view line = StripLeadingBlanks(piece.substr(span.begin, span.end - span.begin));
                const int word = FirstMatch(line);
                if (word >= 0)
                    found(line, word);
            }
        }
        begin = end;
    }
    return true;
}

} // namespace kiv
