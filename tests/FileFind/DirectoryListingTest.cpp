#include "FileFind/DirectoryListing.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kiv {
namespace {

using test::TempTree;

std::vector<std::string> Names(const std::vector<TSearchRec>& entries)
{
    std::vector<std::string> names;
    for (const TSearchRec& e : entries)
        names.push_back(e.Name);
    return names;
}

TEST(ListDirectory, GivesEveryEntryInNameOrder)
{
    TempTree tree;
    tree.File("c060207.txt");
    tree.File("B060206.TXT", "12345");
    tree.File("a060206.txt");
    tree.Dir("sub");

    const auto entries = ListDirectory(tree.Folder());
    EXPECT_EQ(Names(entries), (std::vector<std::string>{"a060206.txt", "B060206.TXT", "c060207.txt", "sub"}));

    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[1].Size, 5u);
    EXPECT_EQ(entries[1].Attr & kAttrDirectory, 0);
    EXPECT_NE(entries[3].Attr & kAttrDirectory, 0);
    EXPECT_GT(entries[1].Time, 0);

    // Without the final separator the same folder is listed.
    EXPECT_EQ(Names(ListDirectory(tree.Root().generic_string())), Names(entries));
}

TEST(ListDirectory, MissingFolderOrFileGivesNothing)
{
    TempTree tree;
    tree.File("plain.txt");
    EXPECT_TRUE(ListDirectory(tree.Folder() + "missing/").empty());
    EXPECT_TRUE(ListDirectory(tree.Folder() + "plain.txt").empty());
}

#ifndef _WIN32
TEST(ListDirectory, DotNamesAreHiddenOnThisSystem)
{
    TempTree tree;
    tree.File(".secret");
    tree.File("shown");
    const auto entries = ListDirectory(tree.Folder());
    ASSERT_EQ(Names(entries), (std::vector<std::string>{".secret", "shown"}));
    EXPECT_NE(entries[0].Attr & kAttrHidden, 0);
    EXPECT_EQ(entries[1].Attr & kAttrHidden, 0);
}
#endif

TEST(LookUpEntry, DescribesAFolderOrFileOrNothing)
{
    TempTree tree;
    tree.File("logs/a.txt", "abc");

    const auto folder = LookUpEntry(tree.Folder() + "logs");
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(folder->Name, "logs");
    EXPECT_NE(folder->Attr & kAttrDirectory, 0);

    const auto file = LookUpEntry(tree.Folder() + "logs/a.txt");
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->Name, "a.txt");
    EXPECT_EQ(file->Size, 3u);
    EXPECT_EQ(file->Attr & kAttrDirectory, 0);

    EXPECT_FALSE(LookUpEntry(tree.Folder() + "nothing").has_value());
    EXPECT_FALSE(LookUpEntry("").has_value());
}

} // namespace
} // namespace kiv
