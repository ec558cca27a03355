#include "qtext/QtCp1252.h"

#include "logscan/Cp1252.h"

#include <QList>

#include <array>

namespace kiv {

QString FromCp1252(std::string_view bytes)
{
    static const std::array<char16_t, 256> decode = [] {
        std::array<char16_t, 256> table{};
        for (int byte = 0; byte < 256; ++byte)
            table[static_cast<std::size_t>(byte)] = static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(byte)));
        return table;
    }();
    // Written in place from a table: a room or a line of many megabytes is
    // converted without a call or a check of room per character.
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes)
        *out++ = QChar(decode[static_cast<unsigned char>(c)]);
    return text;
}

std::string ToCp1252(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    // toUcs4 joins surrogate pairs, so a character outside the first plane
    // becomes one "?", not two.
    for (const char32_t codePoint : text.toUcs4()) {
        const int byte = UnicodeToCp1252(codePoint);
        bytes += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return bytes;
}

} // namespace kiv
