#include "FileFind/TFileSearch.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include "tests/support/Latch.h"
#include <string>
#include <thread>
#include <vector>

namespace kiv {
namespace {

using test::TempTree;
using Paths = std::vector<std::string>;

// Records every event of a finder, in order, as "folder <path>", "file <path>"
// and "finish" lines.
struct EventLog {
    explicit EventLog(TFileSearch& search)
    {
        search.OnChangeFolder = [this](const std::string& path, const TSearchRec& info) {
            lines.push_back("folder " + path);
            folderInfos.push_back(info);
        };
        search.OnFileFind = [this](const std::string& path, const TSearchRec& info) {
            lines.push_back("file " + path + info.Name);
        };
        search.OnFinish = [this](TFileSearch& sender) {
            lines.push_back("finish");
            foundAtFinish = sender.FilesFound();
        };
    }

    std::vector<std::string> Folders() const
    {
        std::vector<std::string> folders;
        for (const std::string& line : lines)
            if (line.rfind("folder ", 0) == 0)
                folders.push_back(line.substr(7));
        return folders;
    }

    int Count(const std::string& prefix) const
    {
        int n = 0;
        for (const std::string& line : lines)
            n += line.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

    std::vector<std::string> lines;
    std::vector<TSearchRec> folderInfos;
    Paths foundAtFinish;
};

// Runs the test inside a folder of its own, the previous current directory
// restored afterwards.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& folder) : saved_(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~CurrentDirectory() { std::filesystem::current_path(saved_); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::filesystem::path saved_;
};

TEST(TFileSearch, Defaults)
{
    TFileSearch search;
    EXPECT_FALSE(search.Stop());
    EXPECT_TRUE(search.KeepFilesFound());
    EXPECT_TRUE(search.Check4Duplicates());
    EXPECT_TRUE(search.RecurseSubFolders());
    EXPECT_TRUE(search.SearchFile().empty());
    EXPECT_TRUE(search.FilesFound().empty());
}

TEST(TFileSearch, DayMaskCollectsMatchingFilesInNameOrder)
{
    TempTree tree;
    tree.File("c060207.txt");
    tree.File("B060206.TXT");
    tree.File("a060206.txt");
    const std::string f = tree.Folder();

    TFileSearch search;
    search.SetRecurseSubFolders(false);
    EventLog log(search);
    search.SetSearchFile(f + "*060206.txt");
    EXPECT_TRUE(search.Execute());

    EXPECT_EQ(search.FilesFound(), (Paths{f + "a060206.txt", f + "B060206.TXT"}));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"folder " + f, "file " + f + "a060206.txt",
                                                   "file " + f + "B060206.TXT", "finish"}));
    // The folder's own entry comes with the first folder event.
    ASSERT_EQ(log.folderInfos.size(), 1u);
    EXPECT_EQ(log.folderInfos[0].Name, tree.Root().filename().string());
    EXPECT_NE(log.folderInfos[0].Attr & kAttrDirectory, 0);
    EXPECT_EQ(log.foundAtFinish, search.FilesFound());
}

TEST(TFileSearch, MaskListsReadEachMaskRelativeToThePreviousFolder)
{
    TempTree tree;
    tree.File("a.txt");
    tree.File("b.txt");
    tree.File("a.dat");
    tree.File("sub/c.log");
    tree.File("sub/d.dat");
    const std::string f = tree.Folder();

    struct Case {
        std::string masks;
        bool check4Duplicates;
        Paths found;
        std::vector<std::string> folders;
    };
    const Case cases[] = {
        {f + "*.txt;*.TXT", true, {f + "a.txt", f + "b.txt"}, {f, f}},
        {f + "*.txt;*.TXT", false, {f + "a.txt", f + "b.txt", f + "a.txt", f + "b.txt"}, {f, f}},
        // Duplicates keep the place of their first finding.
        {f + "*.txt;a*", true, {f + "a.txt", f + "b.txt", f + "a.dat"}, {f, f}},
        {f + "*.txt;sub/*.log", true, {f + "a.txt", f + "b.txt", f + "sub/c.log"}, {f, f + "sub/"}},
        {f + "*.txt;sub/*.log;*.dat", true, {f + "a.txt", f + "b.txt", f + "sub/c.log", f + "sub/d.dat"},
         {f, f + "sub/", f + "sub/"}},
        // A final ";" adds no mask.
        {f + "*.txt;", true, {f + "a.txt", f + "b.txt"}, {f}},
    };
    for (const Case& c : cases) {
        TFileSearch search;
        search.SetRecurseSubFolders(false);
        search.SetCheck4Duplicates(c.check4Duplicates);
        EventLog log(search);
        search.SetSearchFile(c.masks);
        EXPECT_TRUE(search.Execute());
        EXPECT_EQ(search.FilesFound(), c.found) << c.masks;
        EXPECT_EQ(log.Folders(), c.folders) << c.masks;
        EXPECT_EQ(log.Count("finish"), 1) << c.masks;
    }
}

