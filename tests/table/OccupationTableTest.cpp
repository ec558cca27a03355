#include "logscan/SessionText.h"
#include "table/CellStore.h"
#include "table/OccupationTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kiv {
namespace {

const std::vector<std::string> kTwoDigitHeaders = {"08h25", "09h20", "10h30", "11h25",
                                                   "12h35", "14h00", "15h00", "17h00"};

std::vector<std::string> InitialHeaderRow()
{
    const TextList initial = InitialSlotHeaders();
    return std::vector<std::string>(initial.begin(), initial.end());
}

// A table of as many columns as headers, those headers in its header row.
class TableWithHeaders {
public:
    explicit TableWithHeaders(const std::vector<std::string>& headers)
        : table_(cells_, static_cast<int>(headers.size()))
    {
        TextList list;
        for (const std::string& header : headers)
            list.push_back(header);
        table_.SetColumnHeaders(list);
    }
    OccupationTable& operator*() noexcept { return table_; }
    OccupationTable* operator->() noexcept { return &table_; }

private:
    CellStore cells_;
    OccupationTable table_;
};

std::vector<int> SlotColumns(std::string_view loginTime, const std::vector<std::string>& headers)
{
    return TableWithHeaders(headers)->Columns(loginTime);
}

struct PlacementCase {
    const char* name;
    std::vector<std::string> headers;
    const char* loginTime;
    std::vector<int> columns;
};

// ctest lists a case by its name rather than by its bytes.
void PrintTo(const PlacementCase& c, std::ostream* out)
{
    *out << c.name;
}

class SlotColumnsTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(SlotColumnsTest, ColumnsOfALoginTime)
{
    EXPECT_EQ(SlotColumns(GetParam().loginTime, GetParam().headers), GetParam().columns);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, SlotColumnsTest,
    ::testing::Values(
        PlacementCase{"before_the_first_slot", kTwoDigitHeaders, "07h50", {0}},
        PlacementCase{"at_the_first_header", kTwoDigitHeaders, "08h25", {0}},
        PlacementCase{"just_before_the_second", kTwoDigitHeaders, "09h19", {0}},
        PlacementCase{"at_the_second_header", kTwoDigitHeaders, "09h20", {1}},
        PlacementCase{"inside_the_third_slot", kTwoDigitHeaders, "10h35", {2}},
        PlacementCase{"equal_to_a_header", kTwoDigitHeaders, "11h25", {3}},
        PlacementCase{"inside_the_seventh_slot", kTwoDigitHeaders, "15h10", {6}},
        PlacementCase{"at_the_last_header", kTwoDigitHeaders, "17h00", {7}},
        PlacementCase{"after_the_last_header", kTwoDigitHeaders, "17h30", {7}},
        PlacementCase{"late_evening", kTwoDigitHeaders, "23h59", {7}},
        PlacementCase{"empty_time_orders_first", kTwoDigitHeaders, "", {0}},
        PlacementCase{"one_digit_headers_two_columns", InitialHeaderRow(), "10h35", {0, 2}},
        PlacementCase{"one_digit_headers_morning", InitialHeaderRow(), "08h25", {0}},
        PlacementCase{"one_digit_headers_ten_past_nine", InitialHeaderRow(), "09h10", {0}},
        PlacementCase{"one_digit_headers_afternoon", InitialHeaderRow(), "16h00", {0, 6}},
        PlacementCase{"one_digit_headers_evening", InitialHeaderRow(), "18h00", {0, 7}},
        PlacementCase{"unordered_several_columns",
                      {"08h00", "12h00", "09h00", "13h00", "10h00", "14h00", "11h00", "15h00"}, "12h30",
                      {2, 4, 6}},
        PlacementCase{"unordered_first_and_last_columns",
                      {"08h00", "12h00", "09h00", "13h00", "10h00", "14h00", "11h00", "09h30"}, "10h15",
                      {0, 2, 4, 7}},
        PlacementCase{"accented_byte_orders_after_digits", kTwoDigitHeaders, "\xE9", {7}},
        PlacementCase{"accented_headers",
                      {"a", "b", "z", "\xE9", "\xEA", "\xEB", "\xEC", "\xED"}, "\xE9t", {3}},
        PlacementCase{"header_with_a_line_break",
                      {"08h25\rM1", "09h20\rM2", "10h30", "11h25", "12h35", "14h00", "15h00", "17h00"}, "09h20",
                      {0}},
        PlacementCase{"no_headers", {}, "10h00", {}},
        PlacementCase{"single_column_takes_all", {"10h00"}, "08h00", {0}},
        PlacementCase{"two_columns", {"08h00", "12h00"}, "13h00", {1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SlotTableTest, CellsCollectEntriesInArrivalOrder)
{
    TableWithHeaders table(kTwoDigitHeaders);
    const SessionEntry first{"S514", "PC03", "eleve12", "08h25", "16h10", "E"};
    const SessionEntry second{"S514", "PC04", "eleve13", "08h30", "", "F"};
    const SessionEntry late{"S502", "PC01", "eleve14", "17h30", "18h00", ""};

    EXPECT_EQ(table->Place(first), std::vector<int>{0});
    EXPECT_EQ(table->SessionCell(0), "\rS514PC03 08h25-16h10 eleve12 E");
    table->Place(second);
    table->Place(late);
    EXPECT_EQ(table->SessionCell(0), "\rS514PC03 08h25-16h10 eleve12 E\rS514PC04 08h30- eleve13 F");
    EXPECT_EQ(table->SessionCell(7), SlotEntry(late));
    for (int c = 1; c < 7; ++c)
        EXPECT_EQ(table->SessionCell(c), "") << c;
    EXPECT_EQ(table->SessionCell(8), "");
    EXPECT_EQ(table->SessionCell(-1), "");
    // The session row is row 1 of the cells, under the header row.
    EXPECT_EQ(table->Cells().CellText(0, kSessionRow), table->SessionCell(0));
    EXPECT_EQ(table->Cells().CellText(0, 0), "08h25");

    table->ClearSessions();
    for (int c = 0; c < table->ColCount(); ++c) {
        EXPECT_EQ(table->SessionCell(c), "") << c;
        EXPECT_EQ(table->Header(c), kTwoDigitHeaders[static_cast<std::size_t>(c)]) << c;
    }
    EXPECT_EQ(table->Cells().StoredRowCount(), 1u);
}

TEST(SlotTableTest, EntryGoesToEveryColumnItFallsIn)
{
    TableWithHeaders table(InitialHeaderRow());
    const SessionEntry entry{"S1", "P", "u", "10h35", "", ""};
    EXPECT_EQ(table->Place(entry), (std::vector<int>{0, 2}));
    EXPECT_EQ(table->SessionCell(0), SlotEntry(entry));
    EXPECT_EQ(table->SessionCell(2), SlotEntry(entry));
    EXPECT_EQ(table->SessionCell(1), "");
}

// The column tests read the header cells as they stand: a header edited in
// its cell moves the sessions placed after the edit.
TEST(SlotTableTest, PlacementReadsTheHeaderCellsAsTheyStand)
{
    CellStore cells;
    OccupationTable table(cells);
    table.ColumnHeaders().Assign({"08h00", "09h00", "10h00", "11h00", "12h00", "13h00", "14h00", "15h00"});
    const SessionEntry entry{"S1", "P", "u", "09h30", "", ""};
    EXPECT_EQ(table.Place(entry), std::vector<int>{1});
    cells.SetCellText(2, 0, "09h15");
    EXPECT_EQ(table.Place(entry), std::vector<int>{2});
    EXPECT_EQ(table.SessionCell(1), SlotEntry(entry));
    EXPECT_EQ(table.SessionCell(2), SlotEntry(entry));
}

} // namespace
} // namespace kiv

namespace kiv {
namespace {

// Ascending headers split the day: every login time lands in exactly one
// column. Headers in any order still leave no login out.
TEST(SlotColumnsPropertyTest, AscendingHeadersGiveOneColumnAndNoneIsLost)
{
    const std::vector<std::string> times = {"", "00h00", "07h59", "08h00", "08h01", "09h30", "10h00",
                                            "12h00", "12h01", "15h59", "16h00", "23h59", "\xE9"};
    std::vector<std::string> sorted = {"08h00", "09h00", "10h00", "11h00", "12h00", "13h00", "14h00", "16h00"};
    std::vector<std::string> shuffled = {"12h00", "08h00", "16h00", "09h30", "10h00", "08h01", "14h00", "12h01"};
    for (const std::string& t : times) {
        EXPECT_EQ(SlotColumns(t, sorted).size(), 1u) << t;
        EXPECT_FALSE(SlotColumns(t, shuffled).empty()) << t;
    }
}

} // namespace
} // namespace kiv
