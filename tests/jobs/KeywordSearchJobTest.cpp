#include "jobs/KeywordSearchJob.h"

#include "logscan/FileIo.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

namespace kiv {
namespace {

// A day of keyword logs (5 February 2006) and a log of the next day.
class KeywordSearchJobTest : public ::testing::Test {
protected:
    KeywordSearchJobTest()
    {
        tree_.File("web050206.txt", "POSTE12:eleve07:050206:1432:page JEUX en ligne\r\n"
                                    "POSTE13:eleve08:050206:1433:cours de maths\r\n");
        tree_.File("Alpha050206.TXT", "PC1:u1:050206:0800:premier jeu, Jeu\r\n");
        tree_.File("web060206.txt", "PC2:u2:060206:0900:jeu du lendemain\r\n");
    }

    struct Seen {
        ScanOutcome outcome;
        std::vector<std::vector<KeywordSearchResult>> batches;
        std::vector<std::size_t> started;
    };

    Seen Search(const std::filesystem::path& folder, TextList words, std::atomic<bool>* cancel = nullptr)
    {
        Seen seen;
        KeywordSearchEvents events;
        events.onResults = [&](std::vector<KeywordSearchResult>&& batch) {
            seen.batches.push_back(std::move(batch));
            if (cancel)
                cancel->store(true);
        };
        events.onFileStarted = [&](std::size_t index, std::size_t) { seen.started.push_back(index); };
        seen.outcome = RunKeywordSearch({folder, {2006, 2, 5}, SearchScope::Jour, std::move(words)}, events, cancel);
        return seen;
    }

    static std::vector<KeywordSearchResult> All(const Seen& seen)
    {
        std::vector<KeywordSearchResult> all;
        for (const auto& batch : seen.batches) {
            EXPECT_FALSE(batch.empty());
            all.insert(all.end(), batch.begin(), batch.end());
        }
        return all;
    }

    test::TempTree tree_;
};

TEST_F(KeywordSearchJobTest, ResultsComeInFileOrderWithTheirBoldWord)
{
    // "0206" is in the date as read, not in the rewritten line: no bold.
    const Seen seen = Search(tree_.Root(), {"maths", "jeu", "0206"});
    // The bold part, and what follows it to the end of the line.
    struct Expected {
        std::string start;
        std::size_t word;
        std::string bold, after;
    };
    const std::vector<Expected> expected{
        {"PC1:u1:", 1, "jeu", ", Jeu"}, {"POSTE12:", 1, "JEU", "X en ligne"}, {"POSTE13:", 0, "maths", ""}};
    const auto all = All(seen);
    ASSERT_EQ(all.size(), expected.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].line.rfind(expected[i].start, 0), 0u) << all[i].line;
        EXPECT_EQ(all[i].wordIndex, expected[i].word);
        EXPECT_EQ(all[i].line.substr(all[i].boldStart, all[i].boldLength), expected[i].bold);
        EXPECT_EQ(all[i].line.substr(all[i].boldStart + all[i].boldLength), expected[i].after);
    }
    EXPECT_GE(seen.batches.size(), 2u); // one file's results never wait for the next file
    EXPECT_EQ(seen.started, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(seen.outcome.filesFound, 2u);
    EXPECT_TRUE(seen.outcome.allRead);

    const auto absent = All(Search(tree_.Root(), {"0206"}));
    ASSERT_EQ(absent.size(), 3u);
    EXPECT_EQ(absent[0].boldLength, 0u);
}

TEST_F(KeywordSearchJobTest, ManyResultsComeInBatchesTheWindowAppendsQuickly)
{
    std::string many;
    for (int i = 0; i < 5000; ++i)
        many += "PC1:u1:050206:0800:jeu\r\n";
    tree_.File("web050206.txt", many);
    const Seen seen = Search(tree_.Root(), {"jeu"});
    EXPECT_EQ(All(seen).size(), 5001u);
    for (const auto& batch : seen.batches)
        EXPECT_LE(batch.size(), 2048u);
}

TEST_F(KeywordSearchJobTest, ASingleFoundFileIsSearched)
{
    std::filesystem::remove(tree_.Root() / "Alpha050206.TXT");
    const Seen seen = Search(tree_.Root(), {"jeu"});
    EXPECT_EQ(All(seen).size(), 1u);
    EXPECT_EQ(seen.outcome.filesFound, 1u);
}

TEST_F(KeywordSearchJobTest, AFolderThatCannotBeListedIsAnErrorNamedInWindows1252)
{
    for (const std::string name : {"\xC3\x89l\xC3\xA8ves", "web050206.txt"}) {
        const auto folder = tree_.Root() / PathFromBytes(name);
        const Seen seen = Search(folder, {"jeu"});
        EXPECT_TRUE(seen.batches.empty());
        EXPECT_FALSE(seen.outcome.allRead);
        const std::string shown = name[0] == 'w' ? name : "\xC9l\xE8ves";
        EXPECT_EQ(seen.outcome.errors,
                  std::vector<std::string>{"Impossible d'ouvrir le dossier " + PathForMessage(tree_.Root())
                                           + char(std::filesystem::path::preferred_separator) + shown});
    }
}

TEST_F(KeywordSearchJobTest, AnUnreadableFileIsReportedAndTheOthersSearched)
{
    tree_.Dir("bad050206.txt");
    const Seen seen = Search(tree_.Root(), {"jeu"});
    EXPECT_EQ(All(seen).size(), 2u);
    EXPECT_EQ(seen.outcome.errors,
              std::vector<std::string>{"Impossible d'ouvrir le fichier " + (tree_.Root() / "bad050206.txt").string()});
    EXPECT_FALSE(seen.outcome.allRead);
}

TEST_F(KeywordSearchJobTest, NothingIsDeliveredOnceCancelled)
{
    for (int i = 0; i < 40; ++i) {
        // Appended piece by piece: GCC 12 misreads "x" + std::string&& as an
        // overlapping copy (-Wrestrict) in optimised builds.
        std::string name = "x";
        name += std::to_string(i);
        name += "050206.txt";
        tree_.File(name, "PC:u:050206:0800:jeu\r\n");
    }
    std::atomic<bool> cancel{false};
    const Seen seen = Search(tree_.Root(), {"jeu"}, &cancel);
    EXPECT_EQ(seen.batches.size(), 1u);
    EXPECT_TRUE(seen.outcome.cancelled);
    EXPECT_FALSE(seen.outcome.allRead);
}

} // namespace
} // namespace kiv
