#include "jobs/SubjectReport.h"

#include "jobs/KeywordSearchJob.h"
#include "jobs/PupilSessions.h"
#include "jobs/OccupationJob.h"
#include "jobs/PeriodJob.h"
#include "logscan/ResultFields.h"
#include "logscan/SessionText.h"
#include "logscan/SlotRule.h"
#include "logscan/TextList.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kiv {
namespace {

const std::filesystem::path kExamples = KIV_EXAMPLES_DIR;

struct Seen {
    std::vector<ReportDay> days;
    std::vector<std::string> errors;
    SubjectReportResult result;
};

Seen Report(const std::filesystem::path& logs, ReportSubject subject, std::string name, LogDate first, LogDate last,
            TextList words, const std::atomic<bool>* cancel = nullptr, std::atomic<bool>* cancelAfterDay = nullptr)
{
    Seen seen;
    SubjectReportEvents events;
    events.onDay = [&](ReportDay&& day) {
        seen.days.push_back(std::move(day));
        if (cancelAfterDay)
            cancelAfterDay->store(true);
    };
    events.onError = [&](const std::string& message) { seen.errors.push_back(message); };
    SubjectReportRequest request{logs, subject, std::move(name), first, last, std::move(words),
                                 std::vector<std::string>(InitialSlotHeaders().begin(), InitialSlotHeaders().end())};
    seen.result = RunSubjectReport(request, events, cancel ? cancel : cancelAfterDay);
    return seen;
}

// What the staff did by hand: the day's keyword search kept to the results
// whose field names the subject, and the day's room table kept to its sessions.
struct ByHand {
    std::vector<std::string> sessions; // SessionLine, sorted
    std::vector<std::string> results;  // rewritten lines, sorted
};

ByHand DayByHand(LogDate date, ReportSubject subject, const std::string& name, const TextList& words)
{
    ByHand hand;
    OccupationEvents sessions;
    sessions.onSessions = [&](std::vector<SessionEntry>&& batch) {
        for (const SessionEntry& s : batch)
            if (SameSubjectName(subject == ReportSubject::Pupil ? s.User : s.Station, name))
                hand.sessions.push_back(SessionLine(s));
    };
    RunOccupationJob({kExamples / "logs", date, std::string(kAllRooms)}, sessions);
    KeywordSearchEvents results;
    results.onResults = [&](std::vector<KeywordSearchResult>&& batch) {
        for (const KeywordSearchResult& r : batch)
            if (SameSubjectName(subject == ReportSubject::Pupil ? PupilField(r.line) : ComputerField(r.line), name))
                hand.results.push_back(r.line);
    };
    RunKeywordSearch({kExamples / "logs", date, SearchScope::Jour, words}, results);
    std::sort(hand.sessions.begin(), hand.sessions.end());
    std::sort(hand.results.begin(), hand.results.end());
    return hand;
}

TEST(SubjectReportTest, TheExampleWeekReadsAsTheKeywordSearchAndTheDayTablesKeptToOneSubject)
{
    const TextList words = LoadTextListFile(kExamples / "kiv.ini", "kiv.ini");
    struct Case {
        ReportSubject subject;
        std::string name;
    };
    // eleve12, eleve11 and eleve10 share their logs' lines with eleve120 to eleve129 and
    // more: a logout of eleve123 closes a session of eleve12, as on the room tab.
    for (const Case& c : {Case{ReportSubject::Pupil, "eleve107"}, Case{ReportSubject::Pupil, "ELEVE33"},
                          Case{ReportSubject::Pupil, "eleve12"}, Case{ReportSubject::Pupil, "eleve11"}, Case{ReportSubject::Pupil, "Eleve10"},
                          Case{ReportSubject::Computer, "PC02"}, Case{ReportSubject::Computer, "poste24"}}) {
        SCOPED_TRACE(c.name);
        const Seen seen = Report(kExamples / "logs", c.subject, c.name, {2026, 12, 1}, {2026, 12, 5}, words);
        EXPECT_TRUE(seen.errors.empty());
        EXPECT_TRUE(seen.result.outcome.allRead);
        EXPECT_EQ(seen.result.dayCount, 5u);
        ReportTally total;
        std::size_t day = 0, nonEmptyDays = 0;
        for (int d = 1; d <= 5; ++d) {
            const ByHand hand = DayByHand({2026, 12, d}, c.subject, c.name, words);
            if (hand.sessions.empty() && hand.results.empty())
                continue;
            ++nonEmptyDays;
            ASSERT_LT(day, seen.days.size());
            const ReportDay& got = seen.days[day++];
            EXPECT_EQ(got.date.day, d);
            ByHand report;
            for (const ReportEntry& e : got.entries) {
                if (e.kind == ReportEntry::Kind::Session)
                    report.sessions.push_back(SessionLine(e.session));
                else
                    report.results.push_back(e.result.line);
            }
            EXPECT_TRUE(std::is_sorted(got.entries.begin(), got.entries.end(),
                                       [](const ReportEntry& a, const ReportEntry& b) { return a.time < b.time; }));
            std::sort(report.sessions.begin(), report.sessions.end());
            std::sort(report.results.begin(), report.results.end());
            EXPECT_EQ(report.sessions, hand.sessions);
            EXPECT_EQ(report.results, hand.results);
            EXPECT_EQ(got.tally.sessions, hand.sessions.size());
            EXPECT_EQ(got.tally.Results(), hand.results.size());
            total.Add(got.tally);
        }
        EXPECT_EQ(seen.days.size(), nonEmptyDays);
        EXPECT_GT(nonEmptyDays, 0u);
        EXPECT_EQ(seen.result.total.sessions, total.sessions);
        EXPECT_EQ(seen.result.total.connectedMinutes, total.connectedMinutes);
        EXPECT_EQ(seen.result.total.byWord, total.byWord);
    }
}

// One day where eleve12 logs in twice and types watched words, beside
// eleve121 and eleve123, whose names hold eleve12.
class SubjectReportDayTest : public ::testing::Test {
protected:
    SubjectReportDayTest()
    {
        tree_.File("connexr050206.log",
                   "S514-PC03:eleve12:050206:082533:login:B:C:D:E\r\n"
                   "S514-PC04:eleve121:050206:082600:login:B:C:D:E\r\n"
                   "S514-PC03:eleve12:050206:091047:logout:B:C:D:E\r\n"
                   "S502-PC03:ELEVE12:050206:140000:login:B:C:D:E\r\n"
                   "S502-PC03:ELEVE12:050206:150500:logout:B:C:D:E\r\n");
        tree_.File("web050206.txt", "POSTE03:eleve12:050206:0830:page sexe\r\n"
                                    "POSTE04:eleve121:050206:0831:page sexe\r\n"
                                    "POSTE03:eleve12:050206:0800:sexy avant\r\n"
                                    "POSTE05:eleve12:050206:1410:cours de maths\r\n"
                                    "POSTE03:eleve123:050206:1500:sexe\r\n");
    }
    test::TempTree tree_;
};

TEST_F(SubjectReportDayTest, ThePupilIsAWholeFieldAndTheDayIsInTimeOrder)
{
    const Seen seen = Report(tree_.Root(), ReportSubject::Pupil, "eleve12", {2006, 2, 5}, {2006, 2, 5}, {"sexe", "sexy"});
    ASSERT_EQ(seen.days.size(), 1u);
    std::vector<std::string> order;
    for (const ReportEntry& e : seen.days[0].entries) {
        std::string line = e.time;
        line.append(" ");
        if (e.kind == ReportEntry::Kind::Session)
            line.append(e.session.Station).append(" ").append(e.session.User);
        else
            line.append(e.result.line, 0, 15);
        order.push_back(line);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"0800 POSTE03:eleve12", "0825 PC03 eleve12", "0830 POSTE03:eleve12",
                                               "1400 PC03 ELEVE12"}));
    const ReportEntry& word = seen.days[0].entries[2];
    EXPECT_EQ(word.result.line.substr(word.result.boldStart, word.result.boldLength), "sexe");
    EXPECT_EQ(seen.days[0].entries[1].columns, std::vector<int>{0}); // "08h25" < "9h20"
    EXPECT_EQ(seen.days[0].tally.sessions, 2u);
    EXPECT_EQ(seen.days[0].tally.connectedMinutes, 45u + 65u);
    EXPECT_EQ(seen.days[0].tally.byWord, (std::vector<std::uint64_t>{1, 1}));
}

