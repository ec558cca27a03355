#include "logscan/LogMask.h"

#include <gtest/gtest.h>

namespace kiv {
namespace {

struct KeyCase {
    LogDate date;
    SearchScope scope;
    const char* key;
};

TEST(DateKey, PicksDayMonthAndTwoDigitYear)
{
    const KeyCase cases[] = {
        {{2006, 2, 5}, SearchScope::Jour, "050206"},
        {{2006, 2, 5}, SearchScope::Mois, "0206"},
        {{2006, 2, 5}, SearchScope::Tout, ""},
        {{2009, 12, 31}, SearchScope::Jour, "311209"},
        {{2009, 12, 31}, SearchScope::Mois, "1209"},
        {{2000, 1, 1}, SearchScope::Jour, "010100"},
        {{1999, 10, 9}, SearchScope::Jour, "091099"},
        {{2105, 7, 14}, SearchScope::Mois, "0705"},
    };
    for (const KeyCase& c : cases)
        EXPECT_EQ(DateKey(c.date, c.scope), c.key) << c.date.year << "-" << c.date.month << "-" << c.date.day;
    EXPECT_EQ(DayKey({2006, 2, 5}), "050206");
}

TEST(LogMask, BuildsTheMasksOfTheFiveOfFebruary)
{
    const std::string prefix = "X:\\Torvel\\Services\\logs\\";
    const LogDate day{2006, 2, 5};
    EXPECT_EQ(KeywordLogMask(prefix, day, SearchScope::Jour), prefix + "*050206.txt");
    EXPECT_EQ(KeywordLogMask(prefix, day, SearchScope::Mois), prefix + "*0206.txt");
    EXPECT_EQ(KeywordLogMask(prefix, day, SearchScope::Tout), prefix + "*.txt");
    EXPECT_EQ(KeywordLogMask(prefix, {2031, 11, 30}, SearchScope::Tout), prefix + "*.txt");
    EXPECT_EQ(ConnectionLogMask(prefix, day), prefix + "*r050206.*");
    EXPECT_EQ(KeywordLogMask("", day, SearchScope::Jour), "*050206.txt");
}

TEST(LogMask, FolderPrefixEndsWithOneSeparator)
{
#ifdef _WIN32
    EXPECT_EQ(DefaultLogFolder(), "X:\\Torvel\\Services\\logs\\");
    EXPECT_EQ(LogFolderPrefix("D:\\logs"), "D:\\logs\\");
    EXPECT_EQ(LogFolderPrefix("X:"), "X:");
#else
    EXPECT_EQ(DefaultLogFolder(), "/mnt/Torvel/Services/logs/");
    EXPECT_EQ(LogFolderPrefix("/srv/logs"), "/srv/logs/");
#endif
    EXPECT_EQ(LogFolderPrefix(DefaultLogFolder()), DefaultLogFolder());
    EXPECT_EQ(LogFolderPrefix("logs/"), "logs/");
    EXPECT_EQ(LogFolderPrefix("logs\\"), "logs\\");
    EXPECT_EQ(LogFolderPrefix(""), "");
}

TEST(ScopeFromText, TakesTheThreeNamesInAnyCaseAndNothingElse)
{
    EXPECT_EQ(ScopeFromText("Mois"), SearchScope::Mois);
    EXPECT_EQ(ScopeFromText("jOUR"), SearchScope::Jour);
    EXPECT_EQ(ScopeFromText("TOUT"), SearchScope::Tout);
    for (const char* other : {"Tout ", "", "Semaine", "Jou", "Jours", "MOIS\n"})
        EXPECT_FALSE(ScopeFromText(other).has_value()) << other;
}

TEST(IsValidDate, FollowsTheGregorianCalendar)
{
    const std::pair<LogDate, bool> cases[] = {
        {{2006, 2, 5}, true},    {{2006, 2, 28}, true},  {{2006, 2, 29}, false}, {{2006, 2, 30}, false},
        {{2008, 2, 29}, true},   {{2000, 2, 29}, true},  {{1900, 2, 29}, false}, {{2100, 2, 29}, false},
        {{2009, 12, 31}, true},  {{2009, 4, 31}, false}, {{2009, 6, 30}, true},  {{2009, 13, 1}, false},
        {{2009, 0, 10}, false},  {{2009, 1, 0}, false},  {{2009, 1, 32}, false}, {{0, 1, 1}, false},
        {{9999, 12, 31}, true},  {{10000, 1, 1}, false},
    };
    for (const auto& [date, valid] : cases)
        EXPECT_EQ(IsValidDate(date), valid) << date.year << "-" << date.month << "-" << date.day;
}

} // namespace
} // namespace kiv
