#include "logscan/SlotRule.h"

#include <algorithm>
#include <cstring>

namespace kiv {

TextList InitialSlotHeaders()
{
    return {"8h25", "9h20", "10h30", "11h25", "12h35", "14h00", "15h00", "17h00"};
}

std::string ExpandHeaderBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\r';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string HeaderOnOneLine(std::string_view header)
{
    std::string shown;
    for (char c : header) {
        if (c == '\r')
            shown += "\\n";
        else
            shown += c;
    }
    return shown;
}

bool OrdinalLess(std::string_view a, std::string_view b) noexcept
{
    const std::size_t common = std::min(a.size(), b.size());
    const int c = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
    return c != 0 ? c < 0 : a.size() < b.size();
}

std::vector<int> SlotColumns(std::string_view loginTime, const std::vector<std::string>& headerRow)
{
    return SlotColumns(loginTime, kSlotColumnCount, [&headerRow](int column) -> std::string_view {
        const auto at = static_cast<std::size_t>(column);
        return at < headerRow.size() ? std::string_view(headerRow[at]) : std::string_view();
    });
}

} // namespace kiv
