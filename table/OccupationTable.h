#pragma once
// The room occupation table, the one place of its rules: the list of time
// slots and its copy into the header row, the columns a login falls in, and
// the cells that collect the sessions' entries. The window's grid draws it and
// kivlogs-cli prints it; neither knows a rule of its own.
//
// Row 0 holds the headers, row 1 the sessions: cell (c, 1) reads an empty
// first line, then one SlotEntry per session of slot c in order of arrival.

#include "logscan/SessionEntry.h"
#include "logscan/SlotRule.h"
#include "logscan/TextList.h"
#include "table/CellStore.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// The row that receives the sessions.
inline constexpr int kSessionRow = 1;

class OccupationTable {
public:
    // The list of time slots ("kiv_heures.txt"). Every completed change of
    // its content (a load that replaces it counts as one) is copied into the
    // header row at once.
    class HeaderList {
    public:
        // Replaces the entries by the lines of a list file; maxLines, when
        // given, keeps only that many (a reader that needs no more than the
        // header row). Throws KivError "Impossible d'ouvrir le fichier %s"
        // with shownName when the file cannot be read: the entries and the
        // header row are then left as they were.
        void LoadFromFile(const std::filesystem::path& path, std::string_view shownName,
                          std::size_t maxLines = static_cast<std::size_t>(-1));
        // Replaces the entries by a copy of items.
        void Assign(TextList items);

        const TextList& Items() const noexcept { return items_; }
        std::size_t Count() const noexcept { return items_.size(); }

    private:
        friend class OccupationTable;
        explicit HeaderList(OccupationTable& table) : table_(table) {}
        OccupationTable& table_;
        TextList items_;
    };

    // The table over a cell store: a grid's own, or one made for the table.
    // colCount and fixedRows are the grid's size, as the header copy uses it.
    explicit OccupationTable(CellStore& cells, int colCount = kSlotColumnCount, int fixedRows = 1);
    OccupationTable(const OccupationTable&) = delete;
    OccupationTable& operator=(const OccupationTable&) = delete;

    int ColCount() const noexcept { return colCount_; }
    int FixedRows() const noexcept { return fixedRows_; }
    // Follows a grid whose size was set after the table was made.
    void SetShape(int colCount, int fixedRows) noexcept;

    HeaderList& ColumnHeaders() noexcept { return headers_; }
    const HeaderList& ColumnHeaders() const noexcept { return headers_; }

    // Assigning a whole list: unlike a load, the header cells of every column
    // are emptied before the copy (with a fixed row), so nothing of the former
    // headers stays.
    void SetColumnHeaders(const TextList& items);

    // H(c): the text of the header cell of column c, as the cells hold it now
    // (a header edited in its cell counts).
    const std::string& Header(int col) const { return cells_.CellText(col, 0); }

    // The columns whose slot a login at loginTime falls in, by the slot rule
    // (SlotRule.h) under the header cells as they are now.
    std::vector<int> Columns(std::string_view loginTime) const;

    // Appends the session's SlotEntry to the session-row cell of every column
    // Columns gives, each append costing the entry's length. Returns those
    // columns.
    std::vector<int> Place(const SessionEntry& entry);

    // The session-row cell of column col; empty text for a column outside
    // the table.
    const std::string& SessionCell(int col) const;

    // Empties the session row of every column; the headers stay.
    void ClearSessions();

    const CellStore& Cells() const noexcept { return cells_; }

private:
    // The header copy: with a fixed row, entry i of the list, its "\n" pairs
    // made line breaks, goes to the header cell of column i for every i below
    // ColCount(); later entries stay in the list only, and columns past the
    // last entry keep their text.
    void CopyHeaders();

    CellStore& cells_;
    int colCount_;
    int fixedRows_;
    HeaderList headers_;
    std::string entry_; // the SlotEntry being placed, its memory kept from one session to the next
};

} // namespace kiv
