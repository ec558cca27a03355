#include "jobs/DayWatch.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <future>
#include <thread>

namespace kiv {
namespace {

namespace fs = std::filesystem;

// What happens to the log folder between two looks of the watch.
enum class Op { Append, Rewrite, Replace, Recreate, HideFolder, RestoreFolder, NextDay };

struct Step {
    Op op;
    std::string file;  // in the log folder
    std::string bytes; // appended, or the file's new content
    // The looks' results as "station:user bold-part", and the start of each error.
    std::vector<std::string> results;
    std::vector<std::string> errors = {};
};

struct WatchCase {
    std::string name;
    std::map<std::string, std::string> before; // the folder when the watch starts
    std::vector<Step> steps;
    TextList words = {"jeu"};
    bool catchUp = false;
    std::size_t longestLine = std::size_t{1} << 20;
};

void PrintTo(const WatchCase& c, std::ostream* out)
{
    *out << c.name;
}

// A line of 7 December 2026 as the server writes it.
std::string Line(const std::string& who, const std::string& what)
{
    return who + ":071226:1432:" + what;
}

class DayWatchTest : public ::testing::TestWithParam<WatchCase> {
protected:
    fs::path Logs() const { return tree_.Root() / "logs"; }

    void Apply(const Step& step)
    {
        const fs::path path = Logs() / step.file;
        switch (step.op) {
        case Op::Append:
            std::ofstream(path, std::ios::binary | std::ios::app) << step.bytes;
            break;
        case Op::Rewrite: // the same file, cut and written again
            std::ofstream(path, std::ios::binary | std::ios::trunc) << step.bytes;
            break;
        case Op::Replace: // another file put in its place
            std::ofstream(tree_.Root() / "new", std::ios::binary) << step.bytes;
            fs::rename(tree_.Root() / "new", path);
            break;
        case Op::Recreate: // removed and written again (the system may give it the same inode)
            fs::remove(path);
            std::ofstream(path, std::ios::binary) << step.bytes;
            break;
        case Op::HideFolder:
            fs::rename(Logs(), tree_.Root() / "away");
            break;
        case Op::RestoreFolder:
            fs::rename(tree_.Root() / "away", Logs());
            break;
        case Op::NextDay:
            today_ = {2026, 12, 8};
            break;
        }
        // Each write a second after the one before, as the server's are: a
        // file rewritten within the clock's tick keeps its time.
        std::error_code ec;
        if (!step.bytes.empty() && fs::is_regular_file(path, ec))
            fs::last_write_time(path, start_ + std::chrono::seconds(++writes_), ec);
    }

    fs::file_time_type start_ = fs::file_time_type::clock::now() - std::chrono::hours(2);
    int writes_ = 0;

