#pragma once
// TSlotGridBase: a string grid that draws itself. It keeps its texts in a
// CellStore (Windows-1252 bytes), lays out columns and rows by their own
// widths and heights, keeps the fixed rows and columns in place while the
// rest scrolls, and paints each visible cell through DrawCell. The user
// selects ranges of cells with the mouse and the keys, sizes columns and rows
// by dragging their edges and edits a cell in place.

#include "table/CellAppearance.h"
#include "table/CellStore.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QHash>
#include <QPointer>
#include <QStaticText>

#include <string>
#include <string_view>
#include <vector>

class QPainter;

namespace kiv {

class TSlotGridEditor;

// Which grid lines are drawn and what the user may do.
enum GridOption : unsigned {
    goFixedVertLine = 1u << 0,
    goFixedHorzLine = 1u << 1,
    goVertLine = 1u << 2,
    goHorzLine = 1u << 3,
    goRangeSelect = 1u << 4,
    goDrawFocusSelected = 1u << 5,
    goRowSizing = 1u << 6,
    goColSizing = 1u << 7,
    goEditing = 1u << 8,
    goTabs = 1u << 9,
};
using GridOptions = unsigned;

// Classic header cells are flat; the XP look shades them from white down to
// the button face and edges them in white and a dark line.
enum class GridLook { glClassic, glXP };

class TSlotGridBase : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TSlotGridBase(QWidget* parent = nullptr);
    ~TSlotGridBase() override;

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

    // The look. Fonts and colours are kept as the window's settings write
    // them and resolved when drawn (system colours from the palette).
    const CellFont& Font() const noexcept { return look_.font; }
    void SetFont(const CellFont& font);
    const CellFont& FixedFont() const noexcept { return look_.fixedFont; }
    void SetFixedFont(const CellFont& font);
    GridOptions Options() const noexcept { return options_; }
    void SetOptions(GridOptions options);
    int GridLineWidth() const noexcept { return gridLineWidth_; }
    void SetGridLineWidth(int width);
    TColor GridLineColor() const noexcept { return gridLineColor_; }
    void SetGridLineColor(TColor color) { Restyle(gridLineColor_, color); }
    TColor Color() const noexcept { return look_.color; }
    void SetColor(TColor color) { Restyle(look_.color, color); }
    TColor FixedColor() const noexcept { return look_.fixedColor; }
    void SetFixedColor(TColor color) { Restyle(look_.fixedColor, color); }
    TColor SelectionColor() const noexcept { return look_.selectionColor; }
    void SetSelectionColor(TColor color) { Restyle(look_.selectionColor, color); }
    TColor SelectionTextColor() const noexcept { return look_.selectionTextColor; }
    void SetSelectionTextColor(TColor color) { Restyle(look_.selectionTextColor, color); }
    bool ShowSelection() const noexcept { return look_.showSelection; }
    void SetShowSelection(bool show) { Restyle(look_.showSelection, show); }
    GridLook Look() const noexcept { return gridLook_; }
    void SetLook(GridLook look) { Restyle(gridLook_, look); }
    bool Flat() const noexcept { return flat_; }
    void SetFlat(bool flat) { Restyle(flat_, flat); }
    bool Multilinecells() const noexcept { return multiLineCells_; }
    void SetMultilinecells(bool on) { Restyle(multiLineCells_, on); }
    bool WordWrap() const noexcept { return wordWrap_; }
    void SetWordWrap(bool on) { Restyle(wordWrap_, on); }
    VAlign VAlignment() const noexcept { return look_.vAlignment; }
    void SetVAlignment(VAlign alignment) { Restyle(look_.vAlignment, alignment); }
    // Cell texts holding "</", "<B" or "<I" are drawn as formatted text
    // while this is on; off, every text is drawn as it stands.
    bool EnableHTML() const noexcept { return enableHtml_; }
    void SetEnableHTML(bool on) { Restyle(enableHtml_, on); }
    const GridAppearance& Appearance() const noexcept { return look_; }

    // Cell texts, any index from 0 up (see CellStore). Changing a text
    // repaints that cell when it is on screen.
    std::string CellText(int col, int row) const { return cells_.CellText(col, row); }
    std::string_view CellView(int col, int row) const noexcept { return cells_.CellView(col, row); }
    void SetCellText(int col, int row, std::string text);
    void AppendCellText(int col, int row, std::string_view text);
    const CellStore& Cells() const noexcept { return cells_; }
    // Every change made to the cells, through the grid or not, repaints the cell.
    CellStore& Cells() noexcept { return cells_; }

