#include "jobs/PeriodSummary.h"

#include "jobs/CsvText.h"

#include <string_view>

namespace kiv {
namespace {

template <class Counts>
std::vector<std::string> CountsRow(std::string_view label, const Counts& counts, std::uint64_t total)
{
    std::vector<std::string> row{std::string(label)};
    for (std::uint64_t count : counts)
        row.push_back(std::to_string(count));
    row.push_back(std::to_string(total));
    return row;
}

} // namespace

std::vector<std::vector<std::string>> PeriodSummaryRows(const PeriodUse& use)
{
    std::vector<std::vector<std::string>> rows(1, {"salle"});
    for (const std::string& header : use.headers)
        rows[0].push_back(HeaderOnOneLine(header));
    rows[0].push_back("total");
    for (const RoomUse& room : use.rooms)
        rows.push_back(CountsRow(room.room, room.bySlot, room.Total()));
    rows.push_back(CountsRow(kAllRooms, use.SlotTotals(), use.Total()));
    return rows;
}

std::string PeriodSummaryCsv(const PeriodUse& use)
{
    std::string csv;
    for (const std::vector<std::string>& row : PeriodSummaryRows(use))
        csv += CsvRow(std::vector<std::string_view>(row.begin(), row.end()));
    return csv;
}

} // namespace kiv
