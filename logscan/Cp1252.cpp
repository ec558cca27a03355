#include "logscan/Cp1252.h"

#include <array>

namespace kiv {
namespace {

// Code points of the bytes 0x80 to 0x9F; the rest of the set is Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

char32_t Cp1252ToUnicode(unsigned char byte) noexcept
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

int UnicodeToCp1252(char32_t codePoint) noexcept
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<int>(codePoint);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == codePoint)
            return static_cast<int>(0x80 + i);
    return -1;
}

std::string Cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes)
        AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

namespace {

// Converts; firstBad is the first character that became "?" (U+FFFD for bytes
// that are not UTF-8), or stays 0.
std::string Convert(std::string_view utf8, char32_t& firstBad)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    const std::size_t n = utf8.size();
    while (i < n) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        char32_t cp = 0;
        std::size_t len = 0;
        if (lead < 0x80) {
            cp = lead;
            len = 1;
        } else if ((lead & 0xE0) == 0xC0) {
            cp = lead & 0x1F;
            len = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = lead & 0x0F;
            len = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            cp = lead & 0x07;
            len = 4;
        }
        bool ok = len != 0 && i + len <= n;
        for (std::size_t k = 1; ok && k < len; ++k) {
            const auto cont = static_cast<unsigned char>(utf8[i + k]);
            if ((cont & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (cont & 0x3F);
        }
        if (!ok) {
            out += '?';
            firstBad = firstBad != 0 ? firstBad : U'\uFFFD';
            ++i;
            continue;
        }
        const int byte = UnicodeToCp1252(cp);
        if (byte < 0 && firstBad == 0)
            firstBad = cp;
        out += byte < 0 ? '?' : static_cast<char>(byte);
        i += len;
    }
    return out;
}

} // namespace

std::string Utf8ToCp1252(std::string_view utf8)
{
    char32_t firstBad = 0;
    return Convert(utf8, firstBad);
}

char32_t FirstCharacterOutsideCp1252(std::string_view utf8)
{
    char32_t firstBad = 0;
    Convert(utf8, firstBad);
    return firstBad;
}

} // namespace kiv
