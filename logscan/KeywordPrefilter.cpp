#include "KeywordPrefilter.h"

#include "AsciiCase.h"
#include "HyperscanPrefilter.h"

#include <algorithm>
#include <functional>

namespace kiv {
namespace {

// The portable prefilter: the text is upper-cased once into the thread's
// copy, then each word is searched over the whole copy with Boyer-Moore-Horspool.
class BufferSearchPrefilter final : public KeywordPrefilter {
public:
    explicit BufferSearchPrefilter(const TextList& words)
    {
        upperWords_.reserve(words.size());
        for (const std::string& word : words)
            upperWords_.push_back(AsciiUpperCopy(word));
        searchers_.reserve(upperWords_.size());
        for (const std::string& word : upperWords_)
            searchers_.emplace_back(word.begin(), word.end());
    }

    std::unique_ptr<Scratch> MakeScratch() const override { return std::make_unique<UpperCopy>(); }

    void CandidateLines(std::string_view text, Scratch& scratch, std::vector<LineSpan>& lines) const override
    {
        std::string& upper = static_cast<UpperCopy&>(scratch).text;
        upper.resize(text.size());
        std::transform(text.begin(), text.end(), upper.begin(), AsciiUpper);

        const std::size_t first = lines.size();
        for (const Searcher& searcher : searchers_) {
            auto from = upper.cbegin();
            for (;;) {
                const auto found = std::search(from, upper.cend(), searcher);
                if (found == upper.cend())
                    break;
                // A word holds no break, so the whole match lies in this line:
                // the rest of the line need not be searched for it.
                const LineSpan line = LineAround(upper, static_cast<std::size_t>(found - upper.cbegin()));
                lines.push_back(line);
                from = upper.cbegin() + static_cast<std::ptrdiff_t>(line.end);
            }
        }
        // Each word's lines come in order; several words interleave.
        const auto begin = lines.begin() + static_cast<std::ptrdiff_t>(first);
        std::sort(begin, lines.end(), [](const LineSpan& a, const LineSpan& b) { return a.begin < b.begin; });
        lines.erase(std::unique(begin, lines.end()), lines.end());
    }

private:
    using Searcher = std::boyer_moore_horspool_searcher<std::string::const_iterator>;

    struct UpperCopy final : Scratch {
        std::string text;
    };

    TextList upperWords_; // the searchers point into these
    std::vector<Searcher> searchers_;
};

TextList SearchableWords(const TextList& words)
{
    TextList searchable;
    for (const std::string& word : words)
        if (IsSearchableWord(word))
            searchable.push_back(word);
    return searchable;
}

} // namespace

bool IsSearchableWord(std::string_view word) noexcept
{
    return !word.empty() && word.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool PrefilterAvailable(PrefilterKind kind)
{
    return kind == PrefilterKind::BufferSearch || HyperscanUsable();
}

PrefilterKind FastestPrefilter()
{
    return HyperscanUsable() ? PrefilterKind::Hyperscan : PrefilterKind::BufferSearch;
}

std::unique_ptr<KeywordPrefilter> MakeKeywordPrefilter(const TextList& words, PrefilterKind kind)
{
    const TextList searchable = SearchableWords(words);
    switch (kind) {
    case PrefilterKind::Hyperscan:
        return MakeHyperscanPrefilter(searchable);
    case PrefilterKind::BufferSearch:
        return std::make_unique<BufferSearchPrefilter>(searchable);
    }
    return nullptr;
}

} // namespace kiv
