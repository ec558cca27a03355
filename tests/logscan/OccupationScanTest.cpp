#include "logscan/KivError.h"
#include "logscan/OccupationScan.h"
#include "logscan/SessionParser.h"
#include "logscan/SessionText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace kiv {
namespace {

std::string Lines(std::initializer_list<std::string_view> lines)
{
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> SessionLinesOf(const std::string& content, std::string_view room, bool pairLogouts = true)
{
    LogLineReader reader;
    reader.ReadBytes(content);
    std::vector<std::string> out;
    ExtractSessions(
        reader, room, [&](const SessionEntry& entry) { out.push_back(SessionLine(entry)); }, nullptr, {}, pairLogouts);
    return out;
}

const char* const kLogin = "S514-PC03:eleve12:061226:082533:login:B:C:D:E";
const char* const kLogout = "S514-PC03:eleve12:061226:161047:logout:B:C:D:E";

TEST(ExtractSessionsTest, SessionsOfOneFile)
{
    const struct {
        const char* name;
        std::string content;
        const char* room;
        std::vector<std::string> expected;
    } cases[] = {
        {"worked_example", Lines({kLogin, kLogout}), "S514", {"S514  PC03  08h25 - 16h10     eleve12    E"}},
        {"no_logout", Lines({kLogin}), "S514", {"S514  PC03  08h25 -      eleve12    E"}},
        {"logout_before_login_not_used", Lines({kLogout, kLogin}), "S514",
         {"S514  PC03  08h25 -      eleve12    E"}},
        {"two_logins_one_logout", Lines({kLogin, "S514-PC07:eleve12:061226:100000:login:B:C:D:F", kLogout}), "S514",
         {"S514  PC03  08h25 - 16h10     eleve12    E", "S514  PC07  10h00 - 16h10     eleve12    F"}},
        {"longer_name_closes_the_session", Lines({kLogin, "S502-PC01:eleve123:061226:093000:logout:B"}), "S514",
         {"S514  PC03  08h25 - 09h30     eleve12    E"}},
        {"first_logout_wins", Lines({kLogin, "S514-PC03:eleve12:061226:120000:logout", kLogout}), "S514",
         {"S514  PC03  08h25 - 12h00     eleve12    E"}},
        {"user_at_index_4_does_not_close",
         Lines({kLogin, "S51-eleve12:x:061226:120000:logout", "S514-eleve12:x:061226:130000:logout"}), "S514",
         {"S514  PC03  08h25 - 13h00     eleve12    E"}},
        {"logout_word_too_early", Lines({kLogin, "S5-logout:eleve12:061226:120000:x"}), "S514",
         {"S514  PC03  08h25 -      eleve12    E"}},
        {"login_word_at_index_14_skipped", Lines({"S514-PC03:e:xxlogin:B"}), "Toutes", {}},
        {"login_word_at_index_15_taken", Lines({"S514-PC03:e:xxxlogin:B"}), "Toutes",
         {"S514  PC03   -      e    "}},
        {"room_prefix", Lines({kLogin, "S502-PC01:eleve13:061226:090000:login:B:C:D:x", "S612-PC01:eleve14:061226:090000:login:B:C:D:y"}),
         "s5", {"S514  PC03  08h25 -      eleve12    E", "S502  PC01  09h00 -      eleve13    x"}},
        {"every_room", Lines({kLogin, "S612-PC01:eleve14:061226:090000:login:B:C:D:y"}), "Toutes",
         {"S514  PC03  08h25 -      eleve12    E", "S612  PC01  09h00 -      eleve14    y"}},
        {"toutes_in_lower_case_is_a_room", Lines({kLogin, "TOUTES-PC01:u:061226:090000:login:B:C:D:y"}), "toutes",
         {"TOUTES  PC01  09h00 -      u    y"}},
        {"empty_room", Lines({kLogin, kLogout}), "", {}},
        {"logout_of_another_room_closes", Lines({kLogin, "S612-PC09:eleve12:061226:110000:logout"}), "S514",
         {"S514  PC03  08h25 - 11h00     eleve12    E"}},
        {"line_without_hyphen", Lines({"S514PC03:eleve12:061226:082533:login:B"}), "S514",
         {"S514PC03:eleve12:061226:082533:login:  " "  " " - " "     " "    "}},
        {"login_line_ending_inside_its_time", Lines({"S514-PC03:eleve12login:061226:082533"}), "Toutes",
         {"S514  PC03  08h25 -      eleve12login    "}},
        {"leading_blanks_removed", Lines({"\t S514-PC03:eleve12:061226:082533:login:B:C:D:E", kLogout}), "S514",
         {"S514  PC03  08h25 - 16h10     eleve12    E"}},
        {"line_holding_both_words", Lines({kLogin, "S514-PC04:eleve12:061226:120000:logout-login:B:C:D:F"}), "S514",
         {"S514  PC03  08h25 - 12h00     eleve12    E", "S514  PC04  12h00 -      eleve12    F"}},
        {"empty_file", "", "Toutes", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SessionLinesOf(c.content, c.room), c.expected) << c.name;
}

// Random days of connection logs, read through the reader, against the scan as
// it reads in words: each line of the room that is a login line, searched
// forward line by line for its logout.
TEST(ExtractSessionsTest, AgreesWithALineByLineScanOnRandomDays)
{
    std::mt19937 rng(20061226);
    const auto pick = [&rng](std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(rng);
    };
    const char* const rooms[] = {"S514", "S502", "s514", "CDI", "S5"};
    const char* const users[] = {"eleve1", "eleve12", "eleve123", "leve1", "S514", "", "e", "PC0"};
    const char* const roomFilters[] = {"Toutes", "S5", "s514", "CDI", "toutes"};
    for (int day = 0; day < 200; ++day) {
        std::vector<std::string> lines(pick(60));
        for (std::string& line : lines) {
            const char* const words[] = {"login", "logout", "logout-login", "login-logout"};
            const std::string word = words[pick(std::size(words))];
            line = std::string(rooms[pick(std::size(rooms))]) + (pick(8) ? "-" : "") + "PC0" + std::to_string(pick(4))
                   + ":" + users[pick(std::size(users))] + ":061226:" + std::to_string(70000 + pick(100000))
                   + (pick(6) ? ":" : "") + word + ":B:C:D:" + (pick(3) ? "tail" : "");
            if (pick(10) == 0)
                line.resize(pick(line.size() + 1));
        }
        std::string content;
        for (const std::string& line : lines)
            content += line + "\n";
        const std::string room = roomFilters[pick(std::size(roomFilters))];

        std::vector<std::string> expected;
        std::vector<std::string> unpaired; // the same sessions when only counted: no logout looked for
        for (std::size_t n = 0; n < lines.size(); ++n) {
            if (!PassesRoomFilter(lines[n], room) || !IsLoginLine(lines[n]))
                continue;
            SessionEntry entry = ParseLoginLine(lines[n]);
            unpaired.push_back(SessionLine(entry));
            for (std::size_t m = n + 1; m < lines.size(); ++m)
                if (IsLogoutLineOf(lines[m], entry.User)) {
                    entry.LogoutTime = LogoutTimeOf(lines[m]);
                    break;
                }
            expected.push_back(SessionLine(entry));
        }
        ASSERT_EQ(SessionLinesOf(content, room), expected) << "day " << day << ", room " << room;
        ASSERT_EQ(SessionLinesOf(content, room, false), unpaired) << "day " << day << ", room " << room;
    }
}

// Every field of a session, so that two lists can be compared field by field.
std::string FieldsOf(const SessionEntry& entry)
{
    return entry.Room + '|' + entry.Station + '|' + entry.User + '|' + entry.LoginTime + '|' + entry.LogoutTime + '|'
           + entry.Tail;
}

std::vector<std::string> SessionsOf(const LogLineReader& reader, std::string_view room, const ScanThreads& threads)
{
    std::vector<std::string> out;
    ExtractSessions(reader, room, [&](const SessionEntry& entry) { out.push_back(FieldsOf(entry)); }, nullptr, threads);
    return out;
}

// The reader's lines searched forward from each login line.
std::vector<std::string> ForwardSearch(const LogLineReader& reader, std::string_view room)
{
    std::vector<std::string> out;
    for (std::size_t n = 0; n < reader.Count(); ++n) {
        if (!PassesRoomFilter(reader[n], room) || !IsLoginLine(reader[n]))
            continue;
        SessionEntry entry = ParseLoginLine(reader[n]);
        for (std::size_t m = n + 1; m < reader.Count(); ++m)
            if (IsLogoutLineOf(reader[m], entry.User)) {
                entry.LogoutTime = LogoutTimeOf(reader[m]);
                break;
            }
        out.push_back(FieldsOf(entry));
    }
    return out;
}

// A small file scanned by several threads, as a busy day is.
ScanThreads Threads(unsigned count)
{
    return ScanThreads{count, 0};
}

// Random files whose chunks may be cut anywhere: mixed line breaks, blank
// lines, indented lines, lines with both words, and users that are parts of
// each other. Two to five threads must give what one gives, and both what the
// line-by-line search gives.
TEST(ExtractSessionsTest, ThreadsGiveTheSessionsOfOneThread)
{
    std::mt19937 rng(1226);
    const auto pick = [&rng](std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(rng);
    };
    const char* const users[] = {"e1", "e12", "e123", "12", "PC1", ""};
    const char* const words[] = {"login", "logout", "logout-login", "lock"};
    const char* const breaks[] = {"\r\n", "\n", "\r", "\r\n\r\n", "\n\r"};
    const char* const rooms[] = {"Toutes", "S5", "s514", ""};
    for (int day = 0; day < 300; ++day) {
        std::string content;
        const std::size_t lineCount = pick(80);
        for (std::size_t n = 0; n < lineCount; ++n) {
            if (n != 0)
                content += breaks[pick(std::size(breaks))];
            if (pick(10) == 0)
                content += pick(2) ? " " : "\t"; // indented one step at most: accepted
            std::string line = std::string(pick(4) ? "S514" : "S612") + "-PC" + std::to_string(pick(3)) + ":"
                               + users[pick(std::size(users))] + ":061226:" + std::to_string(80000 + pick(90000))
                               + std::string(pick(3) ? 0 : pick(6), '7') // longer time fields too
                               + ":" + words[pick(std::size(words))] + ":B:C:D:" + (pick(2) ? "T" : "");
            if (pick(12) == 0)
                line.resize(pick(line.size() + 1));
            content += line;
        }
        if (pick(2))
            content += "\r\n";
        LogLineReader reader;
        reader.ReadBytes(content);
        const std::string room = rooms[pick(std::size(rooms))];
        const std::vector<std::string> alone = SessionsOf(reader, room, ScanThreads{1, 0});
        ASSERT_EQ(alone, ForwardSearch(reader, room)) << "day " << day;
        for (unsigned count = 2; count <= 5; ++count)
            ASSERT_EQ(SessionsOf(reader, room, Threads(count)), alone) << "day " << day << ", threads " << count;
    }
}

// Enough sessions for many batches: they still come in line order, and
// logouts found several chunks further on still close their sessions.
TEST(ExtractSessionsTest, ThreadsKeepTheOrderOfManySessions)
{
    std::mt19937 rng(2006);
    std::string content;
    for (int n = 0; n < 12000; ++n) {
        const int user = static_cast<int>(rng() % 300);
        const bool login = rng() % 2 == 0;
        content += "S5" + std::to_string(user % 10) + "-PC" + std::to_string(n % 30) + ":eleve" + std::to_string(user)
                   + ":061226:" + std::to_string(100000 + n) + (login ? ":login:" : ":logout:") + "x:y:z:T"
                   + std::to_string(n) + "\r\n";
    }
    // Logins whose only logout is the file's last line.
    content += "S514-PC01:late:061226:120000:login:x:y:z:L\r\n";
    for (int n = 0; n < 3000; ++n)
        content += "S514-PC01:filler:061226:120000:lock:x:y:z:F\r\n";
    content += "S514-PC01:late:061226:235959:logout:x:y:z:L\r\n";
    LogLineReader reader;
    reader.ReadBytes(content);
    const std::vector<std::string> expected = ForwardSearch(reader, "Toutes");
    ASSERT_GT(expected.size(), 5000u);
    EXPECT_EQ(expected.back(), "S514|PC01|late|12h00|23h59|L");
    EXPECT_EQ(SessionsOf(reader, "Toutes", ScanThreads{1, 0}), expected);
    for (unsigned count : {2u, 3u, 4u})
        EXPECT_EQ(SessionsOf(reader, "Toutes", Threads(count)), expected) << count << " threads";
    EXPECT_EQ(SessionsOf(reader, "S53", Threads(2)), ForwardSearch(reader, "S53"));
}

// A failure while a session is handed on ends the scan with that failure, and
// cancelling stops the sessions, whatever the threads were doing.
TEST(ExtractSessionsTest, ThreadedScanStopsOnFailureAndOnCancel)
{
    std::string content;
    for (int n = 0; n < 8000; ++n)
        content += "S514-PC01:eleve" + std::to_string(n % 50) + ":061226:080000:" + (n % 3 ? "login" : "logout")
                   + ":x:y:z:T\n";
    LogLineReader reader;
    reader.ReadBytes(content);
    for (unsigned count : {1u, 2u, 4u}) {
        std::size_t seen = 0;
        const auto failing = [&](const SessionEntry&) {
            if (++seen == 1500)
                throw std::runtime_error("disque plein");
        };
        EXPECT_THROW(ExtractSessions(reader, "Toutes", failing, nullptr, Threads(count)), std::runtime_error);
        EXPECT_EQ(seen, 1500u);

        std::atomic<bool> cancel{false};
        std::size_t delivered = 0;
        ExtractSessions(
            reader, "Toutes",
            [&](const SessionEntry&) {
                ++delivered;
                cancel = true;
            },
            &cancel, Threads(count));
        // The flag is looked at every few thousand sessions, not after each.
        EXPECT_GE(delivered, 1u);
        EXPECT_LE(delivered, 4096u) << count << " threads";
    }
}

class TempFolder {
public:
    TempFolder()
    {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path()
                / ("kiv_occupation_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_"
                   + std::to_string(counter++) + "_" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string Write(const std::string& name, const std::string& content) const
    {
        const std::filesystem::path file = path_ / name;
        std::ofstream(file, std::ios::binary) << content;
        return file.string();
    }
    std::string Missing(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

struct ScanRecord {
    std::vector<std::string> sessions;
    std::vector<std::string> errors;
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    bool everyFileRead = false;
};

ScanRecord Scan(const std::vector<std::string>& files, std::string_view room, std::atomic<bool>* cancel = nullptr,
                std::size_t cancelAfterFiles = 0)
{
    ScanRecord record;
    OccupationScanEvents events;
    events.onSession = [&](const SessionEntry& entry) { record.sessions.push_back(SessionLine(entry)); };
    events.onError = [&](const std::string& message) { record.errors.push_back(message); };
    events.onProgress = [&](std::size_t done, std::size_t total) {
        record.progress.emplace_back(done, total);
        if (cancel != nullptr && done == cancelAfterFiles)
            *cancel = true;
    };
    record.everyFileRead = RunOccupationScan(files, room, events, cancel);
    return record;
}

TEST(RunOccupationScanTest, FilesInOrderAndSessionsInLineOrder)
{
    TempFolder folder;
    const std::vector<std::string> files = {
        folder.Write("Ar261206.txt", Lines({kLogin, "S514-PC04:eleve13:061226:090000:login:B:C:D:F", kLogout})),
        folder.Write("Br261206.txt", Lines({"S514-PC05:eleve14:061226:100000:login:B:C:D:G",
                                            // a logout in another file never closes a session
                                            "S514-PC05:eleve13:061226:110000:logout"})),
    };
    const ScanRecord record = Scan(files, "S514");
    EXPECT_TRUE(record.everyFileRead);
    EXPECT_TRUE(record.errors.empty());
    EXPECT_EQ(record.sessions, (std::vector<std::string>{
                                   "S514  PC03  08h25 - 16h10     eleve12    E",
                                   "S514  PC04  09h00 -      eleve13    F",
                                   "S514  PC05  10h00 -      eleve14    G",
                               }));
    EXPECT_EQ(record.progress, (std::vector<std::pair<std::size_t, std::size_t>>{{1, 2}, {2, 2}}));
}

// A NUL byte in a connection log does not end the day: the sessions after it
// are read.
TEST(RunOccupationScanTest, SessionsAfterANulByteAreRead)
{
    TempFolder folder;
    const std::vector<std::string> files = {folder.Write(
        "Ar261206.txt", Lines({std::string("junk\0junk", 9), kLogin, "S514-PC04:eleve13:061226:090000:login:B:C:D:F"}))};
    const ScanRecord record = Scan(files, "S514");
    EXPECT_TRUE(record.everyFileRead);
    EXPECT_EQ(record.sessions, (std::vector<std::string>{
                                   "S514  PC03  08h25 -      eleve12    E",
                                   "S514  PC04  09h00 -      eleve13    F",
                               }));
}

TEST(RunOccupationScanTest, UnreadableFilesAreSkippedAndReported)
{
    TempFolder folder;
    const std::vector<std::string> files = {
        folder.Missing("Ar261206.txt"),
        folder.Write("Br261206.txt", Lines({kLogin, "  S514-PC04:eleve13:061226:090000:login:B:C:D:F", kLogout})),
        folder.Write("Cr261206.txt", Lines({"S514-PC05:eleve14:061226:100000:login:B:C:D:G"})),
    };
    const ScanRecord record = Scan(files, "Toutes");
    EXPECT_FALSE(record.everyFileRead);
    ASSERT_EQ(record.errors.size(), 2u);
    EXPECT_EQ(record.errors[0], CannotOpenMessage(files[0]));
    EXPECT_EQ(record.errors[1], BadLevelMessage(2, "S514-PC04:eleve13:061226:090000:login:B:C:D:F"));
    // The lines before the refused one are still scanned, without the logout after it.
    EXPECT_EQ(record.sessions, (std::vector<std::string>{
                                   "S514  PC03  08h25 -      eleve12    E",
                                   "S514  PC05  10h00 -      eleve14    G",
                               }));
    EXPECT_EQ(record.progress.size(), 3u);
}

TEST(RunOccupationScanTest, ThreadsReadFilesAsOneThreadDoes)
{
    TempFolder folder;
    std::string busy;
    for (int n = 0; n < 3000; ++n)
        busy += "S514-PC03:eleve" + std::to_string(n % 40) + ":061226:" + std::to_string(80000 + n) + ":"
                + (n % 4 ? "login" : "logout") + ":B:C:D:E\r\n";
    const std::vector<std::string> files = {
        folder.Write("Ar261206.txt", busy),
        folder.Missing("Br261206.txt"),
        folder.Write("Cr261206.txt", Lines({kLogin, "  S514-PC04:eleve13:061226:090000:login:B:C:D:F", kLogout})),
    };
    OccupationScanEvents events;
    std::vector<std::string> sessions;
    events.onSession = [&](const SessionEntry& entry) { sessions.push_back(FieldsOf(entry)); };
    std::vector<std::string> errors;
    events.onError = [&](const std::string& message) { errors.push_back(message); };
    EXPECT_FALSE(RunOccupationScan(files, "Toutes", events, nullptr, ScanThreads{1, 0}));
    const std::vector<std::string> alone = sessions;
    ASSERT_EQ(errors.size(), 2u);
    sessions.clear();
    errors.clear();
    EXPECT_FALSE(RunOccupationScan(files, "Toutes", events, nullptr, Threads(3)));
    EXPECT_EQ(sessions, alone);
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_EQ(alone.size(), 2251u); // 2250 logins of the busy file, one before the refused line
}

// A count reads each file a piece at a time, with memory kept from one day to
// the next: whatever the size of the pieces and of the days before, it must
// count what the sessions of the same files give. Random days of mixed line
// breaks, indented lines (some refused), NUL bytes, long lines and words in
// odd places, a missing log between two others.
TEST(RunOccupationScanTest, CountsAreThoseOfTheSessionsWhateverThePieces)
{
    std::mt19937 rng(20061207);
    const auto pick = [&rng](std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(rng);
    };
    const char* const rooms[] = {"S514", "S502", "s514", "CDI", "S5", "", "SalleDesProfesseurs", "Salle-des-profs"};
    const char* const words[] = {"login", "logout", "logout-login", "login-logout", "xlogin", "lock"};
    const char* const breaks[] = {"\n", "\r\n", "\r"};
    const char* const roomFilters[] = {"Toutes", "S5", "s514", "CDI", "toutes", ""};
    const auto randomLog = [&] {
        std::string text;
        std::size_t depth = 0; // lines run indented, a line two steps deeper is refused
        for (std::size_t n = pick(400); n > 0; --n) {
            if (pick(20) == 0)
                depth = pick(depth + 3);
            text.append(depth, pick(2) ? ' ' : '\t');
            std::string line = std::string(rooms[pick(std::size(rooms))]) + (pick(8) ? "-" : "") + "PC0"
                               + std::to_string(pick(4)) + ":eleve" + std::to_string(pick(9)) + ":061226:"
                               + std::to_string(pick(2) ? 70000 + pick(100000) : pick(1000000000)) + ":"
                               + words[pick(std::size(words))] + ":B:C:D:" + (pick(3) ? "tail" : "");
            if (pick(10) == 0)
                line.resize(pick(line.size() + 1));
            if (pick(30) == 0)
                line.insert(pick(line.size() + 1), 1, '\0');
            if (pick(40) == 0)
                line.append(300 + pick(300), 'x');
            text += line;
            if (n > 1 || pick(2))
                text += breaks[pick(std::size(breaks))];
        }
        return text;
    };

    TempFolder folder;
    OccupationScanMemory memory; // kept from day to day, as a period's thread keeps it
    for (int day = 0; day < 150; ++day) {
        const std::vector<std::string> files = {folder.Write("Ar" + std::to_string(day), randomLog()),
                                                folder.Missing("Br" + std::to_string(day)),
                                                folder.Write("Cr" + std::to_string(day), randomLog())};
        const std::string room = roomFilters[pick(std::size(roomFilters))];

        OccupationScanEvents sessions;
        RoomHourCounts expected;
        sessions.onSession = [&](const SessionEntry& entry) { ++expected[entry.Room + '-' + entry.LoginTime]; };
        std::vector<std::string> expectedErrors;
        sessions.onError = [&](const std::string& message) { expectedErrors.push_back(message); };
        sessions.pairLogouts = false;
        const bool everyFileRead = RunOccupationScan(files, room, sessions);

        OccupationScanEvents count;
        RoomHourCounts counted;
        count.counts = &counted;
        std::vector<std::string> errors;
        count.onError = [&](const std::string& message) { errors.push_back(message); };
        count.pieceBytes = pick(3) ? 1 + pick(200) : count.pieceBytes;
        EXPECT_EQ(RunOccupationScan(files, room, count, nullptr, {}, &memory), everyFileRead);
        ASSERT_EQ(counted, expected) << "day " << day << ", room " << room << ", pieces of " << count.pieceBytes;
        EXPECT_EQ(errors, expectedErrors);
        for (const auto& [key, sessionCount] : counted) {
            const RoomHour split = SplitRoomHour(key);
            EXPECT_EQ(std::string(split.room) + '-' + std::string(split.hour), key);
            EXPECT_EQ(split.room.find('-'), std::string_view::npos);
        }
    }
}

TEST(RunOccupationScanTest, NoFilesAndCancelling)
{
    const ScanRecord none = Scan({}, "Toutes");
    EXPECT_TRUE(none.everyFileRead);
    EXPECT_TRUE(none.sessions.empty());
    EXPECT_TRUE(none.progress.empty());

    TempFolder folder;
    const std::vector<std::string> files = {folder.Write("Ar261206.txt", Lines({kLogin})),
                                            folder.Write("Br261206.txt", Lines({kLogin}))};
    std::atomic<bool> cancel{true};
    const ScanRecord cancelledBefore = Scan(files, "Toutes", &cancel);
    EXPECT_FALSE(cancelledBefore.everyFileRead);
    EXPECT_TRUE(cancelledBefore.sessions.empty());

    cancel = false;
    const ScanRecord cancelledAfterOne = Scan(files, "Toutes", &cancel, 1);
    EXPECT_FALSE(cancelledAfterOne.everyFileRead);
    EXPECT_EQ(cancelledAfterOne.sessions.size(), 1u);

    cancel = false;
    const ScanRecord notCancelled = Scan(files, "Toutes", &cancel, 99);
    EXPECT_TRUE(notCancelled.everyFileRead);
    EXPECT_EQ(notCancelled.sessions.size(), 2u);
}

} // namespace
} // namespace kiv