    test::TempTree tree_;
    LogDate today_{2026, 12, 7};
};

// Every case is read a byte at a time, a few bytes at a time and in the
// pieces the program uses: a line, a CR LF or a word cut between two pieces
// must make no difference.
TEST_P(DayWatchTest, DeliversWhatTheDaysFilesGainOnce)
{
    const WatchCase& c = GetParam();
    for (const std::size_t pieceSize : {std::size_t{1}, std::size_t{7}, DayWatchRequest{}.pieceSize}) {
        SCOPED_TRACE("pieces of " + std::to_string(pieceSize));
        fs::remove_all(tree_.Root());
        fs::create_directories(Logs());
        today_ = {2026, 12, 7};
        for (const auto& [name, bytes] : c.before)
            std::ofstream(Logs() / name, std::ios::binary) << bytes;
        // A folder left alone for an hour: the watch trusts its last listing
        // until a file comes or goes. (The C++ library of MinGW cannot set a
        // folder's time: there every look lists the folder.)
        std::error_code ec;
        fs::last_write_time(Logs(), fs::file_time_type::clock::now() - std::chrono::hours(1), ec);

        std::vector<std::string> results, errors;
        DayWatchEvents events;
        events.onResults = [&](std::vector<KeywordSearchResult>&& batch) {
            EXPECT_FALSE(batch.empty());
            for (const KeywordSearchResult& r : batch) {
                const std::size_t second = r.line.find(':', r.line.find(':') + 1);
                results.push_back(r.line.substr(0, second) + " " + r.line.substr(r.boldStart, r.boldLength));
            }
        };
        events.onError = [&](const std::string& message) { errors.push_back(message); };
        DayWatchRequest request{Logs(), c.words, std::nullopt, c.catchUp};
        request.pieceSize = pieceSize;
        request.longestLine = c.longestLine;
        DayWatch watch(request, events, [this] { return today_; });

        watch.Look();
        std::size_t stepIndex = 0;
        for (const Step& step : c.steps) {
            SCOPED_TRACE("step " + std::to_string(stepIndex++));
            results.clear();
            errors.clear();
            Apply(step);
            watch.Look();
            EXPECT_EQ(results, step.results);
            ASSERT_EQ(errors.size(), step.errors.size());
            for (std::size_t i = 0; i < errors.size(); ++i)
                EXPECT_EQ(errors[i].rfind(step.errors[i], 0), 0u) << errors[i];
        }
    }
}

const std::string kWeb = "web071226.txt";
const std::string kOld = Line("P0:e0", "jeu d'avant") + "\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, DayWatchTest,
    ::testing::Values(
        WatchCase{"LinesAppendedInPiecesComeWholeOnceTheirBreakIsWritten",
                  {{kWeb, kOld + Line("P1:e1", "un j")}},
                  {{Op::Append, kWeb, "e", {}},
                   {Op::Append, kWeb, "u\r", {"P1:e1 jeu"}},
                   // The LF of that CR LF makes no empty line; the rest comes whole.
                   {Op::Append, kWeb, "\n" + Line("P2:e2", "rien") + "\r\n" + Line("P3:e3", "JEU"), {}},
                   {Op::Append, kWeb, "\r\n", {"P3:e3 JEU"}},
                   {Op::Append, kWeb, "", {}}}},
        WatchCase{"WordsInAnyLetterCaseAndWindows1252Bytes",
                  {{kWeb, kOld}},
                  {{Op::Append, kWeb,
                    Line("P1:e1", "jEu") + "\n" + Line("P2:e2", "\xC9T\xC9") + "\n" + Line("P3:e3", "l'\xE9t\xE9") +
                        "\n",
                    {"P1:e1 jEu", "P3:e3 \xE9t\xE9"}}},
                  {"JEU", "\xE9t\xE9"}},
        WatchCase{"AFileOfTheDayThatAppearsIsReadFromItsStartOthersAreLeft",
                  {{kWeb, kOld}},
                  {{Op::Append, "zz071226.txt", Line("P1:e1", "jeu") + "\r\n" + Line("P2:e2", "jeu") + "\r\n",
                    {"P1:e1 jeu", "P2:e2 jeu"}},
                   {Op::Append, "web061226.txt", Line("P3:e3", "jeu") + "\r\n", {}},
                   {Op::Append, "web071226.log", Line("P4:e4", "jeu") + "\r\n", {}}}},
        WatchCase{"AtMidnightTheOldDayEndsWithItsLastLineThenTheNewDayIsRead",
                  {{kWeb, kOld}},
                  {{Op::Append, kWeb, Line("P1:e1", "jeu sans fin de ligne"), {}},
                   {Op::Append, "web081226.txt", Line("P2:e2", "jeu du lendemain") + "\r\n", {}},
                   {Op::NextDay, "", "", {"P1:e1 jeu", "P2:e2 jeu"}},
                   {Op::Append, kWeb, "\r\n" + Line("P3:e3", "jeu en retard") + "\r\n", {}},
                   {Op::Append, "web081226.txt", Line("P4:e4", "jeu") + "\r\n", {"P4:e4 jeu"}}}},
        WatchCase{"AFileCutShorterOrReplacedIsReadAgainFromItsStartAndSaysSo",
                  {{kWeb, kOld + kOld}},
                  {{Op::Rewrite, kWeb, Line("P1:e1", "jeu") + "\r\n", {"P1:e1 jeu"}, {"Le fichier "}},
                   // Another file of exactly the same size: only its identity tells.
                   {Op::Replace, kWeb, Line("P2:e2", "jeu") + "\r\n", {"P2:e2 jeu"}, {"Le fichier "}},
                   {Op::Append, kWeb, Line("P3:e3", "jeu") + "\r\n", {"P3:e3 jeu"}}}},
        WatchCase{"AFileCutThenGrownAgainGivesOnlyItsNewLines",
                  {{kWeb, kOld + kOld + kOld}},
                  {{Op::Rewrite, kWeb, Line("P1:e1", "jeu") + "\r\n", {"P1:e1 jeu"}, {"Le fichier "}},
                   {Op::Append, kWeb, Line("P2:e2", "jeu") + "\r\n" + Line("P3:e3", "jeu") + "\r\n",
                    {"P2:e2 jeu", "P3:e3 jeu"}}}},
        WatchCase{"AFileRefilledPastItsSizeOrRewrittenAtItsSizeIsReadAgain",
                  {{kWeb, kOld}},
                  {// Cut and refilled larger between two looks: its size only grew.
                   {Op::Rewrite, kWeb, Line("P1:e1", "jeu un") + "\r\n" + Line("P2:e2", "jeu deux") + "\r\n",
                    {"P1:e1 jeu", "P2:e2 jeu"}, {"Le fichier "}},
                   // The same size, other bytes, in place or in a new file.
                   {Op::Rewrite, kWeb, Line("P3:e3", "jeu un") + "\r\n" + Line("P4:e4", "jeu de2") + "\r\n",
                    {"P3:e3 jeu", "P4:e4 jeu"}, {"Le fichier "}},
                   {Op::Recreate, kWeb, Line("P5:e5", "jeu un") + "\r\n" + Line("P6:e6", "jeu de3") + "\r\n",
                    {"P5:e5 jeu", "P6:e6 jeu"}, {"Le fichier "}},
                   {Op::Append, kWeb, Line("P7:e7", "jeu") + "\r\n", {"P7:e7 jeu"}}}},
        WatchCase{"AVanishedFolderIsReportedOnceAndFollowedAgainWhenItReturns",
                  {{kWeb, kOld}},
                  {{Op::HideFolder, "", "", {}, {"Impossible d'ouvrir le dossier "}},
                   {Op::Append, "", "", {}},
                   {Op::RestoreFolder, "", "", {}},
                   {Op::Append, kWeb, Line("P1:e1", "jeu") + "\r\n", {"P1:e1 jeu"}},
                   {Op::HideFolder, "", "", {}, {"Impossible d'ouvrir le dossier "}}}},
        WatchCase{"ARefusedIndentationIsToldOnceAndTheLinesAfterItStillCome",
                  {{kWeb, kOld}},
                  {{Op::Append, kWeb, "\t" + Line("P1:e1", "jeu") + "\r\n", {"P1:e1 jeu"}},
                   // Two steps deeper than the line before it, read in an earlier look.
                   {Op::Append, kWeb, "\t\t\t" + Line("P2:e2", "jeu") + "\r\n" + "\t\t" + Line("P3:e3", "jeu") + "\r\n",
                    {"P3:e3 jeu"}, {"Niveau incorrect (3)"}},
                   // Checked against the last line accepted; told once a file.
                   {Op::Append, kWeb, "    " + Line("P4:e4", "jeu") + "\r\n" + "   " + Line("P5:e5", "jeu") + "\r\n",
                    {"P5:e5 jeu"}, {}},
                   {Op::Append, kWeb, Line("P6:e6", "jeu") + "\r\n", {"P6:e6 jeu"}}}},
        WatchCase{"TheLfOfACrLfInTheNextLookIsNoLineAndTheIndentedLineAfterIsTaken",
                  {{kWeb, kOld}},
                  {{Op::Append, kWeb, "\t" + Line("P1:e1", "jeu") + "\r", {"P1:e1 jeu"}},
                   // Two steps: one more than the line before, not than an empty line.
                   {Op::Append, kWeb, "\n\t\t" + Line("P2:e2", "jeu") + "\r\n", {"P2:e2 jeu"}}}},
        WatchCase{"AtMidnightAFileReadToItsLastBreakGivesNothingAgain",
                  {{kWeb, kOld}},
                  {{Op::Append, kWeb, Line("P1:e1", "jeu") + "\r\n", {"P1:e1 jeu"}},
                   {Op::NextDay, "", "", {}}}},
        // Lines longer than a piece of reading, so that the line is too long
        // whatever the pieces.
        WatchCase{"ALineTooLongToKeepComesAsItsStartWithTheFirstWordFoundInIt",
                  {{kWeb, kOld}},
                  {{Op::Append, kWeb, Line("P1:e1", std::string(300'000, 'x') + "sexe" + std::string(300'000, 'y')) + "\r\n",
                    {"P1:e1 "}},
                   // A word of the list before it in the line's start comes first.
                   {Op::Append, kWeb,
                    Line("P2:e2", "jeu" + std::string(300'000, 'x') + "sexe") + "\r\n" + Line("P3:e3", "jeu") + "\r\n",
                    {"P2:e2 ", "P3:e3 jeu"}},
                   {Op::Append, kWeb, Line("P4:e4", std::string(600'000, 'z')) + "\r\n" + Line("P5:e5", "jeu") + "\r\n",
                    {"P5:e5 jeu"}}},
                  {"sexe", "jeu"},
                  false,
                  64}),
    [](const auto& info) { return info.param.name; });

// The first look of a catch-up is the day so far, before any step.
TEST(DayWatch, CatchUpStartsWithTheDaySoFarAndPlainWatchDoesNot)
{
    test::TempTree tree;
    std::ofstream(tree.Root() / "web071226.txt", std::ios::binary) << kOld << Line("P9:e9", "jeu sans fin");
    for (const bool catchUp : {false, true}) {
        std::size_t count = 0;
        DayWatchEvents events;
        events.onResults = [&](std::vector<KeywordSearchResult>&& batch) { count += batch.size(); };
        DayWatch watch({tree.Root(), {"jeu"}, LogDate{2026, 12, 7}, catchUp}, events);
        watch.Look();
        // The unfinished line waits in both.
        EXPECT_EQ(count, catchUp ? 1u : 0u);
    }
}

// A stop ends a look between two pieces of a log: a log of a terabyte (a
// hole, read as zeros) is let go at once, and the lines read whole before the
// stop are all delivered. The look has a deadline: one that read on would fail.
TEST(DayWatch, AStopEndsALookBetweenTwoPiecesAndDeliversWhatWasRead)
{
    test::TempTree tree;
    const fs::path log = tree.Root() / "web071226.txt";
    {
        std::ofstream out(log, std::ios::binary);
        for (int i = 0; i < 3000; ++i)
            out << "P" << i << ":e:071226:1432:jeu\r\n";
    }
    std::error_code ec;
    fs::resize_file(log, std::uintmax_t{1} << 40, ec);
    if (ec)
        GTEST_SKIP() << "no file of a terabyte here: " << ec.message();
    std::atomic<bool> stop{false};
    std::size_t count = 0;
    DayWatchEvents events;
    // The first batch (2,048 results) comes while the first piece is searched.
    events.onResults = [&](std::vector<KeywordSearchResult>&& batch) {
        count += batch.size();
        stop = true;
    };
    DayWatchRequest request{tree.Root(), {"jeu"}, LogDate{2026, 12, 7}, true};
    request.cancel = &stop;
    DayWatch watch(request, events);
    std::promise<void> looked;
    std::thread look([&] {
        watch.Look();
        looked.set_value();
    });
    if (looked.get_future().wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        ADD_FAILURE() << "the look went on reading after the stop";
        std::_Exit(1); // the look cannot be called off otherwise
    }
    look.join();
    EXPECT_EQ(count, 3000u);
}

// A look that ended between two pieces (stopped, or the share failed) leaves
// the rest of the log to the next look, though the log did not change since.
TEST(DayWatch, TheNextLookGoesOnWhereAStoppedLookEnded)
{
    test::TempTree tree;
    {
        std::ofstream out(tree.Root() / "web071226.txt", std::ios::binary);
        for (int i = 0; i < 3000; ++i)
            out << "P" << i << ":e:071226:1432:jeu\r\n";
    }
    std::atomic<bool> stop{false};
    std::vector<std::string> stations;
    DayWatchEvents events;
    events.onResults = [&](std::vector<KeywordSearchResult>&& batch) {
        for (const KeywordSearchResult& r : batch)
            stations.push_back(r.line.substr(0, r.line.find(':')));
        stop = true; // the first batch (2,048) comes before the log's last piece is read
    };
    DayWatchRequest request{tree.Root(), {"jeu"}, LogDate{2026, 12, 7}, true};
    request.cancel = &stop;
    request.pieceSize = 4096;
    DayWatch watch(request, events);
    watch.Look();
    ASSERT_LT(stations.size(), 3000u);
    stop = false;
    watch.Look();
    ASSERT_EQ(stations.size(), 3000u);
    for (std::size_t i = 0; i < stations.size(); ++i)
        ASSERT_EQ(stations[i], 'P' + std::to_string(i));
}

// A watch stopped while it prepares a long list of words (the box unticked,
// Ctrl+C) does not wait for the preparation to end.
TEST(DayWatch, ItsStopCutsTheBuildOfTheWordList)
{
    test::TempTree tree;
    WatchPace pace;
    pace.Stop();
    DayWatchRequest request{tree.Root(), {"jeu"}, LogDate{2026, 12, 7}, false};
    request.cancel = pace.StopFlag();
    EXPECT_THROW(DayWatch(request, {}), BuildCancelled);
}

} // namespace
} // namespace kiv
