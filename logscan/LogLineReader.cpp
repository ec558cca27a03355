#include "LogLineReader.h"

#include "FileIo.h"
#include "KivError.h"
#include "LogLines.h"

#include <cstring>

#if !defined(KIV_NO_SIMD) && (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2))
#include <emmintrin.h>
#define KIV_READER_SSE2 1
#endif

namespace kiv {
namespace {

// A NUL byte ends the text of a log file; nothing after it is read.
std::string_view CutAtNul(std::string_view bytes) noexcept
{
    if (const void* nul = std::memchr(bytes.data(), '\0', bytes.size()))
        return bytes.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data()));
    return bytes;
}

// Where a file's indentation was refused: the start of the refused line, its
// count of leading blanks and its text without them.
struct Refusal {
    bool refused = false;
    std::size_t lineStart = 0;
    long long level = 0;
    std::string_view item;
};

// Walks the lines of text with the depth check, handing each accepted line
// (without its leading blanks) to onLine. The first line has depth 0 whatever
// its blanks; a later line may be at most one step deeper than the one before.
template <class OnLine>
Refusal WalkLines(std::string_view text, OnLine&& onLine)
{
    BreakFinder breaks(text);
    const std::size_t n = text.size();
    std::size_t start = 0;
    std::size_t previousDepth = 0;
    bool first = true;
    while (start < n) {
        const std::size_t end = breaks.Next(start);
        std::size_t body = start;
        while (body < end && IsLineBlank(text[body]))
            ++body;
        const std::size_t blanks = body - start;
        const std::string_view item = text.substr(body, end - body);
        if (first) {
            previousDepth = 0;
            first = false;
        } else {
            if (blanks > previousDepth + 1)
                return Refusal{true, start, static_cast<long long>(blanks), item};
            previousDepth = blanks;
        }
        onLine(item);
        if (end == n)
            break;
        start = AfterBreak(text, end);
    }
    return Refusal{};
}

// True when a line after the first starts with a tab or a space, that is when
// a CR or LF is directly followed by one (after CR LF the byte after CR is the
// LF, so a break pair never counts). Log files normally have no such line: then
// every depth is 0 and the file is accepted without walking its lines.
bool AnyLaterLineIndented(std::string_view text) noexcept
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
#ifdef KIV_READER_SSE2
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    for (; i + 16 < n; i += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
        const __m128i isBreak = _mm_or_si128(_mm_cmpeq_epi8(here, cr), _mm_cmpeq_epi8(here, lf));
        const __m128i isBlank = _mm_or_si128(_mm_cmpeq_epi8(next, space), _mm_cmpeq_epi8(next, tab));
        if (_mm_movemask_epi8(_mm_and_si128(isBreak, isBlank)) != 0)
            return true;
    }
#endif
    for (; i + 1 < n; ++i)
        if (IsLineBreak(static_cast<char>(p[i])) && IsLineBlank(static_cast<char>(p[i + 1])))
            return true;
    return false;
}

} // namespace

bool LogLineReader::Load(const std::filesystem::path& path)
{
    lastReadOpened_ = ReadFileBytes(path, spare_);
    if (!lastReadOpened_)
        return false;
    std::swap(file_, spare_);
    fromFile_ = true;
    return true;
}

void LogLineReader::Take(std::string& bytes)
{
    buffer_.swap(bytes);
    fromFile_ = false;
    lastReadOpened_ = true;
}

std::string_view LogLineReader::Bytes() const noexcept
{
    return fromFile_ ? file_.View() : std::string_view(buffer_);
}

void LogLineReader::Read(const std::filesystem::path& path, std::string_view shownPath)
{
    if (!Load(path))
        throw KivError(CannotOpenMessage(shownPath));
    Split();
}

void LogLineReader::ReadBytes(std::string bytes)
{
    Take(bytes);
    Split();
}

void LogLineReader::ReadContent(const std::filesystem::path& path, std::string_view shownPath)
{
    if (!Load(path))
        throw KivError(CannotOpenMessage(shownPath));
    Check();
}

void LogLineReader::ReadContentBytes(std::string bytes)
{
    Take(bytes);
    Check();
}

std::string_view LogLineReader::Text(std::size_t index) const
{
    if (index >= lines_.size())
        throw KivError(BadIndexMessage());
    return lines_[index];
}

void LogLineReader::Split()
{
    lines_.clear();
    const std::string_view text = CutAtNul(Bytes());
    const Refusal refusal = WalkLines(text, [this](std::string_view line) { lines_.push_back(line); });
    content_ = refusal.refused ? text.substr(0, refusal.lineStart) : text;
    if (refusal.refused)
        throw KivError(BadLevelMessage(refusal.level, refusal.item));
}

void LogLineReader::Check()
{
    lines_.clear();
    const std::string_view text = CutAtNul(Bytes());
    Refusal refusal;
    if (AnyLaterLineIndented(text))
        refusal = WalkLines(text, [](std::string_view) {});
    content_ = refusal.refused ? text.substr(0, refusal.lineStart) : text;
    if (refusal.refused)
        throw KivError(BadLevelMessage(refusal.level, refusal.item));
}

} // namespace kiv
