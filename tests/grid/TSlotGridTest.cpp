#include "KivError.h"
#include "OccupationTable.h"
#include "TSlotGrid.h"

#include <QPainter>
#include <QScrollBar>
#include <QtTest>

#include <filesystem>
#include <fstream>

using namespace kiv;

namespace {

// Records which cells the grid paints.
class RecordingGrid : public TSlotGrid {
public:
    QList<QPoint> drawn;

protected:
    void DrawCell(QPainter& painter, int col, int row, const QRect& rect, CellState state) override
    {
        drawn.append(QPoint(col, row));
        TSlotGrid::DrawCell(painter, col, row, rect, state);
    }
};

// The room table as the window sets it up.
void SetUpLikeTheRoomTable(TSlotGridBase& grid)
{
    grid.SetColCount(8);
    grid.SetRowCount(3);
    grid.SetFixedRows(1);
    grid.SetFixedCols(0);
    grid.SetDefaultColWidth(120);
    grid.SetDefaultRowHeight(21);
    const int widths[] = {157, 138, 142, 120, 54, 132, 129, 120};
    for (int c = 0; c < 8; ++c)
        grid.SetColWidths(c, widths[c]);
    grid.SetRowHeights(0, 21);
    grid.SetRowHeights(1, 649);
    grid.SetRowHeights(2, 3);
}

// The horizontal extent of dark pixels in a rectangle of an image: where text
// was drawn.
int InkWidth(const QImage& image, const QRect& rect)
{
    int left = rect.right() + 1;
    int right = rect.left() - 1;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return right >= left ? right - left + 1 : 0;
}

} // namespace

class TSlotGridTest : public QObject {
    Q_OBJECT

private slots:
    void geometryFollowsWidthsAndHeights()
    {
        TSlotGrid grid;
        SetUpLikeTheRoomTable(grid);
        QCOMPARE(grid.TotalWidth(), 157 + 138 + 142 + 120 + 54 + 132 + 129 + 120);
        QCOMPARE(grid.TotalHeight(), 21 + 649 + 3);
        QCOMPARE(grid.CellRect(0, 0), QRect(0, 0, 157, 21));
        QCOMPARE(grid.CellRect(4, 1), QRect(157 + 138 + 142 + 120, 21, 54, 649));
        QCOMPARE(grid.CellRect(7, 2), QRect(grid.TotalWidth() - 120, 670, 120, 3));
        QVERIFY(grid.CellRect(8, 1).isEmpty());
        QVERIFY(grid.CellRect(0, 3).isEmpty());
        // A column added later takes the default width.
        grid.SetColCount(9);
        QCOMPARE(grid.ColWidths(8), 120);
        QVERIFY_THROWS_EXCEPTION(KivError, grid.ColWidths(9));
        QVERIFY_THROWS_EXCEPTION(KivError, grid.SetRowHeights(-1, 5));
    }

    void headerRowStaysInPlaceWhileTheRestScrolls()
    {
        TSlotGrid grid;
        SetUpLikeTheRoomTable(grid);
        grid.ColumnHeaders().Assign(InitialSlotHeaders());
        grid.resize(400, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QVERIFY(grid.verticalScrollBar()->maximum() > 0);
        QVERIFY(grid.horizontalScrollBar()->maximum() > 0);
        grid.verticalScrollBar()->setValue(100);
        grid.horizontalScrollBar()->setValue(30);
        QCOMPARE(grid.CellRect(1, 0), QRect(157 - 30, 0, 138, 21));
        QCOMPARE(grid.CellRect(1, 1), QRect(157 - 30, 21 - 100, 138, 649));
        // Scrolled data cells do not paint over the header row.
        const QImage image = grid.viewport()->grab().toImage();
        QCOMPARE(image.pixelColor(200, 18), grid.palette().color(QPalette::Button));
    }

    void cellsBeyondTheSizeAreStoredButNotShown()
    {
        TSlotGrid grid;
        SetUpLikeTheRoomTable(grid);
        grid.SetCellText(8, 1, "x");
        QCOMPARE(grid.CellText(8, 1), std::string("x"));
        QCOMPARE(grid.ColCount(), 8);
        grid.SetCellText(3, 1, "y");
        grid.SetCellText(3, 1, "");
        QCOMPARE(grid.CellText(3, 1), std::string());
        QVERIFY_THROWS_EXCEPTION(KivError, grid.SetCellText(-1, 1, "x"));
    }

    void headerListReachesTheHeaderRow()
    {
        TSlotGrid grid;
        SetUpLikeTheRoomTable(grid);
        grid.ColumnHeaders().Assign(InitialSlotHeaders());
        QCOMPARE(grid.CellText(0, 0), std::string("8h25"));
        QCOMPARE(grid.CellText(7, 0), std::string("17h00"));

        const auto dir = std::filesystem::path(QDir::tempPath().toStdString()) /
                         ("kiv_grid_" + std::to_string(QCoreApplication::applicationPid()));
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "kiv_heures.txt", std::ios::binary) << "08h00\r\n9h20\\n\r\nA\r\nB\r\nC\r\nD\r\nE\r\nF\r\nG\r\n";
        grid.ColumnHeaders().LoadFromFile(dir / "kiv_heures.txt", "kiv_heures.txt");
        std::filesystem::remove_all(dir);
        QCOMPARE(grid.CellText(0, 0), std::string("08h00"));
        QCOMPARE(grid.CellText(1, 0), std::string("9h20\r"));
        QCOMPARE(grid.CellText(7, 0), std::string("F"));
        QCOMPARE(grid.CellText(8, 0), std::string());
        QCOMPARE(grid.ColumnHeaders().Count(), std::size_t{9});

        grid.SetColumnHeaders({"x"});
        QCOMPARE(grid.CellText(0, 0), std::string("x"));
        QCOMPARE(grid.CellText(1, 0), std::string());
        QCOMPARE(grid.CellText(7, 0), std::string());
    }