TEST_F(SubjectReportDayTest, AComputerIsItsStationOrItsRoomAndStation)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
        {"pc03", {"0825 eleve12", "1400 ELEVE12"}},
        {"S502-PC03", {"1400 ELEVE12"}},
        {"POSTE03", {"0800 eleve12", "0830 eleve12", "1500 eleve123"}},
    };
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        const Seen seen = Report(tree_.Root(), ReportSubject::Computer, name, {2006, 2, 5}, {2006, 2, 5}, {"sexe", "sexy"});
        ASSERT_EQ(seen.days.size(), 1u);
        std::vector<std::string> got;
        for (const ReportEntry& e : seen.days[0].entries)
            got.push_back(e.time + " " + (e.kind == ReportEntry::Kind::Session ? e.session.User : PupilField(e.result.line)));
        EXPECT_EQ(got, expected);
    }
}

TEST(SubjectReportPeriodTest, AnUnreadableLogIsReportedInDayOrderAndTheOtherDaysStay)
{
    test::TempTree tree;
    for (const char* day : {"010306", "020306", "030306"})
        tree.File(std::string("web") + day + ".txt", std::string("PC1:eleve12:") + day + ":1000:sexe\r\n");
    // A line indented two steps: the reader refuses the rest of the log.
    tree.File("connexr020306.log", "S514-PC01:eleve12:020306:090000:login:B:C:D:E\r\n  x\r\n");
    tree.File("aweb030306.txt", "a\r\n   b\r\n");
    const Seen seen = Report(tree.Root(), ReportSubject::Pupil, "eleve12", {2006, 3, 1}, {2006, 3, 3}, {"sexe"});
    ASSERT_EQ(seen.days.size(), 3u);
    ASSERT_EQ(seen.errors.size(), 2u);
    EXPECT_EQ(seen.errors[0].rfind("Niveau incorrect (2)", 0), 0u) << seen.errors[0]; // the 2nd's connection log
    EXPECT_EQ(seen.errors[1].rfind("Niveau incorrect (3)", 0), 0u) << seen.errors[1]; // the 3rd's keyword log
    EXPECT_FALSE(seen.result.outcome.allRead);
    EXPECT_EQ(seen.result.total.Results(), 3u);
    EXPECT_EQ(seen.result.total.sessions, 1u); // the login before the refused line
}

