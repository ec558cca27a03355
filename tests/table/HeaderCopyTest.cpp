#include "logscan/KivError.h"
#include "table/CellStore.h"
#include "table/OccupationTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <vector>

namespace kiv {
namespace {

namespace fs = std::filesystem;

// The room table's header list and header row: 8 columns, one fixed row.
// writes_ counts the writes of each header cell that the store reports.
class HeaderRow : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("kiv_header_copy_" + std::to_string(std::random_device{}()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        list_.Assign(InitialSlotHeaders());
        store_.SetOnChange([this](const CellStore::CellChange& change) {
            if (change.row == 0)
                ++writes_[change.col];
        });
    }
    void TearDown() override { fs::remove_all(dir_); }

    // The most times one header cell was written since the start.
    int MostWritesOfACell() const
    {
        int most = 0;
        for (const auto& [col, count] : writes_)
            most = std::max(most, count);
        return most;
    }

    void SetShape(int colCount, int fixedRows) { table_.SetShape(colCount, fixedRows); }

    fs::path WriteFile(const std::string& name, const std::string& bytes)
    {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::vector<std::string> Row0(int columns = 9) const
    {
        std::vector<std::string> row;
        for (int c = 0; c < columns; ++c)
            row.push_back(store_.CellText(c, 0));
        return row;
    }

    fs::path dir_;
    CellStore store_;
    OccupationTable table_{store_};
    OccupationTable::HeaderList& list_ = table_.ColumnHeaders();
    std::map<int, int> writes_;
};

TEST_F(HeaderRow, StartsWithTheInitialSlots)
{
    EXPECT_EQ(Row0(), (std::vector<std::string>{"8h25", "9h20", "10h30", "11h25", "12h35", "14h00", "15h00", "17h00", ""}));
}

struct LoadCase {
    const char* name;
    std::string content;
    std::vector<std::string> row0;
};

// ctest lists a case by its name rather than by its bytes.
void PrintTo(const LoadCase& c, std::ostream* out)
{
    *out << c.name;
}

class HeaderLoad : public HeaderRow, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(HeaderLoad, CopiesTheFileIntoTheHeaderRowOnce)
{
    list_.LoadFromFile(WriteFile("kiv_heures.txt", GetParam().content), "kiv_heures.txt");
    EXPECT_LE(MostWritesOfACell(), 1);
    EXPECT_EQ(Row0(), GetParam().row0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HeaderLoad,
    ::testing::Values(
        LoadCase{"ten_lines_show_the_first_eight",
                 "08h00\r\n09h00\r\n10h00\r\n11h00\r\n12h00\r\n13h00\r\n14h00\r\n15h00\r\n16h00\r\n17h00\r\n",
                 {"08h00", "09h00", "10h00", "11h00", "12h00", "13h00", "14h00", "15h00", ""}},
        LoadCase{"five_lines_keep_the_last_three_initial",
                 "08h00\r\n09h00\r\n10h00\r\n11h00\r\n12h00",
                 {"08h00", "09h00", "10h00", "11h00", "12h00", "14h00", "15h00", "17h00", ""}},
        LoadCase{"empty_file_changes_nothing", "",
                 {"8h25", "9h20", "10h30", "11h25", "12h35", "14h00", "15h00", "17h00", ""}},
        LoadCase{"backslash_n_becomes_a_line_break", "9h20\\n\r\n08h25\\nM1\r\n\\\\n",
                 {"9h20\r", "08h25\rM1", "\\\r", "11h25", "12h35", "14h00", "15h00", "17h00", ""}},
        LoadCase{"empty_entry_empties_its_header", "08h00\r\n\r\n10h00",
                 {"08h00", "", "10h00", "11h25", "12h35", "14h00", "15h00", "17h00", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HeaderRow, UnreadableFileChangesNothing)
{
    fs::create_directories(dir_ / "kiv_heures.txt"); // a folder cannot be read as a list
    try {
        list_.LoadFromFile(dir_ / "kiv_heures.txt", "kiv_heures.txt");
        FAIL() << "no error";
    } catch (const KivError& e) {
        EXPECT_STREQ(e.what(), "Impossible d'ouvrir le fichier kiv_heures.txt");
    }
    EXPECT_TRUE(writes_.empty());
    EXPECT_EQ(list_.Items(), InitialSlotHeaders());
    EXPECT_EQ(Row0()[0], "8h25");
}

TEST_F(HeaderRow, TheListKeepsEntriesThatNoCellShows)
{
    list_.Assign({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"});
    EXPECT_EQ(list_.Count(), 10u);
    EXPECT_EQ(list_.Items()[9], "j");
    EXPECT_EQ(store_.CellText(8, 0), "");
    EXPECT_EQ(store_.CellText(9, 0), "");
}

TEST_F(HeaderRow, WithoutFixedRowNothingIsCopied)
{
    SetShape(8, 0);
    list_.Assign({"x", "y"});
    EXPECT_EQ(list_.Items(), (TextList{"x", "y"}));
    EXPECT_TRUE(writes_.empty());
    EXPECT_EQ(Row0()[0], "8h25");
}

TEST_F(HeaderRow, AssigningAWholeListLeavesNoFormerHeader)
{
    table_.SetColumnHeaders({"07h55", "9h00\\nM2"});
    EXPECT_EQ(list_.Items(), (TextList{"07h55", "9h00\\nM2"}));
    EXPECT_EQ(Row0(), (std::vector<std::string>{"07h55", "9h00\rM2", "", "", "", "", "", "", ""}));
    // The header row holds only the two new cells.
    EXPECT_EQ(store_.StoredCellCount(), 2u);
}

TEST_F(HeaderRow, AssigningWithoutFixedRowOnlyReplacesTheList)
{
    SetShape(8, 0);
    table_.SetColumnHeaders({"07h55"});
    EXPECT_EQ(list_.Items(), TextList{"07h55"});
    EXPECT_EQ(Row0()[1], "9h20");
}

TEST_F(HeaderRow, ALoadAfterAnAssignKeepsWhatTheFileDoesNotCover)
{
    table_.SetColumnHeaders({"a", "b", "c"});
    list_.LoadFromFile(WriteFile("h.txt", "x\r\n"), "h.txt");
    EXPECT_EQ(Row0(4), (std::vector<std::string>{"x", "b", "c", ""}));
}

} // namespace
} // namespace kiv
