#include "logscan/detail/BufferSearchPrefilter.h"

#include "common/AsciiCase.h"
#include "logscan/Simd.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace kiv {
namespace {

// How common a byte is in keyword log lines (URLs and French page titles),
// letters taken without case: 0 for the most common, higher for rarer ones;
// bytes not listed (accented letters, controls) count as the rarest.
std::size_t Rarity(char c)
{
    static constexpr std::string_view kMostCommonFirst =
        " E/AS.ITNROLUC:0P1D2M-=HG3_?&F5B4V9867%QXYKWJZ";
    const std::size_t at = kMostCommonFirst.find(AsciiUpper(c));
    return at == std::string_view::npos ? kMostCommonFirst.size() : at;
}

// A word with the two bytes through which the prefilter looks for it: its two
// rarest, so that few places of a text agree with both.
struct AnchoredWord {
    std::string upper; // the word, ASCII upper-cased
    std::size_t first; // offsets of the two anchors in the word, first <= second
    std::size_t second;
    char firstKey; // each anchor as compared: a letter in lower case, any other byte as it is
    char secondKey;
    bool firstIsLetter;
    bool secondIsLetter;
};

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

AnchoredWord Anchor(std::string_view word)
{
    std::size_t first = 0;
    for (std::size_t i = 1; i < word.size(); ++i)
        if (Rarity(word[i]) > Rarity(word[first]))
            first = i;
    std::size_t second = first;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (i != first && (second == first || Rarity(word[i]) > Rarity(word[second])))
            second = i;
    // The block loads reach from the later anchor: keep it second.
    if (second < first)
        std::swap(first, second);
    // Setting bit 5 turns an ASCII letter of either case into lower case, and
    // only the two cases of that letter give that byte.
    const auto key = [](char c) { return IsAsciiLetter(c) ? static_cast<char>(c | 0x20) : c; };
    return AnchoredWord{AsciiUpperCopy(word), first, second, key(word[first]), key(word[second]),
                        IsAsciiLetter(word[first]), IsAsciiLetter(word[second])};
}

constexpr std::size_t kBlock = 16;

// Bit k is set when the text at `at` + k agrees with both anchors of the word.
// Reads `at`[0 .. word.second + kBlock - 1].
inline unsigned AnchorMask(const char* at, const AnchoredWord& word)
{
#ifdef KIV_HAVE_SSE2
    const __m128i caseBit = _mm_set1_epi8(0x20);
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + word.first));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + word.second));
    if (word.firstIsLetter)
        a = _mm_or_si128(a, caseBit);
    if (word.secondIsLetter)
        b = _mm_or_si128(b, caseBit);
    const __m128i both = _mm_and_si128(_mm_cmpeq_epi8(a, _mm_set1_epi8(word.firstKey)),
                                       _mm_cmpeq_epi8(b, _mm_set1_epi8(word.secondKey)));
    return static_cast<unsigned>(_mm_movemask_epi8(both));
#else
    unsigned mask = 0;
    for (std::size_t k = 0; k < kBlock; ++k) {
        char a = at[k + word.first];
        char b = at[k + word.second];
        if (word.firstIsLetter)
            a = static_cast<char>(a | 0x20);
        if (word.secondIsLetter)
            b = static_cast<char>(b | 0x20);
        if (a == word.firstKey && b == word.secondKey)
            mask |= 1u << k;
    }
    return mask;
#endif
}

bool HoldsAt(std::string_view text, std::size_t start, const AnchoredWord& word)
{
    for (std::size_t k = 0; k < word.upper.size(); ++k)
        if (AsciiUpper(text[start + k]) != word.upper[k])
            return false;
    return true;
}

// The portable prefilter: each word in turn is looked for over the whole text,
// sixteen places at a time, by comparing its two anchors; the places where
// both agree are then compared in full.
class BufferSearchPrefilter final : public KeywordPrefilter {
public:
    explicit BufferSearchPrefilter(const TextList& words)
    {
        words_.reserve(words.size());
        for (std::string_view word : words)
            words_.push_back(Anchor(word));
    }

    std::unique_ptr<Scratch> MakeScratch() const override { return std::make_unique<Scratch>(); }

    void CandidateLines(std::string_view text, Scratch&, std::vector<LineSpan>& lines) const override
    {
        const std::size_t first = lines.size();
        for (const AnchoredWord& word : words_)
            Search(text, word, lines);
        // Each word gives its lines in order; several words interleave.
        const auto begin = lines.begin() + static_cast<std::ptrdiff_t>(first);
        std::sort(begin, lines.end(), [](const LineSpan& a, const LineSpan& b) { return a.begin < b.begin; });
        lines.erase(std::unique(begin, lines.end()), lines.end());
    }

private:
    static void Search(std::string_view text, const AnchoredWord& word, std::vector<LineSpan>& lines)
    {
        const std::size_t size = word.upper.size();
        if (text.size() < size)
            return;
        const std::size_t lastStart = text.size() - size;
        // A word holds no break, so a match lies in one line; once that line is
        // taken the rest of it need not be compared.
        std::size_t lineTakenUntil = 0;
        const auto consider = [&](std::size_t start) {
            if (start >= lineTakenUntil && HoldsAt(text, start, word)) {
                const LineSpan line = LineAround(text, start);
                lines.push_back(line);
                lineTakenUntil = line.end;
            }
        };
        std::size_t at = 0;
        for (; at + word.second + kBlock <= text.size(); at += kBlock) {
            for (unsigned mask = AnchorMask(text.data() + at, word); mask != 0; mask &= mask - 1) {
                const std::size_t start = at + static_cast<std::size_t>(std::countr_zero(mask));
                if (start > lastStart)
                    break;
                consider(start);
            }
        }
        for (; at <= lastStart; ++at)
            consider(at);
    }

    std::vector<AnchoredWord> words_;
};

} // namespace

std::unique_ptr<KeywordPrefilter> MakeBufferSearchPrefilter(const TextList& searchableWords)
{
    return std::make_unique<BufferSearchPrefilter>(searchableWords);
}

} // namespace kiv
