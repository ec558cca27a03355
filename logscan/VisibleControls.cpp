#include "logscan/VisibleControls.h"

namespace kiv {
namespace {

// ^@ to ^_ for the C0 controls, ^? for DEL.
void AppendCaret(unsigned char control, std::string& out)
{
    out += '^';
    out += control == 0x7F ? '?' : static_cast<char>(control + 0x40);
}

bool IsUndefinedInCp1252(unsigned char c) noexcept
{
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

} // namespace

std::string VisibleControls(std::string_view text, Encoding encoding, bool keepLineEnds)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool lineEnd = c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
        if (c == '\t' || (keepLineEnds && lineEnd)) {
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            AppendCaret(c, out);
        } else if (encoding == Encoding::Utf8 && c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 && static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += "M-";
            AppendCaret(static_cast<unsigned char>(text[++i]) - 0x80, out);
        } else if (encoding == Encoding::Cp1252 && IsUndefinedInCp1252(c)) {
            out += "M-";
            AppendCaret(static_cast<unsigned char>(c - 0x80), out);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

} // namespace kiv
