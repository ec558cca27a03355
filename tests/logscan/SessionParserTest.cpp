#include "logscan/SessionParser.h"

#include <gtest/gtest.h>

#include <random>

#include <string>

namespace kiv {
namespace {

// A login line with "login" at index `at`: the room and station are padded so
// that the word lands exactly there.
std::string LineWithWordAt(std::string_view word, std::size_t at)
{
    std::string line = "S514-PC03:e:";
    line.resize(at, 'x');
    line += word;
    line += ":B";
    return line;
}

struct FieldsCase {
    const char* name;
    std::string line;
    SessionEntry expected;
};

// ctest lists a case by its name rather than by its bytes.
void PrintTo(const FieldsCase& c, std::ostream* out)
{
    *out << c.name;
}

class ParseLoginLineTest : public ::testing::TestWithParam<FieldsCase> {};

TEST_P(ParseLoginLineTest, CutsTheFields)
{
    const SessionEntry entry = ParseLoginLine(GetParam().line);
    const SessionEntry& expected = GetParam().expected;
    EXPECT_EQ(entry.Room, expected.Room);
    EXPECT_EQ(entry.Station, expected.Station);
    EXPECT_EQ(entry.User, expected.User);
    EXPECT_EQ(entry.LoginTime, expected.LoginTime);
    EXPECT_EQ(entry.LogoutTime, "");
    EXPECT_EQ(entry.Tail, expected.Tail);
    EXPECT_EQ(LoginUser(GetParam().line), expected.User);
    const LoginRoomTime roomTime = ParseLoginRoomTime(GetParam().line);
    EXPECT_EQ(roomTime.Room, expected.Room);
    EXPECT_EQ(FormatLogTime(roomTime.Time), expected.LoginTime);
}

INSTANTIATE_TEST_SUITE_P(
    LoginLines, ParseLoginLineTest,
    ::testing::Values(
        FieldsCase{"worked_example", "S514-PC03:eleve12:061226:082533:login:B:C:D:E",
                   {"S514", "PC03", "eleve12", "08h25", "", "E"}},
        FieldsCase{"ends_inside_the_time", "S514-PC03:eleve12:061226:082533",
                   {"S514", "PC03", "eleve12", "08h25", "", ""}},
        FieldsCase{"tail_runs_to_the_end", "S514-PC03:eleve12:061226:082533:login:B:C:D:fin de ligne",
                   {"S514", "PC03", "eleve12", "08h25", "", "fin de ligne"}},
        FieldsCase{"text_after_the_tail_ignored", "S514-PC03:eleve12:061226:082533:login:B:C:D:E:F:G",
                   {"S514", "PC03", "eleve12", "08h25", "", "E"}},
        FieldsCase{"room_runs_past_colons", "S5:14-PC03:u:d:101500:login:1:2:3:T",
                   {"S5:14", "PC03", "u", "10h15", "", "T"}},
        FieldsCase{"later_fields_do_not_stop_at_hyphen", "S1-P-C:u-v:d:101500:login:1:2:3:T-U",
                   {"S1", "P-C", "u-v", "10h15", "", "T-U"}},
        FieldsCase{"no_hyphen_room_loses_last_char", "S514PC03:eleve12:login",
                   {"S514PC03:eleve12:logi", "", "", "", "", ""}},
        FieldsCase{"ends_right_after_a_separator", "S1-P:u:d:",
                   {"S1", "P", "u", "", "", ""}},
        FieldsCase{"ends_inside_the_user", "S1-P:eleve",
                   {"S1", "P", "elev", "", "", ""}},
        FieldsCase{"empty_fields", "S1-:::0800:login::::",
                   {"S1", "", "", "0800", "", ""}},
        FieldsCase{"empty_line", "", {"", "", "", "", "", ""}},
        FieldsCase{"one_char", "S", {"", "", "", "", "", ""}},
        FieldsCase{"accented_bytes", "Salle\xE9-PC:\xE9l\xE8ve:d:140000:login:1:2:3:\xE0",
                   {"Salle\xE9", "PC", "\xE9l\xE8ve", "14h00", "", "\xE0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatLogTimeTest, HourFormOfTimeFields)
{
    const struct {
        const char* field;
        const char* expected;
    } cases[] = {
        {"082533", "08h25"}, {"08253", "08h25"},  {"0825331", "08h251"}, {"08253312", "08h2512"},
        {"235959", "23h59"}, {"0825", "0825"},    {"082", "082"},         {"", ""},
        {"ab:cdef", "abh:cf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatLogTime(c.field), c.expected) << "field \"" << c.field << "\"";
}

TEST(PassesRoomFilterTest, RoomTexts)
{
    const std::string s514 = "S514-PC03:eleve12:061226:082533:login:B:C:D:E";
    const std::string s502 = "s502-PC01:eleve13:061226:082533:login:B:C:D:E";
    const std::string toutes = "TouTes-PC01:x:061226:082533:login:B:C:D:E";
    const struct {
        const char* room;
        const std::string& line;
        bool passes;
    } cases[] = {
        {"Toutes", s514, true},  {"Toutes", s502, true},  {"toutes", s514, false}, {"toutes", toutes, true},
        {"S5", s514, true},      {"S5", s502, true},      {"s514", s514, true},    {"S514", s502, false},
        {"", s514, false},       {"S514-PC03:eleve12:061226:082533:login:B:C:D:EX", s514, false},
        {"S514-PC03", s514, true}, {" S514", s514, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PassesRoomFilter(c.line, c.room), c.passes) << "room \"" << c.room << "\", line " << c.line;
    EXPECT_FALSE(PassesRoomFilter("", ""));
    EXPECT_TRUE(PassesRoomFilter("", "Toutes"));
}

// The words found sixteen places at a time agree with a plain search for the
// first of each, on lines made of their pieces, of every length around the
// sixteen places.
TEST(LogWordsTest, AgreeWithThePlainSearchOnRandomLines)
{
    std::mt19937 rng(5);
    const char* const pieces[] = {"log", "login", "logout", "lo", "g", "in", "out", "x", ":", "logi", "logo"};
    for (int n = 0; n < 20000; ++n) {
        std::string line;
        for (std::size_t k = rng() % 14; k > 0; --k)
            line += pieces[rng() % std::size(pieces)];
        const std::size_t login = line.find("login");
        const std::size_t logout = line.find("logout");
        const LogWords words = FindLogWords(line);
        ASSERT_EQ(words.login, login != std::string::npos && login >= 15) << line;
        ASSERT_EQ(words.logout, logout != std::string::npos && logout >= 15) << line;
    }
}

TEST(LogWordsTest, WordsCountFromIndexFifteen)
{
    const struct {
        std::string line;
        bool login;
        bool logout;
    } cases[] = {
        {LineWithWordAt("login", 14), false, false},
        {LineWithWordAt("login", 15), true, false},
        {LineWithWordAt("logout", 14), false, false},
        {LineWithWordAt("logout", 15), false, true},
        {"S514-PC03:eleve12:061226:082533:login:B:C:D:E", true, false},
        {"S514-PC03:eleve12:061226:161047:logout:B:C:D:E", false, true},
        // Only the first occurrence counts, even when a later one stands further on.
        {"login-PC03:eleve12:061226:082533:login:B", false, false},
        {"S1-P:logout:061226:161047:logout:B", false, false},
        {"S514-PC03:eleve12:061226:082533:LOGIN:B", false, false},
        {"S514-PC03:eleve12:061226:logoutlogin:B", true, true},
        {"S514-PC03:eleve12:061226:loglogilogin:B", true, false},
        {"S514-PC03:eleve12:061226:082533:logi", false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        const LogWords words = FindLogWords(c.line);
        EXPECT_EQ(words.login, c.login) << c.line;
        EXPECT_EQ(words.logout, c.logout) << c.line;
        EXPECT_EQ(IsLoginLine(c.line), c.login) << c.line;
        EXPECT_EQ(IsLogoutLine(c.line), c.logout) << c.line;
    }
}

TEST(IsLogoutLineOfTest, UserAndLogoutPositions)
{
    const std::string example = "S514-PC03:eleve12:061226:161047:logout:B:C:D:E";
    const struct {
        std::string line;
        const char* user;
        bool closes;
    } cases[] = {
        {example, "eleve12", true},
        {example, "eleve1", true},   // a shorter name found inside the longer one
        {example, "leve", true},
        {example, "eleve123", false},
        {example, "Eleve12", false}, // case-sensitive
        {example, "", false},
        {example, "PC03", true},     // any occurrence past the room counts
        {example, "S514", false},    // at index 0
        // The user's first occurrence decides: index 4 does not close, index 5 does.
        {"S51-eleve:eleve:061226:161047:logout:B", "eleve", false},
        {"S514-eleve:eleve:061226:161047:logout:B", "eleve", true},
        {"S514-PC03:eleve12:061226:161047:logout:B", "xeleve12y", false},
        {"S514-PC03:xeleve12y:061226:161047:logout:B", "eleve12", true},
        {LineWithWordAt("logout", 14), "PC03", false},
        {LineWithWordAt("logout", 15), "PC03", true},
        {"S514-PC03:eleve12:061226:082533:login:B:C:D:E", "eleve12", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsLogoutLineOf(c.line, c.user), c.closes) << "user \"" << c.user << "\", line " << c.line;
}

TEST(LogoutTimeOfTest, TimeAfterThreeFields)
{
    const struct {
        const char* line;
        const char* expected;
    } cases[] = {
        {"S514-PC03:eleve12:061226:161047:logout:B:C:D:E", "16h10"},
        {"S514-PC03:eleve12:061226:161047", "16h10"},     // ends inside the time: "16104"
        {"S514-PC03:eleve12:061226:1610", "161"},          // too short for an hour form
        {"S5:14-PC03:eleve12:061226:161047:logout", "06h12"}, // a colon in the room shifts the fields
        {"S514-PC03:e:d:", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LogoutTimeOf(c.line), c.expected) << c.line;
}

} // namespace
} // namespace kiv
