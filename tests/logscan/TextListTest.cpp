#include "logscan/Cp1252.h"
#include "logscan/KivError.h"
#include "logscan/TextList.h"
#include "tests/support/TempPath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace kiv {
namespace {

struct SplitCase {
    const char* name;
    std::string content;
    TextList expected;
};

// ctest lists a case by its name rather than by its bytes.
void PrintTo(const SplitCase& c, std::ostream* out)
{
    *out << c.name;
}

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
        SplitCase{"accented_bytes_kept", "\xE9l\xE8ve\r\n", {"\xE9l\xE8ve"}},
        SplitCase{"long_lines_across_blocks",
                  std::string(5000, 'a') + "\r" + std::string(4100, 'b') + "\n" + std::string(17, 'c') + "\r\nd",
                  {std::string(5000, 'a'), std::string(4100, 'b'), std::string(17, 'c'), "d"}},
        SplitCase{"crlf_split_by_a_block_edge", std::string(4095, 'a') + "\r\nb", {std::string(4095, 'a'), "b"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitTextList, StopsAfterTheLinesAsked)
{
    const struct {
        std::string content;
        std::size_t maxLines;
        TextList expected;
    } cases[] = {{"8h25\r\n9h20\n10h30\r11h25\r\n", 0, {}},
                 {"8h25\r\n9h20\n10h30\r11h25\r\n", 1, {"8h25"}},
                 {"8h25\r\n9h20\n10h30\r11h25\r\n", 3, {"8h25", "9h20", "10h30"}},
                 {"8h25\r\n9h20\n10h30\r11h25\r\n", 8, {"8h25", "9h20", "10h30", "11h25"}},
                 {"8h25\r\n17h00", 2, {"8h25", "17h00"}},
                 {"8h25\r\n\r\n", 2, {"8h25", ""}}};
    for (const auto& c : cases)
        EXPECT_EQ(SplitTextList(c.content, c.maxLines), c.expected) << c.content << " " << c.maxLines;
    // Thousands of empty lines of each kind of break, read in one piece.
    EXPECT_EQ(SplitTextList(std::string(5000, '\n')).size(), 5000u);
    EXPECT_EQ(SplitTextList(std::string(5000, '\r')).size(), 5000u);
    std::string crlf;
    for (int i = 0; i < 3000; ++i)
        crlf += i % 7 == 0 ? "x\r\n" : "\r\n";
    const TextList lines = SplitTextList(crlf);
    ASSERT_EQ(lines.size(), 3000u);
    EXPECT_EQ(lines[2996], "x"); // 2996 = 7 * 428
    EXPECT_EQ(lines[2997], "");
}

// The line rules read one byte at a time, against the list on random texts of
// breaks of every kind across the sixteen-byte blocks the split reads at once.
TEST(SplitTextList, AgreesWithAByteByByteSplitOnRandomTexts)
{
    const auto reference = [](const std::string& text, std::size_t maxLines) {
        std::vector<std::string> lines;
        std::string line;
        std::size_t i = 0;
        for (; i < text.size() && text[i] != '\0' && lines.size() < maxLines; ++i) {
            if (text[i] != '\r' && text[i] != '\n') {
                line += text[i];
                continue;
            }
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.push_back(line);
            line.clear();
        }
        if (!line.empty() && lines.size() < maxLines)
            lines.push_back(line);
        return lines;
    };
    std::mt19937 random(1252);
    const std::string alphabet("ab\r\n\r\n\0", 7);
    for (int round = 0; round < 3000; ++round) {
        std::string text(std::uniform_int_distribution<std::size_t>(0, 70)(random), ' ');
        for (char& c : text)
            c = alphabet[std::uniform_int_distribution<std::size_t>(0, round % 7 == 0 ? 6 : 5)(random)];
        const std::size_t maxLines = round % 3 == 0 ? std::uniform_int_distribution<std::size_t>(0, 9)(random)
                                                    : static_cast<std::size_t>(-1);
        ASSERT_EQ(SplitTextList(text, maxLines), reference(text, maxLines)) << "round " << round;
    }
}

// A list built entry by entry keeps every byte of its entries, breaks
// included, and reads the same after its last entries are taken off.
TEST(TextListEdits, EntriesKeepTheirBytesThroughPushAndPop)
{
    TextList list = SplitTextList("S101\r\nS102\r");
    list.push_back("a\r\nb");
    list.push_back("");
    list.push_back("\n");
    EXPECT_EQ(list, (TextList{"S101", "S102", "a\r\nb", "", "\n"}));
    EXPECT_EQ(list.at(2), "a\r\nb");
    EXPECT_THROW(list.at(5), std::out_of_range);
    list.pop_back();
    list.pop_back();
    EXPECT_EQ(list, (TextList{"S101", "S102", "a\r\nb"}));
    list.pop_back();
    list.push_back("S103");
    EXPECT_EQ(list, (TextList{"S101", "S102", "S103"}));
    EXPECT_EQ(JoinTextList(list), "S101\r\nS102\r\nS103");
    while (!list.empty())
        list.pop_back();
    EXPECT_EQ(list.size(), 0u);
    list.push_back("x");
    EXPECT_EQ(list, TextList{"x"});
}

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
    const auto dir = UniqueTempPath("kiv_textlist_test");
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
