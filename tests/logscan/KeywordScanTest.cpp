#include "logscan/KeywordScan.h"
#include "tests/support/TempPath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kiv {
namespace {

const TextList kWords{"sexe", "sexy", "seins nu"};

class KeywordScanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = UniqueTempPath("kiv_keyword_scan_" +
                              std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        const auto path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    std::string Missing(const std::string& name) const { return (dir_ / name).string(); }

    // Every event of a scan, in the order it came: results, errors, progress.
    struct Run {
        bool allRead;
        std::vector<std::string> events;
    };

    static Run Scan(const std::vector<std::string>& files, const TextList& words, KeywordScanOptions options,
                    const std::function<void(std::size_t results)>& afterResult = {})
    {
        Run run{};
        std::size_t results = 0;
        KeywordScanEvents events;
        events.onResult = [&](KeywordResult&& r) {
            run.events.push_back("R" + std::to_string(r.fileIndex) + " " + std::string(words.at(r.wordIndex)) + " | " + r.line);
            if (afterResult)
                afterResult(++results);
        };
        events.onError = [&](const std::string& message) { run.events.push_back("E " + message); };
        events.onProgress = [&](std::size_t done, std::size_t total) {
            run.events.push_back("P " + std::to_string(done) + "/" + std::to_string(total));
        };
        run.allRead = RunKeywordScan(files, words, events, options);
        return run;
    }

    std::filesystem::path dir_;
};

TEST_F(KeywordScanTest, ResultsComeInFileAndLineOrderWhateverTheThreads)
{
    std::vector<std::string> files;
    std::vector<std::string> expected;
    for (int f = 0; f < 23; ++f) {
        std::string bytes;
        for (int line = 0; line < 40; ++line) {
            const std::string head = std::string("P") + std::to_string(f) + ":e" + std::to_string(line) + ":050206:1432:";
            if ((f * 40 + line) % 7 == 0) {
                bytes += head + "photo SEXY seins nu\r\n";
                expected.push_back("R" + std::to_string(f) + " sexy | P" + std::to_string(f) + ":e" +
                                   std::to_string(line) + ": le 05/02/06: \xE0 14 h 32 min :photo SEXY seins nu");
            } else {
                bytes += head + "page sans rien\r\n";
            }
        }
        files.push_back(Write("k" + std::to_string(100 + f) + "050206.txt", bytes));
        expected.push_back("P " + std::to_string(f + 1) + "/23");
    }
    for (const unsigned threads : {1u, 2u, 4u, 0u}) {
        const Run run = Scan(files, kWords, {threads, nullptr});
        EXPECT_TRUE(run.allRead);
        EXPECT_EQ(run.events, expected) << "threads " << threads;
    }
}

TEST_F(KeywordScanTest, ASingleFoundFileIsScanned)
{
    const std::string file = Write("k050206.txt", "P1:e1:050206:0800:rien\r\nP2:e2:050206:0801:Seins Nus\r\n");
    const Run run = Scan({file}, kWords, {0, nullptr});
    EXPECT_TRUE(run.allRead);
    EXPECT_EQ(run.events, (std::vector<std::string>{
                              "R0 seins nu | P2:e2: le 05/02/06: \xE0 08 h 01 min :Seins Nus", "P 1/1"}));
}

TEST_F(KeywordScanTest, NoFileNoEvent)
{
    const Run run = Scan({}, kWords, {});
    EXPECT_TRUE(run.allRead);
    EXPECT_TRUE(run.events.empty());
}

// An unreadable file is reported and skipped; a line whose indentation is
// refused is left out, the lines after it still searched, and its error
// comes after the file's results; the files after both are still scanned.
TEST_F(KeywordScanTest, UnreadableFilesAreReportedAndTheScanGoesOn)
{
    const std::string missing = Missing("gone050206.txt");
    const std::vector<std::string> files{
        Write("a050206.txt", "P1:e1:050206:0800:sexe\r\n"),
        missing,
        Write("b050206.txt", "P2:e2:050206:0900:sexe\r\n  P3:e3:050206:0901:sexe\r\nP4:e4:050206:0902:sexe\r\n"),
        Write("c050206.txt", "P5:e5:050206:1000:sexe"),
    };
    const std::vector<std::string> expected{
        "R0 sexe | P1:e1: le 05/02/06: \xE0 08 h 00 min :sexe",
        "P 1/4",
        "E Impossible d'ouvrir le fichier " + missing,
        "P 2/4",
        "R2 sexe | P2:e2: le 05/02/06: \xE0 09 h 00 min :sexe",
        "R2 sexe | P4:e4: le 05/02/06: \xE0 09 h 02 min :sexe",
        "E Niveau incorrect (2) pour l'\xE9l\xE9ment \"P3:e3:050206:0901:sexe\"",
        "P 3/4",
        "R3 sexe | P5:e5: le 05/02/06: \xE0 10 h 00 min :sexe",
        "P 4/4",
    };
    for (const unsigned threads : {1u, 3u}) {
        const Run run = Scan(files, kWords, {threads, nullptr});
        EXPECT_FALSE(run.allRead);
        EXPECT_EQ(run.events, expected) << "threads " << threads;
    }
}

// The scan matches each line's text without its leading blanks, and rewrites
// that text.
TEST_F(KeywordScanTest, LinesAreMatchedAndRewrittenWithoutTheirIndent)
{
    const std::string file = Write("k050206.txt", "\t sexe:e0:050206:0700:a\r\nP1:e1:050206:0800:b\n\tx seins nu\r\n");
    const Run run = Scan({file}, TextList{" seins nu", "\tx", "sexe"}, {1, nullptr});
    EXPECT_EQ(run.events, (std::vector<std::string>{"R0 sexe | sexe:e0: le 05/02/06: \xE0 07 h 00 min :a",
                                                    "R0  seins nu | x seins nu le // \xE0  m h in ", "P 1/1"}));
}

// A NUL that a crafted request put into the proxy's log is a byte of its
// line: the line holding it and every later line are still searched, and the
// result keeps the byte.
TEST_F(KeywordScanTest, ANulByteHidesNoLaterLine)
{
    const std::string file = Write("k050206.txt", std::string("a\0sexe\r\nP1:e1\0:050206:0800:sexy\r\nseins nu\0", 42));
    const Run run = Scan({file}, kWords, {1, nullptr});
    ASSERT_EQ(run.events.size(), 4u);
    EXPECT_EQ(run.events[0], std::string("R0 sexe | a\0sexe le // \xE0  m h in ", 33));
    EXPECT_EQ(run.events[1].substr(0, 20), std::string("R0 sexy | P1:e1\0: le", 20));
    EXPECT_EQ(run.events[2].substr(0, 22), std::string("R0 seins nu | seins nu", 22));
    EXPECT_EQ(run.events[3], "P 1/1");
}

TEST_F(KeywordScanTest, CancelStopsDelivery)
{
    std::vector<std::string> files;
    std::string bytes;
    for (int line = 0; line < 5000; ++line)
        bytes += "P1:e1:050206:0800:sexe\r\n";
    for (int f = 0; f < 12; ++f)
        files.push_back(Write(std::string("k") + std::to_string(f) + "050206.txt", bytes));

    for (const unsigned threads : {1u, 4u}) {
        std::atomic<bool> cancel{false};
        const Run run = Scan(files, kWords, {threads, &cancel}, [&](std::size_t results) {
            if (results == 3)
                cancel = true;
        });
        EXPECT_FALSE(run.allRead);
        EXPECT_EQ(run.events.size(), 3u) << "threads " << threads;

        // Cancelled before it starts: nothing at all.
        const Run none = Scan(files, kWords, {threads, &cancel});
        EXPECT_FALSE(none.allRead);
        EXPECT_TRUE(none.events.empty());
    }
}

TEST_F(KeywordScanTest, AResultCallbackThatThrowsEndsTheScan)
{
    std::vector<std::string> files;
    for (int f = 0; f < 9; ++f)
        files.push_back(Write(std::string("k") + std::to_string(f) + "050206.txt", "P1:e1:050206:0800:sexe\r\n"));
    KeywordScanEvents events;
    events.onResult = [](KeywordResult&& r) {
        if (r.fileIndex == 4)
            throw std::runtime_error("view full");
    };
    KeywordScanOptions options;
    options.threads = 3;
    EXPECT_THROW(RunKeywordScan(files, kWords, events, options), std::runtime_error);
}

} // namespace
} // namespace kiv
