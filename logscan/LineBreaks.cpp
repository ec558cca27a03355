#include "logscan/LineBreaks.h"

#include <algorithm>

namespace kiv {

std::size_t CountLineBreaks(std::string_view text) noexcept
{
    const char* const bytes = text.data();
    const std::size_t n = text.size();
    std::size_t count = 0;
    std::size_t i = 0;
#ifdef KIV_HAVE_SSE2
    // Each byte that ends a line (an LF, or a CR not followed by one) adds one
    // to its lane; the lanes are summed before any can pass 255.
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    while (i + 17 <= n) {
        __m128i lanes = zero;
        for (int k = 0; k < 255 && i + 17 <= n; ++k, i += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + 1));
            const __m128i isCr = _mm_cmpeq_epi8(block, cr);
            const __m128i crLf = _mm_and_si128(isCr, _mm_cmpeq_epi8(next, lf));
            lanes = _mm_sub_epi8(lanes, _mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_andnot_si128(crLf, isCr)));
        }
        const __m128i sums = _mm_sad_epu8(lanes, zero);
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                 static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
#endif
    for (; i < n; ++i)
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == n || bytes[i + 1] != '\n')))
            ++count;
    return count;
}

bool AnyLaterLineIndented(std::string_view text) noexcept
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
#ifdef KIV_HAVE_SSE2
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

std::size_t CountCellBreaks(std::string_view text) noexcept
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r'));
}

} // namespace kiv