TEST(TFileSearch, DuplicateCheckFoldsAsciiLettersOnly)
{
    TempTree tree;
    tree.File("AB.txt");
    tree.File("ab.txt");
    tree.File("\xC9t\xE9.txt");
    tree.File("\xE9t\xE9.txt");
    const std::string f = tree.Folder();
    // A file system that ignores letter case holds one file for both names.
    int fileCount = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(tree.Root()))
        ++fileCount;
    if (fileCount != 4)
        GTEST_SKIP() << "the file system folds letter case";

    TFileSearch search;
    search.SetSearchFile(f + "*");
    search.Execute();
    EXPECT_EQ(search.FilesFound(), (Paths{f + "AB.txt", f + "\xC9t\xE9.txt", f + "\xE9t\xE9.txt"}));

    search.SetCheck4Duplicates(false);
    search.Execute();
    EXPECT_EQ(search.FilesFound().size(), 4u);
}

TEST(TFileSearch, SubFoldersAreWalkedDepthFirstAfterTheFolderOwnFiles)
{
    TempTree tree;
    tree.File("root.txt");
    tree.File("a/a.txt");
    tree.File("a/b/b.txt");
    tree.File("a/b/c/c.txt");
    tree.File("z/z.txt");
    tree.File("z/skip.log");
    const std::string f = tree.Folder();

    TFileSearch search;
    EventLog log(search);
    search.SetSearchFile(f + "*.txt");
    search.Execute();
    EXPECT_EQ(log.Folders(), (std::vector<std::string>{f, f + "a/", f + "a/b/", f + "a/b/c/", f + "z/"}));
    EXPECT_EQ(search.FilesFound(),
              (Paths{f + "root.txt", f + "a/a.txt", f + "a/b/b.txt", f + "a/b/c/c.txt", f + "z/z.txt"}));
    // Each sub-folder's event carries that sub-folder's entry.
    ASSERT_EQ(log.folderInfos.size(), 5u);
    EXPECT_EQ(log.folderInfos[3].Name, "c");
    EXPECT_NE(log.folderInfos[3].Attr & kAttrDirectory, 0);

    search.SetRecurseSubFolders(false);
    search.Execute();
    EXPECT_EQ(log.Folders().back(), f);
    EXPECT_EQ(search.FilesFound(), Paths{f + "root.txt"});
}

TEST(TFileSearch, FolderWhoseNameMatchesIsCollectedLikeAFile)
{
    TempTree tree;
    tree.Dir("x060206.txt");
    tree.File("x060206.txt/inner060206.txt");
    const std::string f = tree.Folder();

    TFileSearch search;
    search.SetRecurseSubFolders(false);
    search.SetSearchFile(f + "*060206.txt");
    search.Execute();
    EXPECT_EQ(search.FilesFound(), Paths{f + "x060206.txt"});

    search.SetRecurseSubFolders(true);
    search.Execute();
    EXPECT_EQ(search.FilesFound(), (Paths{f + "x060206.txt", f + "x060206.txt/inner060206.txt"}));
}

TEST(TFileSearch, KeepFilesFoundOffStillReportsEveryEntry)
{
    TempTree tree;
    tree.File("a.txt");
    tree.File("b.txt");
    tree.File("sub/c.txt");

    TFileSearch search;
    search.SetKeepFilesFound(false);
    EventLog log(search);
    search.SetSearchFile(tree.Folder() + "*.txt");
    search.Execute();
    EXPECT_TRUE(search.FilesFound().empty());
    EXPECT_EQ(log.Count("file "), 3);
    EXPECT_EQ(log.Count("finish"), 1);
}

TEST(TFileSearch, StopEndsTheWalkButNotTheFinish)
{
    TempTree tree;
    tree.File("a1.txt");
    tree.File("a2.txt");
    tree.File("a3.txt");
    tree.File("deeper/a4.txt");
    tree.File("other/o.txt");
    const std::string f = tree.Folder();

    TFileSearch search;
    EventLog log(search);
    search.OnFileFind = [&](const std::string& path, const TSearchRec& info) {
        log.lines.push_back("file " + path + info.Name);
        search.SetStop(true);
    };
    search.SetSearchFile(f + "*.txt;other/*.txt");
    EXPECT_TRUE(search.Execute());

    // The entry being reported is still collected; nothing after it is.
    EXPECT_EQ(search.FilesFound(), Paths{f + "a1.txt"});
    // The later mask still announces its folder but lists nothing.
    EXPECT_EQ(log.lines, (std::vector<std::string>{"folder " + f, "file " + f + "a1.txt",
                                                   "folder " + f + "other/", "finish"}));
    EXPECT_TRUE(search.Stop());

    // The next walk starts with Stop cleared.
    search.OnFileFind = nullptr;
    search.Execute();
    EXPECT_FALSE(search.Stop());
    EXPECT_EQ(search.FilesFound().size(), 5u);
}

