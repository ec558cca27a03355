#include "qtext/QtCp1252.h"

#include "logscan/Cp1252.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace kiv {
namespace {

// Both directions for the first 256 code points, made once from logscan's
// table; a code point above them is one of the few that Windows-1252 puts
// at 0x80 to 0x9F, looked up there.
struct Tables {
    std::array<char16_t, 256> decode{};
    std::array<std::int16_t, 256> encode{};

    Tables()
    {
        encode.fill(-1);
        for (int byte = 0; byte < 256; ++byte) {
            const char32_t codePoint = Cp1252ToUnicode(static_cast<unsigned char>(byte));
            decode[static_cast<std::size_t>(byte)] = static_cast<char16_t>(codePoint);
            if (codePoint < 256)
                encode[codePoint] = static_cast<std::int16_t>(byte);
        }
    }
};

const Tables& Table()
{
    static const Tables tables;
    return tables;
}

// The byte of a character from the table, fetched once per text by the
// callers: a line of results is encoded without a call per character.
int ByteOf(const Tables& tables, QChar c) noexcept
{
    const char16_t unit = c.unicode();
    return unit < 256 ? tables.encode[unit] : UnicodeToCp1252(unit);
}

} // namespace

QChar Cp1252Char(char byte) noexcept
{
    return QChar(Table().decode[static_cast<unsigned char>(byte)]);
}

void DecodeCp1252(std::string_view bytes, QChar* out) noexcept
{
    const std::array<char16_t, 256>& decode = Table().decode;
    for (const char c : bytes)
        *out++ = QChar(decode[static_cast<unsigned char>(c)]);
}

QString FromCp1252(std::string_view bytes)
{
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    DecodeCp1252(bytes, text.data());
    return text;
}

int Cp1252Byte(QChar c) noexcept
{
    return ByteOf(Table(), c);
}

bool FitsCp1252(QStringView text) noexcept
{
    const Tables& tables = Table();
    return std::all_of(text.begin(), text.end(), [&tables](QChar c) { return ByteOf(tables, c) >= 0; });
}

void EncodeCp1252(QStringView text, char* out) noexcept
{
    const Tables& tables = Table();
    for (const QChar c : text)
        *out++ = static_cast<char>(ByteOf(tables, c));
}

void AppendCp1252(QStringView text, std::string& out)
{
    const Tables& tables = Table();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int byte = ByteOf(tables, text[i]);
        out += byte < 0 ? '?' : static_cast<char>(byte);
        // A character beyond the first plane is one "?", not one a unit.
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
}

std::string ToCp1252(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    AppendCp1252(text, bytes);
    return bytes;
}

} // namespace kiv
