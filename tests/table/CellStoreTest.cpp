#include "logscan/KivError.h"
#include "table/CellStore.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kiv {
namespace {

TEST(CellStore, SetReadAndClearOneCell)
{
    CellStore store;
    EXPECT_EQ(store.CellText(3, 1), "");
    store.SetCellText(3, 1, "x");
    EXPECT_EQ(store.CellText(3, 1), "x");
    // Neighbours in the same row and column stay empty.
    EXPECT_EQ(store.CellText(2, 1), "");
    EXPECT_EQ(store.CellText(3, 0), "");
    EXPECT_EQ(store.CellText(3, 2), "");
    store.SetCellText(3, 1, "");
    EXPECT_EQ(store.CellText(3, 1), "");
}

TEST(CellStore, EmptyTextDropsTheCellAndAnEmptiedRow)
{
    CellStore store;
    store.SetCellText(0, 1, "a");
    store.SetCellText(5, 1, "b");
    store.SetCellText(0, 2, "c");
    EXPECT_EQ(store.StoredCellCount(), 3u);
    EXPECT_EQ(store.StoredRowCount(), 2u);

    store.SetCellText(0, 1, "");
    EXPECT_EQ(store.StoredCellCount(), 2u);
    EXPECT_EQ(store.StoredRowCount(), 2u);
    store.SetCellText(5, 1, "");
    EXPECT_EQ(store.StoredRowCount(), 1u);
    // Clearing a cell that holds nothing creates nothing.
    store.SetCellText(7, 9, "");
    EXPECT_EQ(store.StoredCellCount(), 1u);
    EXPECT_EQ(store.StoredRowCount(), 1u);
    EXPECT_EQ(store.CellText(0, 2), "c");
}

TEST(CellStore, KeepsCellsOfAnySizeAndBytes)
{
    CellStore store;
    // Beyond the eight columns and three rows of the room table.
    store.SetCellText(8, 1, "x");
    store.SetCellText(1000, 5000, "far");
    EXPECT_EQ(store.CellText(8, 1), "x");
    EXPECT_EQ(store.CellText(1000, 5000), "far");
    const std::string bytes("\r\xE9l\xE8ve\0\x81", 8);
    store.SetCellText(2, 1, bytes);
    EXPECT_EQ(store.CellText(2, 1), bytes);
}

TEST(CellStore, AppendGrowsOneCellOnly)
{
    CellStore store;
    store.AppendCellText(0, 1, "\rS514PC03 08h25-16h10 eleve12 E");
    store.AppendCellText(0, 1, "\rS514PC04 08h30- eleve13 E");
    store.AppendCellText(1, 1, "");
    EXPECT_EQ(store.CellText(0, 1), "\rS514PC03 08h25-16h10 eleve12 E\rS514PC04 08h30- eleve13 E");
    EXPECT_EQ(store.StoredCellCount(), 1u);
}

// A grid prepares for what its store is about to change: every write that
// changes a cell, told before it is made (the cell still holds its former
// text), and nothing for a write that changes nothing.
TEST(CellStore, TellsEachChangeBeforeItIsMade)
{
    CellStore store;
    std::vector<std::string> told;
    store.SetOnChange([&](const CellStore::CellChange& change) {
        told.push_back(std::to_string(change.col) + "," + std::to_string(change.row) + (change.append ? " +" : " =") +
                       std::string(change.text) + " was " + store.CellText(change.col, change.row));
    });
    store.SetCellText(2, 0, "8h25");
    store.AppendCellText(0, 1, "\rS514PC03");
    store.AppendCellText(0, 1, "");
    store.SetCellText(5, 1, "");
    store.SetCellText(2, 0, "");
    EXPECT_THROW(store.SetCellText(-1, 0, "x"), KivError);
    EXPECT_EQ(told, (std::vector<std::string>{"2,0 =8h25 was ", "0,1 +\rS514PC03 was ", "2,0 = was 8h25"}));
    EXPECT_EQ(store.CellText(2, 0), "");
    EXPECT_EQ(store.CellText(0, 1), "\rS514PC03");
}

TEST(CellStore, NegativeIndexesAreReportedWhereTheyAreLookedUp)
{
    CellStore store;
    store.SetCellText(0, 1, "a");
    const auto messageOf = [](auto&& action) -> std::string {
        try {
            action();
        } catch (const KivError& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(messageOf([&] { store.CellText(0, -1); }), "Indice de liste hors limites (-1)");
    EXPECT_EQ(messageOf([&] { store.CellText(-2, 1); }), "Indice de liste hors limites (-2)");
    EXPECT_EQ(messageOf([&] { store.SetCellText(-1, 0, "x"); }), "Indice de liste hors limites (-1)");
    EXPECT_EQ(messageOf([&] { store.SetCellText(0, -3, "x"); }), "Indice de liste hors limites (-3)");
    EXPECT_EQ(messageOf([&] { store.AppendCellText(-1, 1, "x"); }), "Indice de liste hors limites (-1)");
    // A row without entries has no column to look up: empty text, no error.
    EXPECT_EQ(store.CellText(-1, 2), "");
    // A failed write changes nothing.
    EXPECT_EQ(store.StoredCellCount(), 1u);
}

} // namespace
} // namespace kiv
