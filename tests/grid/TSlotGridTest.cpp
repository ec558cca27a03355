#include "grid/GridFonts.h"
#include "grid/RoomTableLook.h"
#include "grid/TSlotGrid.h"
#include "logscan/KivError.h"
#include "table/OccupationTable.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <functional>

using namespace kiv;

namespace {

// Windows spaces the lines of Tahoma of height -8 by its winAscent and
// winDescent: 8 + 2 pixels.
constexpr int kLinePitch = 10;

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

const QColor kSelection(182, 202, 234);

// The room table as the window sets it up.
void SetUpLikeTheRoomTable(TSlotGridBase& grid)
{
    RegisterWindowFonts();
    SetUpRoomTable(grid);
}

// The bounding box of dark pixels (text) inside area of an image.
QRect InkBox(const QImage& image, const QRect& wanted)
{
    const QRect area = wanted.intersected(image.rect());
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

int InkWidth(const QImage& image, const QRect& rect)
{
    return InkBox(image, rect).width();
}

// A cell of n lines of capital letters, which reach the top of their line.
std::string Lines(int n, const std::string& line)
{
    std::string text = line;
    for (int i = 1; i < n; ++i)
        text += "\r" + line;
    return text;
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
        grid.SetCellText(2, 1, Lines(100, "MMMM"));
        const QColor headerShade = grid.viewport()->grab().toImage().pixelColor(230, 18);
        grid.verticalScrollBar()->setValue(100);
        grid.horizontalScrollBar()->setValue(30);
        QCOMPARE(grid.CellRect(1, 0), QRect(157 - 30, 0, 138, 21));
        QCOMPARE(grid.CellRect(1, 1), QRect(157 - 30, 21 - 100, 138, 649));
        // Scrolled data cells (the current one in the selection colour) do
        // not paint over the header row.
        const QImage image = grid.viewport()->grab().toImage();
        QCOMPARE(image.pixelColor(200, 18), headerShade);
        // The lines scrolled up under the header are gone, the next ones show
        // right below it, and the header's own text is untouched.
        const QRect column = grid.CellRect(2, 1);
        const int lineHeight = kLinePitch;
        const QRect ink = InkBox(image, QRect(column.left(), 21, column.width() - 1, 200));
        QVERIFY(ink.isValid() && ink.top() < 21 + lineHeight);
        QCOMPARE(InkBox(image, QRect(column.left() + 40, 1, column.width() - 41, 19)), QRect());
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
        // Whatever the first show still had to paint is painted now.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();

        grid.drawn.clear();
        grid.SetCellText(2, 1, "\rS514PC03 08h25-16h10 eleve12 E");
        QTRY_COMPARE(grid.drawn, QList<QPoint>{QPoint(2, 1)});

        // Appending paints the cell while its lines do not fill it, and no
        // more once they run past its bottom edge.
        grid.drawn.clear();
        grid.AppendCellText(2, 1, "\rS302PC01 08h40- eleve02 E");
        QTRY_COMPARE(grid.drawn, QList<QPoint>{QPoint(2, 1)});
        grid.SetCellText(3, 1, Lines(200, "S514PC03 08h25-16h10 eleve12 E"));
        QTRY_VERIFY(grid.drawn.contains(QPoint(3, 1)));
        grid.drawn.clear();
        grid.AppendCellText(3, 1, "\rS302PC01 08h40- eleve02 E");
        grid.AppendCellText(2, 1, "\rS302PC01 08h40- eleve02 E");
        QTRY_COMPARE(grid.drawn, QList<QPoint>{QPoint(2, 1)});

        // A cell outside the grid's size paints nothing: the next paint
        // holds only the cell changed after it.
        grid.drawn.clear();
        grid.SetCellText(8, 1, "hidden");
        grid.SetCellText(0, 1, "\rS502PC07 15h00- eleve40 E");
        QTRY_COMPARE(grid.drawn, QList<QPoint>{QPoint(0, 1)});
    }


    void headerCellsAreShadedAndEdged()
    {
        TSlotGrid grid;
        SetUpLikeTheRoomTable(grid);
        grid.resize(1200, 800);
        grid.ColumnHeaders().Assign(InitialSlotHeaders());
        const QImage image = grid.viewport()->grab().toImage();
        const QColor white(255, 255, 255);
        const QColor face = grid.palette().color(QPalette::Active, QPalette::Button);
        const QRect cell = grid.CellRect(5, 0); // "14h00", away from its text
        const int x = cell.right() - 10;
        // Ten bands from white: the top one white, the last one nine tenths
        // of the way to the button face.
        const auto towardsFace = [](int from, int to) { return from + qRound(9 * (to - from) / 10.0); };
        const QColor lastBand(towardsFace(255, face.red()), towardsFace(255, face.green()),
                              towardsFace(255, face.blue()));
        QCOMPARE(image.pixelColor(x, cell.top() + 1), white);
        QCOMPARE(image.pixelColor(x, cell.bottom() - 1), lastBand);
        // Edges: white along the top and the left, grey at the right, and
        // the button face at half intensity along the bottom.
        QCOMPARE(image.pixelColor(x, cell.top()), white);
        QCOMPARE(image.pixelColor(cell.left(), cell.top() + 10), white);
        QCOMPARE(image.pixelColor(cell.right(), cell.top() + 10), QColor(0x80, 0x80, 0x80));
        QCOMPARE(image.pixelColor(x, cell.bottom()), QColor(face.red() / 2, face.green() / 2, face.blue() / 2));
        // The slot's time in bold 11-pixel Tahoma, 3 pixels in from the edges.
        const QRect ink = InkBox(image, cell.adjusted(1, 1, -1, -1));
        QVERIFY(ink.isValid());
        QVERIFY(ink.left() >= cell.left() + 3 && ink.left() <= cell.left() + 4);
        QVERIFY(ink.top() >= cell.top() + 3);
        QVERIFY(ink.height() >= 7);
    }

    void dataCellsShowTheSelectionAndTheirLinesFromTheInsetOn()
    {
        TSlotGrid grid;
        SetUpLikeTheRoomTable(grid);
        grid.resize(1200, 800);
        grid.SetCellText(1, 1, Lines(3, "MMMM"));
        grid.SetCellText(5, 1, Lines(3, "MMMM"));
        grid.SetCurrentCell(1, 1);
        grid.SetCurrentCell(2, 1, true);
        const QImage image = grid.viewport()->grab().toImage();
        const QRect selected = grid.CellRect(1, 1);
        const QRect plain = grid.CellRect(5, 1);
        QCOMPARE(image.pixelColor(selected.right() - 3, 600), kSelection);
        QCOMPARE(image.pixelColor(grid.CellRect(2, 1).center()), kSelection);
        QCOMPARE(image.pixelColor(plain.right() - 3, 600), grid.palette().color(QPalette::Active, QPalette::Base));
        // Silver lines at the right and bottom of every data cell.
        QCOMPARE(image.pixelColor(plain.right(), 300), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(image.pixelColor(plain.left() + 20, plain.bottom()), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(image.pixelColor(selected.right(), 300), QColor(0xC0, 0xC0, 0xC0));

        // Text starts 3 pixels right of and below the cell's edge; selected
        // text is black.
        const int lineHeight = kLinePitch;
        for (const QRect& cell : {selected, plain}) {
            const QRect ink = InkBox(image, cell.adjusted(0, 0, -1, -1));
            QVERIFY(ink.isValid());
            QVERIFY2(ink.left() >= cell.left() + 3 && ink.left() <= cell.left() + 4, qPrintable(QString::number(ink.left() - cell.left())));
            QVERIFY(ink.top() >= cell.top() + 3 && ink.top() <= cell.top() + 3 + lineHeight / 2);
            // The third line ends within its own 10 pixels.
            QVERIFY2(ink.bottom() > cell.top() + 3 + 2 * lineHeight && ink.bottom() < cell.top() + 3 + 3 * lineHeight,
                     qPrintable(QString::number(ink.bottom() - cell.top())));
        }
        int darkest = 255;
        const QRect selectedInk = InkBox(image, selected.adjusted(0, 0, -1, -1));
        for (int y = selectedInk.top(); y <= selectedInk.bottom(); ++y)
            for (int x = selectedInk.left(); x <= selectedInk.right(); ++x)
                darkest = std::min(darkest, qGray(image.pixel(x, y)));
        QVERIFY(darkest < 40);
    }

    void textIsCutAtTheRightEdgeAndALastPartLineIsLeftOut()
    {
        TSlotGrid grid;
        SetUpLikeTheRoomTable(grid);
        grid.resize(1200, 800);
        grid.SetCurrentCell(0, 2); // the selection out of the way
        const std::string entry = "S514PC03 08h25-16h10 eleve12 E";
        grid.SetCellText(4, 1, "\r" + entry); // the 54-pixel column
        grid.SetCellText(2, 1, Lines(200, "MMMM"));
        const QImage image = grid.viewport()->grab().toImage();

        // Cut at the text's right edge, 3 pixels inside the cell, without
        // an ellipsis and without reaching the next column.
        const QRect narrow = grid.CellRect(4, 1);
        const int lineHeight = kLinePitch;
        const QRect ink = InkBox(image, QRect(narrow.left(), narrow.top(), 200, 3 + 2 * lineHeight));
        QVERIFY(ink.isValid());
        QVERIFY(ink.right() <= narrow.right() - 3);
        QVERIFY(ink.right() >= narrow.right() - 8);

        // As many whole lines as fit under the 3-pixel inset; the part line
        // below them is not drawn.
        const QRect tall = grid.CellRect(2, 1);
        const int whole = (tall.height() - 1 - 3) / lineHeight;
        QCOMPARE(whole, 64); // the staff's 649-pixel row, as on Windows
        const int end = tall.top() + 3 + whole * lineHeight;
        QVERIFY(InkBox(image, QRect(tall.left(), end - lineHeight, tall.width() - 1, lineHeight)).isValid());
        QVERIFY(!InkBox(image, QRect(tall.left(), end, tall.width() - 1, tall.bottom() - end)).isValid());
    }

    // A line's text sits under its top by the font's Windows ascent, as on
    // paper: capitals end one pixel above that baseline, whichever way the
    // line is drawn (a plain line, a line with a tab, the bold headers).
    void textSitsOnTheWindowsBaseline_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("ascent");
        QTest::newRow("login line") << 1 << 1 << QStringLiteral("MMMM") << 8;
        QTest::newRow("line with a tab") << 2 << 1 << QStringLiteral("MM\tMM") << 8;
        QTest::newRow("header") << 3 << 0 << QStringLiteral("MMMM") << 11;
    }
    void textSitsOnTheWindowsBaseline()
    {
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(int, ascent);
        TSlotGrid grid;
        SetUpLikeTheRoomTable(grid);
        grid.resize(1200, 800);
        grid.SetCurrentCell(0, 2); // the selection out of the way
        grid.SetCellText(col, row, text.toStdString());
        const QImage image = grid.viewport()->grab().toImage();
        const QRect cell = grid.CellRect(col, row);
        const QRect ink = InkBox(image, cell.adjusted(1, 1, -1, -1));
        QVERIFY(ink.isValid());
        QCOMPARE(ink.bottom() - cell.top(), 3 + ascent - 1);
    }

    void formattedTextIsDrawnOnlyWhenSwitchedOn()
    {
        // The room table shows tags from the logs as they stand; a grid with
        // formatted text on draws them as formatting.
        int widths[2] = {};
        for (const bool html : {false, true}) {
            TSlotGrid grid;
            SetUpLikeTheRoomTable(grid);
            grid.SetEnableHTML(html);
            grid.resize(1200, 800);
            grid.SetCellText(3, 1, "\r<B>eleve12</B>");
            grid.SetCellText(5, 1, "\releve12");
            const QImage image = grid.viewport()->grab().toImage();
            widths[html] = InkWidth(image, grid.CellRect(3, 1).adjusted(0, 0, -1, -1));
            const int plainWidth = InkWidth(image, grid.CellRect(5, 1).adjusted(0, 0, -1, -1));
            if (html)
                QVERIFY(widths[1] < plainWidth * 3 / 2); // bold "eleve12", no tags
            else
                QVERIFY(widths[0] > plainWidth * 3 / 2); // "<B>" and "</B>" shown
        }
        QVERIFY(widths[0] > widths[1]);
    }

    void selectionFollowsTheMouseTheKeysAndTab()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* grid = new TSlotGrid;
        SetUpLikeTheRoomTable(*grid);
        auto* next = new QLineEdit;
        layout->addWidget(grid);
        layout->addWidget(next);
        window.resize(1300, 800);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        grid->setFocus();
        QWidget* view = grid->viewport();
        const auto at = [grid](int col, int row) { return grid->CellRect(col, row).center(); };

        using Step = std::function<void()>;
        struct Case {
            const char* what;
            Step step;
            GridRect selection;
        };
        const Case cases[] = {
            {"a click makes a cell current", [&] { QTest::mouseClick(view, Qt::LeftButton, {}, at(2, 1)); },
             {2, 1, 2, 1}},
            {"a click on a header selects nothing", [&] { QTest::mouseClick(view, Qt::LeftButton, {}, at(5, 0)); },
             {2, 1, 2, 1}},
            {"shift and an arrow stretch the range", [&] { QTest::keyClick(grid, Qt::Key_Right, Qt::ShiftModifier); },
             {2, 1, 3, 1}},
            {"a shift click stretches it further",
             [&] { QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, at(5, 1)); }, {2, 1, 5, 1}},
            {"an arrow alone leaves one cell, out of the header row", [&] { QTest::keyClick(grid, Qt::Key_Up); },
             {5, 1, 5, 1}},
            {"down to the last row", [&] { QTest::keyClick(grid, Qt::Key_Down); }, {5, 2, 5, 2}},
            {"dragging selects a range",
             [&] {
                 QTest::mousePress(view, Qt::LeftButton, {}, at(1, 1));
                 QTest::mouseMove(view, at(3, 1));
                 QTest::mouseMove(view, at(4, 2));
                 QTest::mouseRelease(view, Qt::LeftButton, {}, at(4, 2));
             },
             {1, 1, 4, 2}},
            {"End goes to the last column", [&] { QTest::keyClick(grid, Qt::Key_End); }, {7, 2, 7, 2}},
            {"Tab from the last column wraps to the next row's first",
             [&] {
                 QTest::keyClick(grid, Qt::Key_Up);
                 QTest::keyClick(grid, Qt::Key_Tab);
             },
             {0, 2, 0, 2}},
            {"Shift+Tab goes back", [&] { QTest::keyClick(grid, Qt::Key_Backtab); }, {7, 1, 7, 1}},
        };
        for (const Case& c : cases) {
            c.step();
            QVERIFY2(grid->Selection() == c.selection, c.what);
        }
        // Tab from the very last cell leaves the table for the next control.
        grid->SetCurrentCell(7, 2);
        QTest::keyClick(grid, Qt::Key_Tab);
        QVERIFY(next->hasFocus());
    }