TEST(SubjectReportPeriodTest, ACancelStopsTheDaysAndALongPeriodOrAMissingFolderIsOneError)
{
    test::TempTree tree;
    for (const char* day : {"010306", "020306", "030306"})
        tree.File(std::string("web") + day + ".txt", std::string("PC1:eleve12:") + day + ":1000:sexe\r\n");
    std::atomic<bool> cancel{false};
    const Seen cut = Report(tree.Root(), ReportSubject::Pupil, "eleve12", {2006, 3, 1}, {2006, 3, 3}, {"sexe"}, nullptr, &cancel);
    EXPECT_EQ(cut.days.size(), 1u);
    EXPECT_TRUE(cut.result.outcome.cancelled);
    EXPECT_FALSE(cut.result.outcome.allRead);

    const Seen tooLong = Report(tree.Root(), ReportSubject::Pupil, "eleve12", {1926, 3, 1}, {2026, 3, 1}, {"sexe"});
    EXPECT_EQ(tooLong.errors, std::vector<std::string>{PeriodTooLongMessage({1926, 3, 1})});
    EXPECT_TRUE(tooLong.days.empty());

    const Seen missing = Report(tree.Root() / "absent", ReportSubject::Pupil, "eleve12", {2006, 3, 1}, {2006, 3, 3}, {"sexe"});
    ASSERT_EQ(missing.errors.size(), 1u);
    EXPECT_EQ(missing.errors[0].rfind("Impossible d'ouvrir le dossier", 0), 0u);
}

TEST(SubjectReportTimeTest, ThePupilsLinesAreCutAtEveryKindOfLineBreakWithoutTheirBlanks)
{
    EXPECT_EQ(LinesNaming("a eleve12\r\n\t  B ELEVE12 x\rc\nd\n\neleve12", "Eleve12"), "a eleve12\nB ELEVE12 x\neleve12\n");
    EXPECT_EQ(LinesNaming("eleve12 eleve12\r\n", "eleve12"), "eleve12 eleve12\n"); // once a line
    EXPECT_EQ(LinesNaming("x\n", ""), "");
}

TEST(SubjectReportTimeTest, TimesAreReadFromTheRewrittenLineAndTheHourForm)
{
    EXPECT_EQ(RewrittenLineTime("POSTE12:eleve07: le 15/03/06: \xE0 14 h 32 min :page"), "1432");
    EXPECT_EQ(RewrittenLineTime("POSTE12:eleve07: le 15/03/06: \xE0 14 h :3 min 2:x"), "");
    EXPECT_EQ(RewrittenLineTime("jeu le // \xE0  m h in "), "");
    EXPECT_EQ(SessionTime("08h25"), "0825");
    EXPECT_EQ(SessionTime("08h251"), "0825");
    EXPECT_EQ(SessionTime("0825"), "");
    EXPECT_EQ(SessionTime(""), "");
}

} // namespace
} // namespace kiv