    // The look of a cell on screen (printing false) or on paper.
    CellLook CellAppearance(int col, int row, bool printing) const;

    // The current cell, and the selected range that always holds it.
    int Col() const noexcept { return col_; }
    int Row() const noexcept { return row_; }
    GridRect Selection() const noexcept;
    // Makes (col, row) current, kept out of the fixed rows and columns; with
    // extend (and range selection on) the selection stretches to it.
    void SetCurrentCell(int col, int row, bool extend = false);

    // In-place editing of the current cell (goEditing, data cells only).
    bool IsEditing() const noexcept;
    void ShowEditor();
    void HideEditor(bool keepText);

    // The cell's full rectangle in viewport coordinates (scrolled cells may
    // lie partly or wholly under the fixed rows and columns); an empty
    // rectangle for a cell outside the grid's size.
    QRect CellRect(int col, int row) const;
    // The cell under a viewport point, (-1, -1) outside the cells.
    QPoint CellAt(const QPoint& point) const;

    // The whole grid's width and height in pixels.
    int TotalWidth() const;
    int TotalHeight() const;

    QSize sizeHint() const override;

signals:
    // The user's edit of a cell was stored.
    void cellEdited(int col, int row);
    // The current cell or the selected range changed.
    void selectionChanged();

protected:
    struct CellState {
        bool fixed = false;
        bool selected = false;
        bool focused = false;
    };

    // Draws one cell into rect (its full rectangle). The only place where a
    // cell's look is decided: a richer look replaces this function.
    virtual void DrawCell(QPainter& painter, int col, int row, const QRect& rect, CellState state);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    enum class Drag { None, Select, SizeCol, SizeRow };

    // A setting of the look: stored, and the table drawn again with it.
    template <typename T>
    void Restyle(T& setting, T value)
    {
        setting = value;
        viewport()->update();
    }

    int ColLeft(int col) const;
    int RowTop(int row) const;
    int FixedWidth() const;
    int FixedHeight() const;
    QRect ScrollingArea() const;
    void LayoutChanged();
    void UpdateScrollBars();
    void CellAboutToChange(const CellStore::CellChange& change);
    void RepaintCell(int col, int row);
    void RepaintRange(const GridRect& range);
    void ScrollToCurrent();
    bool MoveByTab(bool forward);
    int SizingColAt(const QPoint& point) const;
    int SizingRowAt(const QPoint& point) const;
    void PlaceEditor();
    void OpenEditor(const QString& typed);
    void AnnounceCurrentCell();
    void AnnounceCellText(int col, int row);

    // Drawing (TSlotGridDrawing.cpp).
    void DrawCellContent(QPainter& painter, int col, int row, const QRect& content, const QRect& full,
                         const CellLook& look, CellState state);
    void DrawCellText(QPainter& painter, int col, int row, const QRect& content, const CellLook& look);
    void DrawPlainLines(QPainter& painter, std::string_view text, const QRect& textRect, const CellLook& look,
                        const QFont& font);
    void DrawFormattedText(QPainter& painter, std::string_view text, const QRect& textRect, const CellLook& look,
                           const QFont& font);
    // A line of cell text laid out in font, kept for the next paints.
    const QStaticText& PreparedLine(const QString& line, const QFont& font);
    // Whether text appended to the cell could appear: its drawn lines do
    // not yet reach its bottom edge.
    bool AppendWouldShow(int col, int row) const;

    CellStore cells_;
    GridAppearance look_;
    int colCount_ = 5;
    int rowCount_ = 5;
    int fixedRows_ = 1;
    int fixedCols_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    GridOptions options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    int gridLineWidth_ = 1;
    TColor gridLineColor_ = clSilver;
    GridLook gridLook_ = GridLook::glClassic;
    bool flat_ = false;
    bool multiLineCells_ = false;
    bool wordWrap_ = false;
    bool enableHtml_ = true;

    int col_ = 1;
    int row_ = 1;
    int anchorCol_ = 1;
    int anchorRow_ = 1;
    Drag drag_ = Drag::None;
    int dragIndex_ = -1;
    int dragOrigin_ = 0;
    int dragStartSize_ = 0;
    TSlotGridEditor* editor_ = nullptr;
    int editCol_ = -1;
    int editRow_ = -1;
    bool closingEditor_ = false;
    QHash<QString, QHash<QString, QStaticText>> preparedLines_;
};

} // namespace kiv
