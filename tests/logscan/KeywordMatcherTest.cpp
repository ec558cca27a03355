#include "common/AsciiCase.h"
#include "logscan/CancelFlag.h"
#include "logscan/KeywordMatcher.h"
#include "logscan/TextList.h"

#include <gtest/gtest.h>

#include <random>

namespace kiv {
namespace {

const char* const kLine = "POSTE12:eleve07:150306:1432:page jeux en ligne";

struct FirstMatchCase {
    const char* name;
    TextList words;
    std::string line;
    int expected;
};

TEST(KeywordMatcher, FirstWordOfTheListThatTheLineHolds)
{
    const FirstMatchCase cases[] = {
        {"list_order_decides", {"jeu", "page"}, kLine, 0},
        {"list_order_reversed", {"page", "jeu"}, kLine, 0},
        {"later_word_when_first_absent", {"sexe", "ligne"}, kLine, 1},
        {"no_word", {"sexe", "sexy"}, kLine, -1},
        {"upper_word_lower_line", {"JEU"}, "x:jeu", 0},
        {"upper_word_mixed_line", {"JEU"}, "x:Jeu", 0},
        {"lower_word_upper_line", {"jeu"}, "X:JEUX", 0},
        {"accent_same_case", {"\xE9"}, "caf\xE9", 0},
        {"accent_not_folded", {"\xE9"}, "CAF\xC9", -1},
        {"upper_accent_not_folded", {"\xC9"}, "caf\xE9", -1},
        {"all_words_empty", {"", ""}, kLine, -1},
        {"empty_word_skipped", {"", "page"}, kLine, 1},
        {"phrase_with_spaces", {" nu "}, "x:photo nu gratuite", 0},
        {"phrase_needs_its_spaces", {" nu "}, "x:nue", -1},
        {"phrase_spans_fields", {"07:15"}, kLine, 0},
        {"word_longer_than_line", {"pages jeux"}, "page", -1},
        {"empty_line", {"a"}, "", -1},
    };
    for (const FirstMatchCase& c : cases) {
        for (const PrefilterKind kind : {PrefilterKind::Hyperscan, PrefilterKind::BufferSearch, PrefilterKind::Automaton}) {
            const KeywordMatcher matcher(c.words, kind);
            EXPECT_EQ(matcher.FirstMatch(c.line), c.expected) << c.name;
        }
    }
    // With "jeu" and "page" the line gives one word, the first of the list.
    EXPECT_EQ(KeywordMatcher(TextList{"page", "jeu"}).FirstMatch(kLine), 0);
    EXPECT_EQ(KeywordMatcher(TextList{"jeu", "page"}).Words()[0], "jeu");
}

struct Found {
    std::string line;
    int word;
    friend bool operator==(const Found&, const Found&) = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f)
{
    return out << "[" << f.word << "] \"" << f.line << "\"";
}

std::vector<Found> Search(const KeywordMatcher& matcher, std::string_view text)
{
    std::vector<Found> found;
    auto workspace = matcher.MakeWorkspace();
    EXPECT_TRUE(matcher.ForEachMatch(text, workspace, [&](std::string_view line, int word) {
        found.push_back({std::string(line), word});
    }));
    return found;
}

// What a search must give, worked out the slow way: every line, its blanks
// removed, tried against every word in turn.
std::vector<Found> Expected(const TextList& words, std::string_view text)
{
    std::vector<Found> found;
    for (std::size_t start = 0; start < text.size();) {
        // Split by hand: a NUL is a byte of a log line, where a list would end.
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        std::string line(text.substr(start, end - start));
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
        line.erase(0, std::min(line.find_first_not_of(" \t"), line.size()));
        const std::string upper = AsciiUpperCopy(line);
        for (std::size_t w = 0; w < words.size(); ++w) {
            if (!words[w].empty() && upper.find(AsciiUpperCopy(words[w])) != std::string::npos) {
                found.push_back({line, static_cast<int>(w)});
                break;
            }
        }
    }
    return found;
}

std::vector<PrefilterKind> AvailableKinds()
{
    std::vector<PrefilterKind> kinds{PrefilterKind::BufferSearch, PrefilterKind::Automaton};
    if (PrefilterAvailable(PrefilterKind::Hyperscan))
        kinds.push_back(PrefilterKind::Hyperscan);
    return kinds;
}

TEST(KeywordMatcher, SearchFindsTheLinesOfAWholeText)
{
    const std::string text = "P1:e1:050206:0800:page jeux\r\n"
                             "P2:e2:050206:0801:rien\r\n"
                             "\t P3:e3:050206:0802:JEUX\n"
                             "P4:e4:050206:0803:caf\xC9 nu \r"
                             " nu\r\n"     // the phrase lies in the blanks the line's text leaves out
                             "P5:e5:\xE9 nu \r\n";
    const TextList words{"jeu", "\xE9 nu ", " nu", "page"};
    for (const PrefilterKind kind : AvailableKinds()) {
        const KeywordMatcher matcher(words, kind);
        ASSERT_EQ(matcher.Prefilter(), kind);
        EXPECT_EQ(Search(matcher, text), (std::vector<Found>{{"P1:e1:050206:0800:page jeux", 0},
                                                             {"P3:e3:050206:0802:JEUX", 0},
                                                             {"P4:e4:050206:0803:caf\xC9 nu ", 2},
                                                             {"P5:e5:\xE9 nu ", 1}}));
        EXPECT_TRUE(Search(KeywordMatcher(TextList{"", "\r\n", "a\nb"}, kind), "a\nb\r\n\r\n").empty());
    }
}

// Random texts and words from a small alphabet that is rich in the bytes that
// matter: breaks, blanks, letters in both cases, accented bytes.
TEST(KeywordMatcher, PrefilteredSearchAgreesWithTheLineByLineTest)
{
    std::mt19937 random(20060205);
    const std::string alphabet("aAbBnNuU  \t\t\r\n:\xE9\xC9\x80\xFF\0", 20);
    const auto randomText = [&](std::size_t length) {
        std::string text(length, ' ');
        std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
        for (char& c : text)
            c = alphabet[pick(random)];
        return text;
    };
    std::uniform_int_distribution<std::size_t> wordLength(0, 4);
    // Up to forty words: the automaton's words share prefixes and suffixes,
    // which its fallbacks must follow.
    std::uniform_int_distribution<std::size_t> wordCount(0, 40);
    std::uniform_int_distribution<std::size_t> textLength(0, 400);

    for (const PrefilterKind kind : AvailableKinds()) {
        for (int round = 0; round < 400; ++round) {
            TextList words;
            for (std::size_t w = wordCount(random); w > 0; --w)
                words.push_back(randomText(wordLength(random)));
            const std::string text = randomText(textLength(random));
            const KeywordMatcher matcher(words, kind);
            ASSERT_EQ(Search(matcher, text), Expected(words, text))
                << "round " << round << " prefilter " << static_cast<int>(kind);
        }
    }
}

// A text larger than one search piece: matches near the piece edges and a
// line that straddles one must all be found, in order.
TEST(KeywordMatcher, LargeTextSearchedPieceByPieceMissesNothing)
{
    std::string text;
    const std::string filler = "P1:e1:050206:0800:http://www.exemple.fr/page/rien\r\n";
    while (text.size() < (std::size_t{700} << 10)) {
        text += filler;
        if (text.size() % 7919 < filler.size())
            text += "P2:e2:050206:0900:photo SEXE\r\n";
        if (text.size() % 13 == 0)
            text += "P3:e3:050206:0901:" + std::string(3000, 'x') + "seins nu\r";
    }
    const TextList words{"sexe", "sexy", "enculer", "bites", "seins nu", "femme nu", "femmes nu"};
    const auto expected = Expected(words, text);
    ASSERT_GT(expected.size(), 50u);
    for (const PrefilterKind kind : AvailableKinds())
        EXPECT_EQ(Search(KeywordMatcher(words, kind), text), expected);
}

// The prefilters look at several places at once: a word must be found at
// every place of texts of every length, first and last places included.
TEST(KeywordMatcher, AWordIsFoundAtEveryPlace)
{
    const TextList words{"sexe", "Ab", "z", "\xE9t\xE9", "seins nu"};
    for (const PrefilterKind kind : AvailableKinds()) {
        const KeywordMatcher matcher(words, kind);
        for (std::size_t length = 0; length < 70; ++length) {
            for (std::size_t w = 0; w < words.size(); ++w) {
                const std::string_view word = words[w];
                for (std::size_t at = 0; at + word.size() <= length; ++at) {
                    std::string text(length, '.');
                    text.replace(at, word.size(), AsciiUpperCopy(word));
                    ASSERT_EQ(Search(matcher, text), (std::vector<Found>{{text, static_cast<int>(w)}}))
                        << "word " << w << " at " << at << " of " << length;
                }
            }
        }
    }
}

// Words that share long runs, as a blocklist of sites does: the automaton
// finds the same first word as the plain test, wherever the runs overlap.
TEST(KeywordMatcher, WordsSharingRunsAgreeWithTheLineByLineTest)
{
    // Enough words that the automaton's states outnumber its rows of moves.
    TextList words;
    for (int i = 0; i < 3000; ++i)
        words.push_back("mot" + std::to_string(i % 37) + "-" + std::string(static_cast<std::size_t>(i % 11), 'x') +
                        (i < 300 ? "" : "." + std::to_string(i)));
    words.push_back("xxxxxxxxx");
    words.push_back("T1-X");
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "P:" + std::string(static_cast<std::size_t>(i % 13), 'X') + "MOT" + std::to_string(i % 41) + "-" +
                std::string(static_cast<std::size_t>(i % 12), 'x') + (i % 5 == 0 ? "." + std::to_string(i * 7) : "") +
                (i % 3 == 0 ? "\r\n" : "\n");
    const auto expected = Expected(words, text);
    ASSERT_GT(expected.size(), 500u);
    // Every kind settles a line with the automaton; the sixteen-at-a-time
    // search is left out, as it is for lists this long.
    for (const PrefilterKind kind : AvailableKinds()) {
        if (kind != PrefilterKind::BufferSearch) {
            EXPECT_EQ(Search(KeywordMatcher(words, kind), text), expected) << static_cast<int>(kind);
        }
    }
}

// A list of a million words takes a while to prepare: closing the window or a
// new search stops that too.
TEST(KeywordMatcher, CancelStopsTheBuild)
{
    TextList words;
    for (int i = 0; i < 100000; ++i)
        words.push_back("site" + std::to_string(i) + ".example");
    const std::atomic<bool> cancel{true};
    EXPECT_THROW(KeywordMatcher(words, std::nullopt, &cancel), BuildCancelled);
    const std::atomic<bool> go{false};
    EXPECT_EQ(KeywordMatcher(words, std::nullopt, &go).FirstMatch("x:SITE99999.EXAMPLE.fr"), 99999);
}

TEST(KeywordMatcher, CancelStopsTheSearch)
{
    std::string text;
    while (text.size() < (std::size_t{1} << 20))
        text += "P1:e1:050206:0800:sexe\r\n";
    const std::atomic<bool> cancel{true};
    const KeywordMatcher matcher(TextList{"sexe"});
    auto workspace = matcher.MakeWorkspace();
    std::size_t found = 0;
    EXPECT_FALSE(matcher.ForEachMatch(text, workspace, [&](std::string_view, int) { ++found; }, &cancel));
    EXPECT_EQ(found, 0u);
}

} // namespace
} // namespace kiv
