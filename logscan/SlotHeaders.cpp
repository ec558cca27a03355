#include "SlotHeaders.h"

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

void CopyHeadersInto(std::vector<std::string>& headerRow, const TextList& list)
{
    for (std::size_t i = 0; i < list.size() && i < headerRow.size(); ++i)
        headerRow[i] = ExpandHeaderBreaks(list[i]);
}

} // namespace kiv
