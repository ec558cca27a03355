#include "PeriodSummary.h"

#include "CsvText.h"

#include <string_view>

namespace kiv {
namespace {

template <class Counts>
std::string CountsRow(std::string_view label, const Counts& counts, std::uint64_t total)
{
    std::vector<std::string> numbers;
    for (std::uint64_t count : counts)
        numbers.push_back(std::to_string(count));
    numbers.push_back(std::to_string(total));
    std::vector<std::string_view> fields{label};
    fields.insert(fields.end(), numbers.begin(), numbers.end());
    return CsvRow(fields);
}

} // namespace

std::string PeriodSummaryCsv(const PeriodUse& use)
{
    std::vector<std::string> headers;
    for (const std::string& header : use.headers)
        headers.push_back(HeaderOnOneLine(header));
    std::vector<std::string_view> fields{"salle"};
    fields.insert(fields.end(), headers.begin(), headers.end());
    fields.push_back("total");

    std::string csv = CsvRow(fields);
    for (const RoomUse& room : use.rooms)
        csv += CountsRow(room.room, room.slots, room.Total());
    csv += CountsRow(kAllRooms, use.SlotTotals(), use.Total());
    return csv;
}

} // namespace kiv
