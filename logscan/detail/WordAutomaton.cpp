#include "logscan/detail/WordAutomaton.h"

#include "common/AsciiCase.h"

#include <algorithm>
#include <cstring>

namespace kiv {
namespace {

bool CanOccurInALine(std::string_view word) noexcept
{
    return !word.empty() && word.find_first_of("\r\n") == std::string_view::npos;
}

// How often the build looks at its cancel flag: every this many states, a
// few milliseconds of work.
constexpr std::uint32_t kCancelCheckEvery = 1u << 14;

// Orders a state's words by their next byte: counted into place when there
// are many, sorted when few.
template <class ByteAt>
void SortByNextByte(std::vector<std::uint32_t>::iterator first, std::vector<std::uint32_t>::iterator last,
                    const ByteAt& byteAt, std::vector<std::uint32_t>& scratch)
{
    const auto count = static_cast<std::size_t>(last - first);
    if (count <= 64) {
        std::sort(first, last, [&](std::uint32_t a, std::uint32_t b) { return byteAt(a) < byteAt(b); });
        return;
    }
    std::array<std::uint32_t, 257> start{};
    for (auto it = first; it != last; ++it)
        ++start[byteAt(*it) + 1u];
    for (std::size_t b = 1; b < start.size(); ++b)
        start[b] += start[b - 1];
    scratch.resize(count);
    for (auto it = first; it != last; ++it)
        scratch[start[byteAt(*it)]++] = *it;
    std::copy(scratch.begin(), scratch.end(), first);
}

} // namespace

// The fallback of the child of state (not the root) by byte: the longest
// suffix of its path that is a state, found from the state's own fallback.
// Every state it visits is shallower than the child, so its children exist
// already.
std::uint32_t WordAutomaton::ChildFallback(std::uint32_t state, unsigned char byte) const noexcept
{
    for (std::uint32_t f = fallback_[state];; f = fallback_[f]) {
        const std::uint32_t child = f == 0 ? fromRoot_[byte] : Child(f, byte);
        if (child != 0)
            return child;
        if (f == 0)
            return 0;
    }
}

// The trie is built breadth first, the way a most-significant-byte radix sort
// proceeds: each state stands for the words that share its path, and these are
// ordered by their next byte to give its children. Each byte of each word is
// looked at a bounded number of times, so the build costs the list's length,
// however long the runs that the words share (a list sorted by comparing whole
// words would pay for those runs at every comparison).
WordAutomaton::WordAutomaton(const TextList& upperWords, const std::atomic<bool>* cancel)
{
    std::vector<std::uint32_t> order;
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < upperWords.size(); ++i) {
        if (CanOccurInALine(upperWords[i])) {
            order.push_back(static_cast<std::uint32_t>(i));
            bytes += upperWords[i].size();
        }
    }
    // No more states than bytes, plus the root: reserved once, so that the
    // memory is never twice what the list needs.
    label_.reserve(bytes + 1);
    firstChild_.reserve(bytes + 2);
    fallback_.reserve(bytes + 1);
    firstWord_.reserve(bytes + 1);
    // The words of each state not yet expanded: order[rangeBegin, rangeEnd).
    std::vector<std::uint32_t> rangeBegin{0};
    std::vector<std::uint32_t> rangeEnd{static_cast<std::uint32_t>(order.size())};
    rangeBegin.reserve(bytes + 1);
    rangeEnd.reserve(bytes + 1);
    label_.push_back(0);
    fallback_.push_back(0);
    firstWord_.push_back(kNoWord);

    std::vector<std::uint32_t> sorted;
    std::size_t depth = 0;
    std::uint32_t levelEnd = 1; // the states of the current depth end here
    for (std::uint32_t state = 0; state < label_.size(); ++state) {
        if (state == levelEnd) {
            ++depth;
            levelEnd = static_cast<std::uint32_t>(label_.size());
        }
        if (state % kCancelCheckEvery == 0 && cancel != nullptr && cancel->load(std::memory_order_relaxed))
            throw BuildCancelled();
        const auto first = order.begin() + rangeBegin[state];
        const auto last = order.begin() + rangeEnd[state];
        // The words that end here come first; the smallest number among them
        // and those of the fallback is this state's word.
        const auto longer = std::partition(first, last, [&](std::uint32_t w) { return upperWords[w].size() == depth; });
        std::uint32_t word = firstWord_[fallback_[state]];
        for (auto it = first; it != longer; ++it)
            word = std::min(word, *it);
        firstWord_[state] = word;

        const auto byteAt = [&](std::uint32_t w) { return static_cast<unsigned char>(upperWords[w][depth]); };
        SortByNextByte(longer, last, byteAt, sorted);

        firstChild_.push_back(static_cast<std::uint32_t>(label_.size()));
        for (auto groupBegin = longer; groupBegin != last;) {
            const unsigned char byte = byteAt(*groupBegin);
            auto groupEnd = groupBegin;
            while (groupEnd != last && byteAt(*groupEnd) == byte)
                ++groupEnd;
            const std::uint32_t fallback = state == 0 ? 0 : ChildFallback(state, byte);
            const auto child = static_cast<std::uint32_t>(label_.size());
            if (state == 0)
                fromRoot_[byte] = child;
            label_.push_back(byte);
            fallback_.push_back(fallback);
            firstWord_.push_back(kNoWord);
            rangeBegin.push_back(static_cast<std::uint32_t>(groupBegin - order.begin()));
            rangeEnd.push_back(static_cast<std::uint32_t>(groupEnd - order.begin()));
            groupBegin = groupEnd;
        }
    }
    firstChild_.push_back(static_cast<std::uint32_t>(label_.size()));
    BuildRows();
}

