#include "Cp1252.h"
#include "KivError.h"
#include "TextList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kiv {
namespace {

struct SplitCase {
    const char* name;
    std::string content;
    TextList expected;
};

class SplitTextListTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTextListTest, FollowsTheLineRules)
{
    EXPECT_EQ(SplitTextList(GetParam().content), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    LineBreaks, SplitTextListTest,
    ::testing::Values(
        SplitCase{"empty", "", {}},
        SplitCase{"no_final_break", "a\r\nb", {"a", "b"}},
        SplitCase{"final_crlf_adds_nothing", "a\r\nb\r\n", {"a", "b"}},
        SplitCase{"two_final_crlf_add_one_empty", "a\r\nb\r\n\r\n", {"a", "b", ""}},
        SplitCase{"lone_lf", "a\nb\n", {"a", "b"}},
        SplitCase{"lone_cr", "a\rb\r", {"a", "b"}},
        SplitCase{"lf_then_cr_is_two_breaks", "a\n\rb", {"a", "", "b"}},
        SplitCase{"empty_line_inside", "S1\r\n\r\nS2", {"S1", "", "S2"}},
        SplitCase{"only_a_break", "\r\n", {""}},
        SplitCase{"spaces_kept", " nu \r\nx", {" nu ", "x"}},
        SplitCase{"nul_ends_content", std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},
        SplitCase{"accented_bytes_kept", "\xE9l\xE8ve\r\n", {"\xE9l\xE8ve"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JoinTextList, JoinsWithCrLfAndNoFinalBreak)
{
    EXPECT_EQ(JoinTextList({}), "");
    EXPECT_EQ(JoinTextList({"S101", "S102"}), "S101\r\nS102");
    EXPECT_EQ(JoinTextList({"a", ""}), "a\r\n");
    // What is written reads back as the same list, except a trailing empty entry.
    const TextList rooms{"S514", "", " S302 ", "SCDI"};
    EXPECT_EQ(SplitTextList(JoinTextList(rooms)), rooms);
}

TEST(TextListFiles, SaveThenLoadKeepsExactBytes)
{
    const auto dir = std::filesystem::temp_directory_path() / "kiv_textlist_test";
    std::filesystem::create_directories(dir);
    const auto file = dir / "kiv_salles.txt";
    SaveTextFile(file, "S101\r\nS102", "kiv_salles.txt");
    std::ifstream in(file, std::ios::binary);
    const std::string onDisk((std::istreambuf_iterator<char>(in)), {});
    in.close();
    EXPECT_EQ(onDisk, "S101\r\nS102");
    EXPECT_EQ(LoadTextListFile(file, "kiv_salles.txt"), (TextList{"S101", "S102"}));
    std::filesystem::remove_all(dir);
}

TEST(TextListFiles, FailuresNameTheFileAsGiven)
{
    const auto missing = std::filesystem::temp_directory_path() / "kiv_no_such_dir" / "kiv_heures.txt";
    try {
        LoadTextListFile(missing, "kiv_heures.txt");
        FAIL() << "no error raised";
    } catch (const KivError& e) {
        EXPECT_STREQ(e.what(), "Impossible d'ouvrir le fichier kiv_heures.txt");
    }
    try {
        SaveTextFile(missing, "x", "kiv_heures.txt");
        FAIL() << "no error raised";
    } catch (const KivError& e) {
        EXPECT_STREQ(e.what(), "Impossible de cr\xE9" "er le fichier kiv_heures.txt");
    }
    // A folder is not a list file.
    EXPECT_THROW(LoadTextListFile(std::filesystem::temp_directory_path(), "x"), KivError);
}

TEST(ErrorBox, AddsAFullStopAfterCharactersThatOrderAfterIt)
{
    EXPECT_EQ(WithFullStop("Impossible d'ouvrir le fichier kiv.ini"), "Impossible d'ouvrir le fichier kiv.ini.");
    EXPECT_EQ(WithFullStop("Fini."), "Fini.");
    EXPECT_EQ(WithFullStop("Fini!"), "Fini!");
    EXPECT_EQ(WithFullStop("(3)"), "(3)"); // ")" orders before "."
    EXPECT_EQ(WithFullStop("x\"") , "x\"");
    EXPECT_EQ(WithFullStop("pr\xEAt"), "pr\xEAt.");
    EXPECT_EQ(WithFullStop(""), "");
}

TEST(Cp1252, EveryByteSurvivesTheRoundTripThroughUtf8)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(UnicodeToCp1252(Cp1252ToUnicode(static_cast<unsigned char>(b))), b) << b;
}

TEST(Cp1252, KnownCharactersAndReplacement)
{
    EXPECT_EQ(Cp1252ToUtf8("\xE0 \x80 \x9C \x81"), "\u00E0 \u20AC \u0153 \u0081");
    EXPECT_EQ(Utf8ToCp1252("\u00E9l\u00E8ve \u20AC"), "\xE9l\xE8ve \x80");
    EXPECT_EQ(Utf8ToCp1252("\u4E2D\U0001F600x"), "??x");  // outside the set
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");                // cut sequence
    EXPECT_EQ(Utf8ToCp1252("\xFF" "b"), "?b");             // not UTF-8 at all
}

} // namespace
} // namespace kiv