    // Ctrl+C and the context menu's "Copier" put the selected cells on the
    // clipboard as CellCopyText gives them.
    void copyPutsTheSelectedCellsOnTheClipboard()
    {
        TSlotGrid grid;
        SetUpLikeTheRoomTable(grid);
        grid.resize(1300, 800);
        grid.show();
        QVERIFY(QTest::qWaitForWindowActive(&grid));
        grid.SetCellText(0, 1, "\rS514PC03 08h25-16h10 \xE9l\xE8ve12 E\rS514PC04 08h30- eleve13 F");
        grid.SetCellText(1, 1, "\rS302PC01 10h15-11h00 eleve123 G");
        grid.SetCurrentCell(0, 1);
        grid.SetCurrentCell(1, 1, true);
        const QString expected = QString::fromUtf8("S514PC03 08h25-16h10 élève12 E\tS302PC01 10h15-11h00 eleve123 G\n"
                                                   "S514PC04 08h30- eleve13 F\t\n");
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), expected);

        clipboard->clear();
        QCOMPARE(grid.contextMenuPolicy(), Qt::ActionsContextMenu);
        QCOMPARE(grid.actions(), QList<QAction*>{grid.CopyAction()});
        QCOMPARE(grid.CopyAction()->text(), QStringLiteral("Copier"));
        grid.CopyAction()->trigger();
        QCOMPARE(clipboard->text(), expected);
    }

    void columnsAndRowsAreSizedByDraggingTheirEdges()
    {
        TSlotGrid grid;
        SetUpLikeTheRoomTable(grid);
        grid.resize(1200, 800);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QWidget* view = grid.viewport();
        struct Case {
            const char* what;
            QPoint from;
            QPoint by;
            std::function<int()> size;
            int expected;
        };
        const Case cases[] = {
            {"a column by its header's right edge", QPoint(157, 10), QPoint(25, 0), [&] { return grid.ColWidths(0); },
             182},
            {"a row by its bottom edge", QPoint(400, 670), QPoint(0, -100), [&] { return grid.RowHeights(1); }, 549},
            {"a column narrowed", QPoint(182 + 138, 10), QPoint(-38, 0), [&] { return grid.ColWidths(1); }, 100},
        };
        for (const Case& c : cases) {
            QTest::mousePress(view, Qt::LeftButton, {}, c.from);
            QTest::mouseMove(view, c.from + c.by);
            QTest::mouseRelease(view, Qt::LeftButton, {}, c.from + c.by);
            QVERIFY2(c.size() == c.expected, c.what);
        }
        // Dragging inside a data cell selects instead of sizing.
        QTest::mousePress(view, Qt::LeftButton, {}, QPoint(300, 300));
        QTest::mouseMove(view, QPoint(330, 300));
        QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(330, 300));
        QCOMPARE(grid.ColWidths(1), 100);
    }

    void editingACellStoresItsText()
    {
        TSlotGrid grid;
        SetUpLikeTheRoomTable(grid);
        grid.resize(1200, 800);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QSignalSpy edited(&grid, &TSlotGridBase::cellEdited);
        const auto editor = [&grid] { return grid.viewport()->findChild<QPlainTextEdit*>(); };

        struct Case {
            const char* what;
            std::function<void()> keys;
            std::string expected;
            int editsStored;
        };
        const Case cases[] = {
            {"F2, typing and Return append to the cell",
             [&] {
                 QTest::keyClick(&grid, Qt::Key_F2);
                 QTest::keyClicks(editor(), " note");
                 QTest::keyClick(editor(), Qt::Key_Return, Qt::ShiftModifier);
                 QTest::keyClicks(editor(), "vu");
                 QTest::keyClick(editor(), Qt::Key_Return);
             },
             "\rS514PC03 08h25-16h10 eleve12 E note\rvu", 1},
            {"Escape gives the cell back",
             [&] {
                 QTest::keyClick(&grid, Qt::Key_F2);
                 QTest::keyClicks(editor(), "xyz");
                 QTest::keyClick(editor(), Qt::Key_Escape);
             },
             "\rS514PC03 08h25-16h10 eleve12 E", 0},
            {"a typed character opens the editor and keeps the entries",
             [&] {
                 QTest::keyClicks(&grid, "!");
                 QTest::keyClick(editor(), Qt::Key_Tab);
             },
             "\rS514PC03 08h25-16h10 eleve12 E!", 1},
            {"accented text is stored as Windows-1252",
             [&] {
                 QTest::keyClick(&grid, Qt::Key_F2);
                 editor()->insertPlainText(QString::fromUtf8(" \xC3\xA9l\xC3\xA8ve"));
                 QTest::keyClick(editor(), Qt::Key_Enter);
             },
             "\rS514PC03 08h25-16h10 eleve12 E \xE9l\xE8ve", 1},
        };
        for (const Case& c : cases) {
            grid.SetCurrentCell(3, 1);
            grid.SetCellText(3, 1, "\rS514PC03 08h25-16h10 eleve12 E");
            edited.clear();
            c.keys();
            QVERIFY2(!grid.IsEditing(), c.what);
            QVERIFY2(grid.CellText(3, 1) == c.expected, c.what);
            QVERIFY2(edited.count() == c.editsStored, c.what);
        }
        // Return stays on the cell; Tab keeps the text and moves on by one.
        grid.SetCurrentCell(3, 1);
        grid.SetCellText(3, 1, "\rS514PC03 08h25-16h10 eleve12 E");
        QTest::keyClick(&grid, Qt::Key_F2);
        QTest::keyClick(editor(), Qt::Key_Return);
        QCOMPARE(grid.Col(), 3);
        QTest::keyClicks(&grid, "a");
        QTest::keyClick(editor(), Qt::Key_Tab);
        QCOMPARE(grid.Col(), 4);
        QCOMPARE(grid.CellText(3, 1), std::string("\rS514PC03 08h25-16h10 eleve12 Ea"));
        // Logins that arrive while the cell is edited are kept with the
        // user's change; a new text for the cell ends the edit.
        grid.SetCurrentCell(3, 1);
        grid.SetCellText(3, 1, "\rS514PC03 08h25-16h10 eleve12 E");
        QTest::keyClick(&grid, Qt::Key_F2);
        QTest::keyClicks(editor(), "!");
        grid.AppendCellText(3, 1, "\rS302PC01 08h40- eleve02 E");
        QTest::keyClick(editor(), Qt::Key_Return);
        QCOMPARE(grid.CellText(3, 1), std::string("\rS514PC03 08h25-16h10 eleve12 E!\rS302PC01 08h40- eleve02 E"));
        QTest::keyClick(&grid, Qt::Key_F2);
        grid.SetCellText(3, 1, "");
        QVERIFY(!grid.IsEditing());
        QCOMPARE(grid.CellText(3, 1), std::string());

        // Header cells are not edited.
        grid.SetCurrentCell(3, 0);
        QCOMPARE(grid.Row(), 1);
    }

    void closingTheTableDuringAnEditDropsTheEdit()
    {
        bool stored = false;
        {
            TSlotGrid grid;
            SetUpLikeTheRoomTable(grid);
            grid.resize(700, 300);
            grid.show();
            QVERIFY(QTest::qWaitForWindowExposed(&grid));
            grid.SetCurrentCell(2, 1);
            QTest::keyClicks(&grid, "xy");
            QVERIFY(grid.IsEditing());
            // The editor lies over the cell, inside the view.
            auto* editor = grid.viewport()->findChild<QPlainTextEdit*>();
            QVERIFY(grid.CellRect(2, 1).contains(editor->geometry()));
            QVERIFY(grid.viewport()->rect().contains(editor->geometry()));
            connect(&grid, &TSlotGridBase::cellEdited, this, [&stored] { stored = true; });
        }
        QVERIFY(!stored);
    }

    void accessibilityReadsTheTableByRowsAndColumns()
    {
        TSlotGrid grid;
        SetUpLikeTheRoomTable(grid);
        grid.ColumnHeaders().Assign(InitialSlotHeaders());
        grid.resize(1200, 800);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        grid.SetCellText(2, 1, "\rS514PC03 08h25-16h10 eleve12 E\rS302PC01 10h40- eleve02 E");

        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&grid);
        QVERIFY(table);
        QCOMPARE(table->role(), QAccessible::Table);
        QAccessibleTableInterface* cells = table->tableInterface();
        QVERIFY(cells);
        QCOMPARE(cells->rowCount(), 3);
        QCOMPARE(cells->columnCount(), 8);
        QCOMPARE(cells->columnDescription(2), QStringLiteral("10h30"));

        QAccessibleInterface* header = cells->cellAt(0, 2);
        QAccessibleInterface* entries = cells->cellAt(1, 2);
        QCOMPARE(header->role(), QAccessible::ColumnHeader);
        QCOMPARE(header->text(QAccessible::Name), QStringLiteral("10h30"));
        QCOMPARE(entries->role(), QAccessible::Cell);
        QCOMPARE(entries->text(QAccessible::Name),
                 QStringLiteral("\nS514PC03 08h25-16h10 eleve12 E\nS302PC01 10h40- eleve02 E"));
        QCOMPARE(entries->tableCellInterface()->columnHeaderCells().value(0), header);
        QCOMPARE(table->child(8 + 2), entries);
        QCOMPARE(table->indexOfChild(entries), 8 + 2);
        QCOMPARE(table->childAt(entries->rect().center().x(), entries->rect().center().y()), entries);

        // The selection reads as selected cells; a robot may fill a cell.
        grid.SetCurrentCell(2, 1);
        grid.SetCurrentCell(3, 1, true);
        QCOMPARE(cells->selectedCellCount(), 2);
        QVERIFY(entries->state().selected);
        cells->cellAt(1, 5)->setText(QAccessible::Value, QStringLiteral("\nS502PC07 15h00- eleve40 E"));
        QCOMPARE(grid.CellText(5, 1), std::string("\rS502PC07 15h00- eleve40 E"));
        header->setText(QAccessible::Value, QStringLiteral("x"));
        QCOMPARE(grid.CellText(2, 0), std::string("10h30"));
    }
};

QTEST_MAIN(TSlotGridTest)
#include "TSlotGridTest.moc"
