// The log folder as a Windows workstation names it: either separator, accents,
// more than MAX_PATH characters, a log that the server still holds open.
#ifdef _WIN32

#include "jobs/KeywordSearchJob.h"
#include "jobs/LogFolder.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace kiv {
namespace {

TEST(WindowsFolders, EitherSeparatorNamesTheSameFolder)
{
    test::TempTree tree;
    tree.File("Salle 1\\logs\\web050206.txt");
    const std::string root = PathBytes(tree.Root());
    for (const std::string& folder : {root + "\\Salle 1\\logs", root + "/Salle 1/logs/", root + "\\Salle 1/logs\\",
                                     tree.Folder() + "Salle 1\\logs/"}) {
        const LogFolderListing listing = ListLogFiles(PathFromBytes(folder), "*050206.txt");
        EXPECT_FALSE(listing.error) << folder;
        ASSERT_EQ(listing.files.size(), 1u) << folder;
        EXPECT_TRUE(listing.files[0].ends_with("web050206.txt")) << listing.files[0];
    }
}

TEST(WindowsFolders, ALogHeldOpenDeepInAnAccentedFolderIsSearched)
{
    test::TempTree tree;
    const std::string root = PathBytes(tree.Root());
    std::wstring made = L"\\\\?\\" + tree.Root().native();
    std::string folder = root;
    for (std::string part = "\xC3\x89l\xC3\xA8ves"; folder.size() < 300; part = std::string(40, 'd')) {
        folder += "\\" + part;
        made += L"\\" + PathFromBytes(part).native();
        ASSERT_TRUE(CreateDirectoryW(made.c_str(), nullptr));
    }
    const std::filesystem::path log = PathFromBytes(folder + "\\web050206.txt");
    ASSERT_TRUE(WriteFileBytes(log, "POSTE12:\xE9l\xE8ve07:050206:1432:jeu en ligne\r\n"));
    const HANDLE server = CreateFileW((made + L"\\web050206.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);

    std::vector<KeywordSearchResult> found;
    KeywordSearchEvents events;
    events.onResults = [&](std::vector<KeywordSearchResult>&& batch) {
        found.insert(found.end(), batch.begin(), batch.end());
    };
    const ScanOutcome outcome = RunKeywordSearch({PathFromBytes(folder), {2006, 2, 5}, SearchScope::Jour, {"jeu"}}, events);
    CloseHandle(server);

    EXPECT_TRUE(outcome.allRead);
    EXPECT_EQ(outcome.errors, std::vector<std::string>{});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].line.substr(0, 16), "POSTE12:\xE9l\xE8ve07:");

    const ScanOutcome missing =
        RunKeywordSearch({PathFromBytes(folder + "\\absent"), {2006, 2, 5}, SearchScope::Jour, {"jeu"}}, events);
    ASSERT_EQ(missing.errors.size(), 1u);
    EXPECT_EQ(missing.errors[0].substr(0, 31 + root.size() + 8),
              "Impossible d'ouvrir le dossier " + PathForMessage(tree.Root()) + "\\\xC9l\xE8ves\\");
}

} // namespace
} // namespace kiv

#endif