// At most this many rows: a few megabytes whatever the list, the first states
// in breadth-first order, through which a text passes most often.
constexpr std::uint32_t kMaxRows = 8192;

void WordAutomaton::BuildRows()
{
    // One column per byte that some word holds, and one for all the others.
    std::array<bool, 256> used{};
    for (std::size_t state = 1; state < label_.size(); ++state) // the root has no byte
        used[label_[state]] = true;
    columns_ = 1;
    for (unsigned byte = 0; byte < 256; ++byte)
        if (used[byte])
            column_[byte] = columns_++;
    for (unsigned c = 'a'; c <= 'z'; ++c)
        column_[c] = column_[c - ('a' - 'A')];
    std::array<unsigned char, 256> byteOfColumn{};
    for (unsigned byte = 256; byte-- > 0;)
        byteOfColumn[column_[byte]] = static_cast<unsigned char>(AsciiUpper(static_cast<char>(byte)));
    // A column's byte stands for all of that column's bytes: a byte that no
    // word holds leads nowhere from any state.
    rowStates_ = std::min<std::uint32_t>(static_cast<std::uint32_t>(label_.size()), kMaxRows);
    rows_.assign(std::size_t{rowStates_} * columns_, 0);
    for (std::uint32_t state = 0; state < rowStates_; ++state) {
        for (std::uint32_t column = 1; column < columns_; ++column) {
            const unsigned char byte = byteOfColumn[column];
            std::uint32_t next = state == 0 ? fromRoot_[byte] : Child(state, byte);
            // The fallback is shallower, so its row is already complete.
            if (next == 0 && state != 0)
                next = rows_[std::size_t{fallback_[state]} * columns_ + column];
            rows_[std::size_t{state} * columns_ + column] = next;
        }
    }
    for (unsigned byte = 0; byte < 256; ++byte)
        stopAtRoot_[byte] = IsLineBreak(static_cast<char>(byte)) || rows_[column_[byte]] != 0;
}

std::uint32_t WordAutomaton::Child(std::uint32_t state, unsigned char upper) const noexcept
{
    const std::uint32_t begin = firstChild_[state];
    const std::uint32_t end = firstChild_[state + 1];
    if (begin == end)
        return 0;
    const void* at = std::memchr(label_.data() + begin, upper, end - begin);
    return at ? static_cast<std::uint32_t>(static_cast<const unsigned char*>(at) - label_.data()) : 0;
}

inline std::uint32_t WordAutomaton::Next(std::uint32_t state, unsigned char byte) const noexcept
{
    const auto upper = static_cast<unsigned char>(AsciiUpper(static_cast<char>(byte)));
    while (state >= rowStates_) {
        if (const std::uint32_t child = Child(state, upper))
            return child;
        state = fallback_[state];
    }
    return rows_[std::size_t{state} * columns_ + column_[byte]];
}

std::uint32_t WordAutomaton::FirstWord(std::string_view line) const noexcept
{
    std::uint32_t state = 0;
    std::uint32_t word = kNoWord;
    for (const char c : line) {
        state = Next(state, static_cast<unsigned char>(c));
        word = std::min(word, firstWord_[state]);
    }
    return word;
}

void WordAutomaton::MatchingLines(std::string_view text, std::vector<LineSpan>& lines,
                                  std::vector<std::uint32_t>& words) const
{
    if (Empty())
        return;
    const std::size_t n = text.size();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t i = 0;
    while (i < n) {
        while (i < n && IsLineBlank(static_cast<char>(bytes[i])))
            ++i;
        const std::size_t body = i;
        std::uint32_t state = 0;
        std::uint32_t word = kNoWord;
        for (; i < n; ++i) {
            if (state == 0) {
                while (i < n && !stopAtRoot_[bytes[i]])
                    ++i;
                if (i == n)
                    break;
            }
            const unsigned char c = bytes[i];
            if (c == '\r' || c == '\n')
                break;
            state = Next(state, c);
            word = std::min(word, firstWord_[state]);
        }
        if (word != kNoWord) {
            lines.push_back(LineSpan{body, i});
            words.push_back(word);
        }
        if (i < n)
            i = AfterBreak(text, i);
    }
}

} // namespace kiv
