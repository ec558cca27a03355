#pragma once
// The texts of the occupation table, one per cell, kept sparsely by rows and
// then by columns: only cells that hold text take memory. The store does not
// know the table's size: a cell beyond it is kept and read back, never shown.

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace kiv {

class CellStore {
public:
    // A change about to be made to a cell. A widget that shows the store is
    // told before the change, whoever makes it, so that it can prepare: end
    // an edit of the cell, decide whether the cell must be drawn again.
    struct CellChange {
        int col;
        int row;
        bool append;           // text goes after the cell's text; else it replaces it
        std::string_view text;
    };
    using ChangeHandler = std::function<void(const CellChange& change)>;
    // Told of every write that changes a cell (not of one that changes
    // nothing, such as emptying an empty cell).
    void SetOnChange(ChangeHandler handler) { onChange_ = std::move(handler); }

    // The cell's text, empty when the cell holds none; valid until the cell
    // changes. Throws KivError "Indice de liste hors limites (%d)" for a
    // negative row, and for a negative column in a row that holds text (an
    // empty row has nothing to look the column up in, so it reads as empty).
    const std::string& CellText(int col, int row) const;

    // The cell's stored bytes without a copy, empty for a cell without text
    // or at a negative index. Valid until the cell is next written.
    std::string_view CellView(int col, int row) const noexcept;

    // Stores the text; empty text drops the cell, and a row left without
    // cells is dropped too. Throws KivError for a negative index.
    void SetCellText(int col, int row, std::string text);

    // Appends bytes to the cell's text without copying what it holds: a busy
    // day's session row grows by hundreds of thousands of entries, each
    // costing its own length.
    void AppendCellText(int col, int row, std::string_view text);

    // The number of cells that hold text, and of rows that hold any.
    std::size_t StoredCellCount() const noexcept;
    std::size_t StoredRowCount() const noexcept { return rows_.size(); }

private:
    void WillChange(int col, int row, bool append, std::string_view text) const;

    using Row = std::map<int, std::string>;
    std::map<int, Row> rows_;
    ChangeHandler onChange_;
};

} // namespace kiv
