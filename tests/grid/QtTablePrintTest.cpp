// The room table printed to a PDF and read back with poppler's tools: the
// pages are landscape, the headers bold, every entry on a line of its own, and
// the pages and column ranges are where the layout said they would be.

#include "GridFonts.h"
#include "QtPrintSurface.h"
#include "QtTablePrint.h"
#include "RoomTableLook.h"
#include "TSlotGrid.h"

#include <QHash>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <string>
#include <vector>

namespace {

QString Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

const char* const kHeaders[] = {"08h25", "09h20", "10h15", "11h10", "12h05", "13h35", "14h30", "15h25"};

// The grid as the window sets it up.
void SetUpLikeTheWindow(kiv::TSlotGrid& grid)
{
    kiv::SetUpRoomTable(grid);
    for (int col = 0; col < 8; ++col)
        grid.SetCellText(col, 0, kHeaders[col]);
}

// entries[col] holds the entries of that column's slot, in order.
std::vector<std::vector<std::string>> MakeEntries(int perColumn, bool full, int tallColumnEntries = 0)
{
    std::vector<std::vector<std::string>> entries(8);
    for (int col = 0; col < 8; ++col) {
        const int count = col == 0 && tallColumnEntries ? tallColumnEntries : perColumn;
        for (int i = 0; i < count; ++i) {
            const std::string pupil = "eleve" + std::to_string(1000 * (col + 1) + i);
            entries[col].push_back(full ? "S514PC0" + std::to_string(i % 10) + " " + kHeaders[col] + "-16h10 " + pupil +
                                              " 2NDE1"
                                        : pupil);
        }
    }
    return entries;
}

} // namespace

class QtTablePrintTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { kiv::RegisterWindowFonts(); }

    void printsWhatTheLayoutPlanned_data()
    {
        QTest::addColumn<int>("perColumn");
        QTest::addColumn<bool>("full");
        QTest::addColumn<int>("tallColumn");
        QTest::addColumn<int>("ranges");
        QTest::newRow("a quiet morning fits one page") << 3 << false << 0 << 1;
        QTest::newRow("full entries split the slots into two ranges") << 5 << true << 0 << 2;
        QTest::newRow("a slot taller than the page") << 4 << false << 200 << 1;
    }

    void printsWhatTheLayoutPlanned()
    {
        QFETCH(int, perColumn);
        QFETCH(bool, full);
        QFETCH(int, tallColumn);
        QFETCH(int, ranges);

        kiv::TSlotGrid grid;
        SetUpLikeTheWindow(grid);
        const auto entries = MakeEntries(perColumn, full, tallColumn);
        for (int col = 0; col < 8; ++col)
            for (const std::string& entry : entries[col])
                grid.AppendCellText(col, 1, "\r" + entry);

        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("table.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageOrientation(QPageLayout::Portrait);
        const kiv::PrintPlan plan = kiv::PrintSlotTable(grid, printer);
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
        QCOMPARE(int(plan.ranges.size()), ranges);

        const QString info = Run(QStringLiteral("pdfinfo"), {pdf});
        const auto size = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
        QVERIFY2(size.hasMatch(), qPrintable(info));
        QVERIFY2(size.captured(1).toDouble() > size.captured(2).toDouble(), "landscape");
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(plan.pages))), qPrintable(info));

        const QString fonts = Run(QStringLiteral("pdffonts"), {pdf});
        QVERIFY2(fonts.contains(QRegularExpression(QStringLiteral("Tahoma[-,]?Bold"))), qPrintable(fonts));

        const QStringList pages = Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
                                      .split(QLatin1Char('\f'));
        QVERIFY(pages.size() >= plan.pages);
        for (const kiv::PrintPlan::ColumnRange& range : plan.ranges) {
            for (int p = 0; p < plan.pages; ++p)
                QCOMPARE(pages[p].contains(QLatin1String(kHeaders[range.firstCol])), p == range.firstPage);
            // Each entry on a line of its own, in order, on the page after
            // the headers when the slots are taller than what is left of it.
            QHash<QString, int> lineOfPupil;
            const QStringList lines = pages[range.firstPage + (tallColumn ? 1 : 0)].split(QLatin1Char('\n'));
            for (int i = 0; i < lines.size(); ++i)
                for (const auto& pupil : QRegularExpression(QStringLiteral("eleve\\d+")).globalMatch(lines[i]))
                    lineOfPupil.insert(pupil.captured(), i);
            for (int col = range.firstCol; col <= range.lastCol; ++col) {
                int found = 0;
                for (int line = -1; found < int(entries[col].size()); ++found) {
                    const QString pupil = QStringLiteral("eleve%1").arg(1000 * (col + 1) + found);
                    if (lineOfPupil.value(pupil, -1) <= line)
                        break;
                    line = lineOfPupil.value(pupil);
                }
                if (tallColumn && col == 0)
                    QVERIFY2(found > 20 && found < tallColumn, qPrintable(QString::number(found)));
                else
                    QCOMPARE(found, int(entries[col].size()));
            }
        }
    }

    // Tahoma's lines are as high as Windows makes them (its winAscent 2049
    // and winDescent 423 over 2048 units), and a line as wide as its
    // characters' advances.
    void measuresTahomaAsWindowsDoes_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<int>("lineHeight");
        QTest::newRow("6 pt entries") << -21 << false << 25;
        QTest::newRow("8 pt headers") << -28 << true << 34;
        QTest::newRow("10 pt print font") << -35 << false << 42;
    }

    void measuresTahomaAsWindowsDoes()
    {
        QFETCH(int, height);
        QFETCH(bool, bold);
        QFETCH(int, lineHeight);
        if (QFontInfo(QFont(kiv::kGridFontFamily)).family() != kiv::kGridFontFamily)
            QSKIP("no Tahoma on this system");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        kiv::QtPrintSurface surface(printer);
        surface.SetFont({"Tahoma", height, bold});
        QCOMPARE(surface.TextHeight("gh"), lineHeight);

        QFont font(kiv::kGridFontFamily);
        font.setPointSizeF(-height * 72.0 / 254);
        font.setBold(bold);
        font.setKerning(false);
        const QString line = QStringLiteral("SPROFPC02 11h00-11h39 prof.lef\u00E8vre PROF");
        const double expected = QFontMetricsF(font, &printer).horizontalAdvance(line) * 254 / printer.logicalDpiX();
        QVERIFY2(std::abs(surface.TextWidth("SPROFPC02 11h00-11h39 prof.lef\xE8vre PROF") - expected) <= 1,
                 qPrintable(QString::number(expected)));
    }
};

QTEST_MAIN(QtTablePrintTest)

#include "QtTablePrintTest.moc"
