#include "FileFind/detail/WildcardMatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kiv {
namespace {

struct MatchCase {
    const char* pattern;
    const char* name;
    bool matches;
};

TEST(WildcardMatch, FollowsWindowsRules)
{
    const MatchCase cases[] = {
        // The masks the tool builds for its log folder.
        {"*060206.txt", "a060206.txt", true},
        {"*060206.txt", "B060206.TXT", true},
        {"*060206.txt", "c060207.txt", false},
        {"*060206.txt", "060206.txt", true},
        {"*060206.txt", "a060206.txt.bak", false},
        {"*0206.txt", "x050206.txt", true},
        {"*.txt", "notes.TxT", true},
        {"*.txt", "notestxt", false},
        // A dot followed only by stars also matches the end of the name.
        {"*r050206.*", "xr050206.txt", true},
        {"*r050206.*", "xr050206", true},
        {"*r050206.*", "xr050207", false},
        {"*r050206.*", "xr050206x", false},
        {"*.*", "noextension", true},
        {"*.*", "a.b.c", true},
        {"*.*", ".hidden", true},
        {"abc.", "abc", true},
        {"abc.**", "abc", true},
        {"a.*.*", "a", true},
        {"a.*.*", "a.b", true},
        {"a.b*", "a", false},
        // "?" is exactly one character.
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"a?c", "abbc", false},
        {"???", "abc", true},
        {"???", "ab", false},
        {"?", "", false},
        // Stars take any run, the empty run included.
        {"*", "", true},
        {"*", "anything", true},
        {"a*b*c", "abc", true},
        {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},
        {"*ab", "aab", true},
        {"*aab", "aaab", true},
        {"**a**", "bab", true},
        // An empty pattern matches no name.
        {"", "a", false},
        // Only ASCII letters fold: accented letters must match exactly.
        {"ABC", "abc", true},
        {"\xC9t\xE9", "\xC9T\xE9", true},
        {"\xC9t\xE9", "\xE9t\xE9", false},
        {"[", "[", true},
        {"@", "`", false},
    };
    for (const MatchCase& c : cases)
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches)
            << "pattern \"" << c.pattern << "\" name \"" << c.name << "\"";
}

TEST(WildcardMatch, ManyStarsOnLongNamesStayFast)
{
    // Exponential backtracking would not finish this in any reasonable time.
    const std::string name(5000, 'a');
    std::string pattern;
    for (int i = 0; i < 200; ++i)
        pattern += "*a";
    EXPECT_FALSE(WildcardMatch(pattern + "*b", name));
    EXPECT_TRUE(WildcardMatch(pattern + "*", name));
}

TEST(NameOrderLess, SortsByUpperCasedBytesThenRawBytes)
{
    std::vector<std::string> names = {
        "c060207.txt", "B060206.TXT", "a060206.txt", "b060206.txt",
        "_x", "Zeta", "\xE9t\xE9", "\xC9t\xE9", "ab", "a",
    };
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NameOrderLess(a, b); });
    // "_" (0x5F) orders after the upper-case letters; accented letters order
    // after every ASCII byte, unsigned, and do not fold.
    const std::vector<std::string> expected = {
        "a", "a060206.txt", "ab", "B060206.TXT", "b060206.txt",
        "c060207.txt", "Zeta", "_x", "\xC9t\xE9", "\xE9t\xE9",
    };
    EXPECT_EQ(names, expected);
}

TEST(NameOrderLess, IsAStrictOrder)
{
    const char* names[] = {"a", "A", "", "ab", "AB", "\xE9", "_"};
    for (const char* a : names) {
        EXPECT_FALSE(NameOrderLess(a, a)) << a;
        for (const char* b : names) {
            if (std::string(a) != b) {
                EXPECT_NE(NameOrderLess(a, b), NameOrderLess(b, a)) << a << " / " << b;
            }
        }
    }
}

} // namespace
} // namespace kiv