TEST(TFileSearch, NothingToFindStillFinishesOnce)
{
    TempTree tree;
    tree.File("a.log");
    const std::string f = tree.Folder();

    struct Case {
        std::string mask;
        bool folderFound;
    };
    const Case cases[] = {
        {f + "*.txt", true},
        {f + "missing/*.txt", false},
        // A file given as the folder: its own entry is found, but it lists nothing.
        {f + "a.log/*", true},
    };
    for (const Case& c : cases) {
        TFileSearch search;
        EventLog log(search);
        search.SetSearchFile(c.mask);
        EXPECT_TRUE(search.Execute()) << c.mask;
        EXPECT_TRUE(search.FilesFound().empty()) << c.mask;
        EXPECT_EQ(log.Count("finish"), 1) << c.mask;
        EXPECT_EQ(log.lines.back(), "finish") << c.mask;
        ASSERT_EQ(log.folderInfos.size(), 1u) << c.mask;
        if (!c.folderFound) {
            EXPECT_TRUE(log.folderInfos[0].Name.empty()) << c.mask;
            EXPECT_EQ(log.folderInfos[0].Attr, 0) << c.mask;
        }
    }
}

TEST(TFileSearch, MaskWithoutFolderListsTheCurrentDirectory)
{
    TempTree tree;
    tree.File("here.txt");
    tree.File("there.log");
    tree.File("sub/deep.txt");
    const CurrentDirectory inside(tree.Root());

    TFileSearch search;
    EventLog log(search);
    search.SetSearchFile("*.txt");
    search.Execute();
    EXPECT_EQ(search.FilesFound(), (Paths{"here.txt", "sub/deep.txt"}));
    EXPECT_EQ(log.Folders(), (std::vector<std::string>{"", "sub/"}));

    // An empty mask collects nothing.
    search.SetSearchFile("");
    EXPECT_TRUE(search.Execute());
    EXPECT_TRUE(search.FilesFound().empty());
    EXPECT_EQ(log.Count("finish"), 2);
}

TEST(TFileSearch, SearchFileCutsTheNamePatternAt255Bytes)
{
    TFileSearch search;
    const std::string longMask(300, 'm');
    search.SetSearchFile(longMask);
    EXPECT_EQ(search.SearchFile(), longMask.substr(0, 255));
    search.SetSearchFile("short");
    EXPECT_EQ(search.SearchFile(), "short");
    search.SetSearchFile("dir/" + longMask);
    EXPECT_EQ(search.SearchFile(), "dir/" + longMask.substr(0, 255));
}

TEST(TFileSearch, ALogFolderOfMoreThan255BytesIsSearched)
{
    TempTree tree;
    const std::string deep = std::string(120, 'a') + "/" + std::string(120, 'b') + "/" + std::string(60, 'c');
    tree.File(deep + "/web060206.txt");
    const std::string folder = tree.Folder() + deep + "/";
    ASSERT_GT(folder.size(), 300u);
    TFileSearch search;
    search.SetSearchFile(folder + "*060206.txt");
    EXPECT_TRUE(search.Execute());
    EXPECT_EQ(search.FilesFound(), (Paths{folder + "web060206.txt"}));
}

