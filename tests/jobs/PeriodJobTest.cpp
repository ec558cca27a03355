#include "jobs/PeriodJob.h"

#include "jobs/OccupationJob.h"
#include "jobs/PeriodSummary.h"
#include "table/CellStore.h"
#include "table/OccupationTable.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

namespace kiv {
namespace {

const std::filesystem::path kExamples = KIV_EXAMPLES_DIR;

using Counts = std::array<std::uint64_t, kSlotColumnCount>;

std::vector<std::string> HeaderRow(const TextList& slots)
{
    CellStore cells;
    OccupationTable table(cells);
    table.ColumnHeaders().Assign(InitialSlotHeaders());
    table.ColumnHeaders().Assign(slots);
    std::vector<std::string> row;
    for (int c = 0; c < kSlotColumnCount; ++c)
        row.push_back(table.Header(c));
    return row;
}

// What the room tab shows, day after day: each day's sessions placed into a
// table of their room, and the entries of each slot cell counted.
std::map<std::string, Counts> SumOfDayTables(const std::filesystem::path& logs, const std::vector<LogDate>& days,
                                             const std::string& room, const std::vector<std::string>& headerRow)
{
    std::map<std::string, Counts> sum;
    for (const LogDate& day : days) {
        std::map<std::string, std::pair<std::unique_ptr<CellStore>, std::unique_ptr<OccupationTable>>> tables;
        OccupationEvents events;
        events.onSessions = [&](std::vector<SessionEntry>&& batch) {
            for (const SessionEntry& session : batch) {
                auto& [cells, table] = tables[session.Room];
                if (!table) {
                    cells = std::make_unique<CellStore>();
                    table = std::make_unique<OccupationTable>(*cells);
                    for (int c = 0; c < kSlotColumnCount; ++c)
                        cells->SetCellText(c, 0, headerRow[static_cast<std::size_t>(c)]);
                }
                table->Place(session);
            }
        };
        RunOccupationJob({logs, day, room}, events);
        for (const auto& [name, table] : tables)
            for (int c = 0; c < kSlotColumnCount; ++c) {
                const std::string& cell = table.second->SessionCell(c);
                sum[name][static_cast<std::size_t>(c)] += static_cast<std::uint64_t>(std::count(cell.begin(), cell.end(), '\r'));
            }
    }
    return sum;
}

std::map<std::string, Counts> ByRoom(const PeriodUse& use)
{
    std::map<std::string, Counts> rooms;
    for (const RoomUse& room : use.rooms)
        rooms[room.room] = room.bySlot;
    return rooms;
}

// The example week (1 to 5 December 2026) with a day before and after that
// have no log; with the slots of the examples, and with the initial one-digit
// slots, under which "10h35" falls in two columns and some logins in none.
TEST(PeriodJob, ThePeriodIsTheSumOfTheDayTablesForEveryRoomFilter)
{
    test::TempTree tree;
    std::filesystem::copy(kExamples / "logs", tree.Root());
    // A log of the middle day that cannot be read: said once, the rest counted.
    std::filesystem::create_directory(tree.Root() / "badr031226.log");
    const TextList rooms = LoadTextListFile(kExamples / "kiv_salles.txt", "kiv_salles.txt");
    std::vector<LogDate> week;
    for (int day = 0; day <= 6; ++day)
        week.push_back(day == 0 ? LogDate{2026, 11, 30} : LogDate{2026, 12, day});

    std::vector<std::string> filters(rooms.begin(), rooms.end());
    filters.insert(filters.end(), {"Toutes", "toutes", "s5", ""});
    const std::vector<std::vector<std::string>> headerRows{
        HeaderRow(LoadTextListFile(kExamples / "kiv_heures.txt", "kiv_heures.txt")), HeaderRow(InitialSlotHeaders())};
    for (const auto& headerRow : headerRows)
        for (const std::string& room : filters) {
            SCOPED_TRACE("room \"" + room + "\", first slot " + headerRow[0]);
            std::vector<std::size_t> progress;
            PeriodEvents events;
            events.onProgress = [&](std::size_t done, std::size_t count) {
                EXPECT_EQ(count, week.size());
                progress.push_back(done);
            };
            std::vector<std::string> errors;
            events.onError = [&](const std::string& message) { errors.push_back(message); };
            const PeriodResult result =
                RunPeriodJob({tree.Root(), week.front(), week.back(), room, headerRow, rooms}, events);

            const auto expected = SumOfDayTables(tree.Root(), week, room, headerRow);
            EXPECT_EQ(ByRoom(result.use), expected);
            EXPECT_EQ(progress, (std::vector<std::size_t>{1, 2, 3, 4, 5, 6, 7}));
            EXPECT_EQ(errors, std::vector<std::string>{"Impossible d'ouvrir le fichier "
                                                        + (tree.Root() / "badr031226.log").string()});
            EXPECT_EQ(result.outcome.errors, errors);
            EXPECT_FALSE(result.outcome.allRead);
            EXPECT_EQ(result.outcome.filesFound, 6u);
            // Every listed room that had a session, in the list's order.
            std::vector<std::string> order;
            for (const RoomUse& use : result.use.rooms)
                order.push_back(use.room);
            std::vector<std::string> listed; // the rooms of the list that had a session
            for (std::string_view r : rooms)
                if (expected.count(std::string(r)) != 0)
                    listed.emplace_back(r);
            EXPECT_EQ(order, listed);
        }
}

TEST(PeriodJob, RoomsOutsideTheListFollowInByteOrderAndTheSummaryQuotesAsCsv)
{
    test::TempTree tree;
    tree.File("connexr011226.log", "s514-PC01:eleve1:011226:083000:login:B:C:D:E\r\n"
                                   "A100-PC01:eleve2:011226:093000:login:B:C:D:E\r\n"
                                   "S;1-PC01:eleve3:011226:093000:login:B:C:D:E\r\n"
                                   "S514-PC01:eleve4:011226:170000:login:B:C:D:E\r\n");
    tree.File("connexr021226.log", "S514-PC02:eleve5:021226:080000:login:B:C:D:E\r\n");
    const std::vector<std::string> headers{"08h25", "09h20", "10h30\rM1", "11h25", "12h35", "14h00", "15\"h", "17h00"};
    const PeriodResult result =
        RunPeriodJob({tree.Root(), {2026, 12, 1}, {2026, 12, 2}, "Toutes", headers, {"SCDI", "S514"}}, {});
    EXPECT_TRUE(result.outcome.allRead);
    EXPECT_EQ(PeriodSummaryCsv(result.use), "salle;08h25;09h20;10h30\\nM1;11h25;12h35;14h00;\"15\"\"h\";17h00;total\r\n"
                                            "S514;1;0;0;0;0;0;0;1;2\r\n"
                                            "A100;0;1;0;0;0;0;0;0;1\r\n"
                                            "\"S;1\";0;1;0;0;0;0;0;0;1\r\n"
                                            "s514;1;0;0;0;0;0;0;0;1\r\n"
                                            "Toutes;2;2;0;0;0;0;0;1;5\r\n");
}

// A line is a login when its word stands at index 15 or later: short fields
// put it at 14 (room A), 15 (room B) and 16 (room C). The count agrees with
// the sessions that the room tab lists.
TEST(PeriodJob, ALoginCountsFromTheFirstIndexTheSessionListAccepts)
{
    test::TempTree tree;
    tree.File("connexr011226.log", "A-:u:1:083000:login:B:C:D:E\r\n"
                                   "B-P:u:1:083000:login:B:C:D:E\r\n"
                                   "C-PC:u:1:083000:login:B:C:D:E\r\n");
    const std::vector<std::string> headers = HeaderRow(InitialSlotHeaders());
    const PeriodResult result =
        RunPeriodJob({tree.Root(), {2026, 12, 1}, {2026, 12, 1}, "Toutes", headers, {}}, {});
    const auto rooms = ByRoom(result.use);
    EXPECT_EQ(rooms, SumOfDayTables(tree.Root(), {{2026, 12, 1}}, "Toutes", headers));
    EXPECT_EQ(rooms.count("A"), 0u);
    ASSERT_EQ(rooms.count("B"), 1u);
    EXPECT_EQ(rooms.at("B")[0], 1u);
    ASSERT_EQ(rooms.count("C"), 1u);
    EXPECT_EQ(rooms.at("C")[0], 1u);
}

TEST(PeriodJob, AnEmptyPeriodOrAMissingFolderCountsNothing)
{
    test::TempTree tree;
    const std::vector<std::string> headers = HeaderRow(InitialSlotHeaders());
    struct Case {
        const char* name;
        std::filesystem::path logs;
        LogDate first, last;
        std::vector<std::string> errors;
    };
    const std::vector<Case> cases{
        {"last day before the first", tree.Root(), {2026, 12, 5}, {2026, 12, 4}, {}},
        {"no log in the period", tree.Root(), {2026, 1, 1}, {2026, 12, 31}, {}},
        {"folder missing, said once", tree.Root() / "absent", {2026, 12, 1}, {2026, 12, 31},
         {"Impossible d'ouvrir le dossier " + (tree.Root() / "absent").string()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PeriodResult result = RunPeriodJob({c.logs, c.first, c.last, "Toutes", headers, {}}, {});
        EXPECT_TRUE(result.use.rooms.empty());
        EXPECT_EQ(result.outcome.errors, c.errors);
        EXPECT_EQ(result.outcome.allRead, c.errors.empty());
        EXPECT_EQ(PeriodSummaryCsv(result.use), "salle;8h25;9h20;10h30;11h25;12h35;14h00;15h00;17h00;total\r\n"
                                                "Toutes;0;0;0;0;0;0;0;0;0\r\n");
    }
}

// A log's name has a two-digit year: a period reaches at most the day before
// its first date a hundred years on, so that no log counts twice. Beyond it
// the job refuses, whoever asks.
TEST(PeriodJob, APeriodOfACenturyOrMoreIsRefusedAndNoLogCountsTwice)
{
    test::TempTree tree;
    std::filesystem::copy(kExamples / "logs", tree.Root());
    const std::vector<std::string> headers = HeaderRow(InitialSlotHeaders());
    const auto count = [&](LogDate first, LogDate last) {
        return RunPeriodJob({tree.Root(), first, last, "Toutes", headers, {}}, {});
    };
    const std::uint64_t week = count({2026, 12, 1}, {2026, 12, 7}).use.Total();
    ASSERT_GT(week, 0u);

    const PeriodResult century = count({1926, 12, 1}, {2026, 11, 30});
    EXPECT_EQ(century.use.Total(), week);
    EXPECT_TRUE(century.outcome.errors.empty());

    struct TooLong {
        const char* name;
        LogDate first, last;
        const char* error;
    };
    for (const TooLong& c : std::vector<TooLong>{
             {"a century and a week", {1926, 12, 1}, {2026, 12, 7},
              "Une p\xE9riode ne peut pas d\xE9passer cent ans moins un jour : du 01/12/1926, au plus jusqu'au 30/11/2026"},
             {"four centuries", {1800, 1, 1}, {2199, 12, 31},
              "Une p\xE9riode ne peut pas d\xE9passer cent ans moins un jour : du 01/01/1800, au plus jusqu'au 31/12/1899"},
             {"every date there is", {1, 1, 1}, {9999, 12, 31},
              "Une p\xE9riode ne peut pas d\xE9passer cent ans moins un jour : du 01/01/0001, au plus jusqu'au 31/12/0100"},
         }) {
        SCOPED_TRACE(c.name);
        const PeriodResult refused = count(c.first, c.last);
        EXPECT_EQ(refused.use.Total(), 0u);
        EXPECT_EQ(refused.outcome.errors, std::vector<std::string>{c.error});
        EXPECT_FALSE(refused.outcome.allRead);
        EXPECT_LE(PeriodDays(c.first, c.last).size(), 36525u);
    }

    // The bounds, a 29 February included: its date a hundred years on may not exist.
    struct Bound {
        LogDate from, lastDay;
    };
    for (const Bound& b : std::vector<Bound>{{{1926, 12, 1}, {2026, 11, 30}},
                                             {{2000, 2, 29}, {2100, 2, 28}},
                                             {{1999, 3, 1}, {2099, 2, 28}},
                                             {{1904, 2, 29}, {2004, 2, 28}}}) {
        const LogDate last = LastDayOfPeriodFrom(b.from);
        EXPECT_EQ(std::tuple(last.year, last.month, last.day), std::tuple(b.lastDay.year, b.lastDay.month, b.lastDay.day));
        EXPECT_TRUE(PeriodWithinLimit(b.from, last));
        const LogDate earliest = FirstDayOfPeriodTo(last);
        EXPECT_TRUE(PeriodWithinLimit(earliest, last));
        EXPECT_EQ(PeriodDays(earliest, last).size(), PeriodDays(b.from, last).size())
            << earliest.year << "-" << earliest.month << "-" << earliest.day;
    }
}

TEST(PeriodJob, NothingIsReportedOnceCancelled)
{
    test::TempTree tree;
    for (int day = 1; day <= 28; ++day)
        tree.File("connexr" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "0226.log",
                  "S514-PC03:eleve12:050226:082533:login:B:C:D:E\r\n");
    std::atomic<bool> cancel{false};
    std::size_t reports = 0;
    PeriodEvents events;
    events.onProgress = [&](std::size_t, std::size_t) {
        ++reports;
        cancel = true;
    };
    const PeriodResult result = RunPeriodJob(
        {tree.Root(), {2026, 2, 1}, {2026, 2, 28}, "Toutes", HeaderRow(InitialSlotHeaders()), {}}, events, &cancel);
    EXPECT_EQ(reports, 1u);
    EXPECT_TRUE(result.outcome.cancelled);
    EXPECT_FALSE(result.outcome.allRead);
}

} // namespace
} // namespace kiv
