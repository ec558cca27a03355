#pragma once
// TSlotGridBase: a string grid that draws itself. It keeps its texts in a
// CellStore (Windows-1252 bytes), lays out columns and rows by their own
// widths and heights, keeps the fixed rows and columns in place while the
// rest scrolls, and paints each visible cell through DrawCell.

#include "CellStore.h"

#include <QAbstractScrollArea>
#include <QFont>

#include <string>
#include <string_view>
#include <vector>

class QPainter;

namespace kiv {

class TSlotGridBase : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TSlotGridBase(QWidget* parent = nullptr);

    int ColCount() const noexcept { return colCount_; }
    void SetColCount(int count);
    int RowCount() const noexcept { return rowCount_; }
    void SetRowCount(int count);
    int FixedRows() const noexcept { return fixedRows_; }
    void SetFixedRows(int count);
    int FixedCols() const noexcept { return fixedCols_; }
    void SetFixedCols(int count);

    int DefaultColWidth() const noexcept { return defaultColWidth_; }
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const noexcept { return defaultRowHeight_; }
    void SetDefaultRowHeight(int height);
    // A column or row without a size of its own has the default size.
    // Throw KivError "Indice de liste hors limites (%d)" outside the grid.
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);

    // The text of fixed cells; the widget's font() is the text of the others.
    QFont FixedFont() const { return fixedFont_; }
    void SetFixedFont(const QFont& font);

    // Cell texts, any index from 0 up (see CellStore). Setting a text repaints
    // that cell when it is on screen.
    std::string CellText(int col, int row) const { return cells_.CellText(col, row); }
    void SetCellText(int col, int row, std::string text);
    void AppendCellText(int col, int row, std::string_view text);
    const CellStore& Cells() const noexcept { return cells_; }
    // Every change made to the cells, through the grid or not, repaints the cell.
    CellStore& Cells() noexcept { return cells_; }

    // The cell's full rectangle in viewport coordinates (scrolled cells may
    // lie partly or wholly under the fixed rows and columns); an empty
    // rectangle for a cell outside the grid's size.
    QRect CellRect(int col, int row) const;

    // The whole grid's width and height in pixels.
    int TotalWidth() const;
    int TotalHeight() const;

    QSize sizeHint() const override;

protected:
    struct CellState {
        bool fixed = false;
    };

    // Draws one cell into rect (its full rectangle). The only place where a
    // cell's look is decided: a richer look replaces this function.
    virtual void DrawCell(QPainter& painter, int col, int row, const QRect& rect, CellState state);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int ColLeft(int col) const;
    int RowTop(int row) const;
    int FixedWidth() const;
    int FixedHeight() const;
    void LayoutChanged();
    void UpdateScrollBars();
    void RepaintCell(int col, int row);

    CellStore cells_;
    int colCount_ = 5;
    int rowCount_ = 5;
    int fixedRows_ = 1;
    int fixedCols_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    QFont fixedFont_;
};

} // namespace kiv