TEST(TFileSearch, ExecuteFromAnEventHandlerIsRefused)
{
    TempTree tree;
    tree.File("a.txt");
    tree.File("b.txt");
    const std::string f = tree.Folder();

    TFileSearch search;
    EventLog log(search);
    std::vector<bool> nestedResults;
    search.OnFileFind = [&](const std::string& path, const TSearchRec& info) {
        log.lines.push_back("file " + path + info.Name);
        nestedResults.push_back(search.Execute());
    };
    search.OnFinish = [&](TFileSearch& sender) {
        log.lines.push_back("finish");
        nestedResults.push_back(sender.Execute());
    };
    search.SetSearchFile(f + "*.txt");
    EXPECT_TRUE(search.Execute());
    EXPECT_EQ(nestedResults, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(search.FilesFound(), (Paths{f + "a.txt", f + "b.txt"}));
    EXPECT_EQ(log.Count("folder "), 1);
    EXPECT_EQ(log.Count("finish"), 1);
}

TEST(TFileSearch, HandlerExceptionPassesOutAndTheFinderStaysUsable)
{
    TempTree tree;
    tree.File("a.txt");
    tree.File("b.txt");
    tree.File("c.txt");
    const std::string f = tree.Folder();

    TFileSearch search;
    EventLog log(search);
    search.OnFileFind = [&](const std::string& path, const TSearchRec& info) {
        if (info.Name == "b.txt")
            throw std::runtime_error("handler failed");
        log.lines.push_back("file " + path + info.Name);
    };
    search.SetSearchFile(f + "*.txt");
    EXPECT_THROW(search.Execute(), std::runtime_error);
    EXPECT_EQ(search.FilesFound(), Paths{f + "a.txt"});
    EXPECT_EQ(log.Count("finish"), 0);

    search.OnFileFind = nullptr;
    search.OnFinish = [](TFileSearch&) { throw std::logic_error("finish failed"); };
    EXPECT_THROW(search.Execute(), std::logic_error);
    EXPECT_EQ(search.FilesFound().size(), 3u);

    search.OnFinish = nullptr;
    EXPECT_TRUE(search.Execute());
    EXPECT_EQ(search.FilesFound().size(), 3u);
}

TEST(TFileSearch, HandlersMayReplaceThemselvesWhileRunning)
{
    TempTree tree;
    tree.File("a.txt");
    tree.File("b.txt");

    TFileSearch search;
    std::vector<std::string> seen;
    // The captured text makes the handler own memory that its replacement
    // would free while it still runs.
    const std::string tag(200, 'x');
    search.OnFileFind = [&search, &seen, tag](const std::string&, const TSearchRec& info) {
        search.OnFileFind = [&seen](const std::string&, const TSearchRec& next) { seen.push_back("2 " + next.Name); };
        seen.push_back(std::to_string(tag.size()) + " " + info.Name);
    };
    search.OnFinish = [&seen, tag](TFileSearch& sender) {
        sender.OnFinish = nullptr;
        seen.push_back(tag.substr(0, 1) + " finish");
    };
    search.SetSearchFile(tree.Folder() + "*.txt");
    search.Execute();
    EXPECT_EQ(seen, (std::vector<std::string>{"200 a.txt", "2 b.txt", "x finish"}));
}

TEST(TFileSearch, StopAndExecuteFromAnotherThread)
{
    TempTree tree;
    tree.File("a.txt");
    tree.File("b.txt");
    tree.File("c.txt");

    TFileSearch search;
    kivtest::Latch firstFound(1);
    kivtest::Latch stopSet(1);
    int calls = 0;
    bool stopSeen = false;
    search.OnFileFind = [&](const std::string&, const TSearchRec&) {
        // The walk waits in its first file for the other thread's stop.
        if (calls++ > 0)
            return;
        firstFound.count_down();
        stopSet.wait();
        stopSeen = search.Stop();
    };
    search.SetSearchFile(tree.Folder() + "*.txt");

    bool workerResult = false;
    std::thread worker([&] { workerResult = search.Execute(); });
    firstFound.wait();
    const bool secondResult = search.Execute();
    search.SetStop(true);
    stopSet.count_down();
    worker.join();

    EXPECT_FALSE(secondResult);
    EXPECT_TRUE(workerResult);
    EXPECT_TRUE(stopSeen);
    EXPECT_EQ(search.FilesFound().size(), 1u);
}

TEST(TFileSearch, PumpsMessagesThroughTheWalk)
{
    TempTree tree;
    tree.File("a.txt");
    tree.File("b.txt");
    tree.File("c.log");
    tree.Dir("sub");

    TFileSearch search;
    search.SetRecurseSubFolders(false);
    int pumps = 0;
    search.ProcessMessages = [&] { ++pumps; };
    search.SetSearchFile(tree.Folder() + "*.txt");
    search.Execute();
    // Once per entry found, twice per entry looked at for sub-folders.
    EXPECT_EQ(pumps, 2 + 2 * 4);
}

#ifndef _WIN32
TEST(TFileSearch, LinkBackUpTheTreeDoesNotLoop)
{
    TempTree tree;
    tree.File("a.txt");
    std::filesystem::create_directory_symlink(tree.Root(), tree.Root() / "loop");
    const std::string f = tree.Folder();

    TFileSearch search;
    EventLog log(search);
    search.SetSearchFile(f + "*");
    search.Execute();
    EXPECT_EQ(search.FilesFound(), (Paths{f + "a.txt", f + "loop"}));
    EXPECT_EQ(log.Folders(), std::vector<std::string>{f});
}
#endif

} // namespace
} // namespace kiv