    void settingACellRepaintsThatCellOnly()
    {
        RecordingGrid grid;
        SetUpLikeTheRoomTable(grid);
        grid.resize(1200, 800);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QTRY_VERIFY(!grid.drawn.isEmpty());
        QVERIFY(grid.drawn.contains(QPoint(7, 2)));
        QTest::qWait(100); // let the first show's repaints settle

        grid.drawn.clear();
        grid.SetCellText(2, 1, "\rS514PC03 08h25-16h10 eleve12 E");
        QTRY_COMPARE(grid.drawn, QList<QPoint>{QPoint(2, 1)});

        // A cell outside the grid's size paints nothing.
        grid.drawn.clear();
        grid.SetCellText(8, 1, "hidden");
        QTest::qWait(50);
        QVERIFY(grid.drawn.isEmpty());
    }

    void drawsHeaderOnButtonFaceAndTextAsPlainLines()
    {
        TSlotGrid grid;
        SetUpLikeTheRoomTable(grid);
        grid.resize(1200, 800);
        grid.ColumnHeaders().Assign(InitialSlotHeaders());
        grid.SetCellText(0, 1, "\rabc\rdef");
        grid.SetCellText(1, 1, "\r<B>abc</B>");
        grid.SetCellText(2, 1, "\rabc");

        const QImage image = grid.viewport()->grab().toImage();
        const QColor face = grid.palette().color(QPalette::Button);
        const QColor base = grid.palette().color(QPalette::Base);
        // Background of a header cell and of a data cell, away from text and lines.
        QCOMPARE(image.pixelColor(grid.CellRect(5, 0).right() - 3, grid.CellRect(5, 0).bottom() - 2), face);
        QCOMPARE(image.pixelColor(grid.CellRect(5, 1).right() - 3, 600), base);
        // Grid lines at the right and bottom edge of a data cell; grey under a header.
        QCOMPARE(image.pixelColor(grid.CellRect(5, 1).right(), 300), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(image.pixelColor(50, grid.CellRect(0, 0).bottom()), QColor(0x80, 0x80, 0x80));

        // The first line of a row-1 cell is empty; the entries follow, one per line.
        const QRect cell0 = grid.CellRect(0, 1);
        const int lineHeight = QFontMetrics(grid.font()).height();
        const QRect firstLine(cell0.left() + 1, cell0.top() + 3, cell0.width() - 3, lineHeight);
        QCOMPARE(InkWidth(image, firstLine), 0);
        QVERIFY(InkWidth(image, firstLine.translated(0, lineHeight)) > 0);
        QVERIFY(InkWidth(image, firstLine.translated(0, 2 * lineHeight)) > 0);

        // Tags are shown as they stand, not taken as formatting.
        const QRect cell1 = grid.CellRect(1, 1);
        const QRect cell2 = grid.CellRect(2, 1);
        const QRect line1(cell1.left(), cell1.top() + 3 + lineHeight, cell1.width() - 1, lineHeight);
        const QRect line2(cell2.left(), cell2.top() + 3 + lineHeight, cell2.width() - 1, lineHeight);
        QVERIFY(InkWidth(image, line1) > 2 * InkWidth(image, line2));
    }

    void textIsCutAtTheCellsRightEdge()
    {
        TSlotGrid grid;
        SetUpLikeTheRoomTable(grid);
        grid.resize(grid.TotalWidth() + 200, 800);
        // The last column, so that nothing drawn after it covers an overflow.
        grid.SetCellText(7, 1, "\rS514PC03 08h25-16h10 eleve12 E S514PC03 08h25-16h10 eleve12 E");
        const QImage image = grid.viewport()->grab().toImage();
        const QRect cell = grid.CellRect(7, 1);
        const int lineHeight = QFontMetrics(grid.font()).height();
        const QRect lines(cell.left(), cell.top() + 3, cell.width() - 1, 2 * lineHeight);
        QVERIFY(InkWidth(image, lines) > 0);
        QCOMPARE(InkWidth(image, QRect(cell.right() + 1, cell.top(), 150, 2 * lineHeight + 3)), 0);
    }
};

QTEST_MAIN(TSlotGridTest)
#include "TSlotGridTest.moc"
