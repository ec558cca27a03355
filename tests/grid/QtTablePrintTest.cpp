// The room table printed to a PDF and read back with poppler's tools: the
// pages are landscape, the headers bold, every entry on a line of its own, and
// the pages and column ranges are where the layout said they would be.

#include "grid/GridFonts.h"
#include "grid/QtTablePrint.h"
#include "grid/RoomTableLook.h"
#include "grid/TSlotGrid.h"
#include "grid/detail/QtPrintSurface.h"
#include "tests/support/ProgramOutput.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QLineF>
#include <QTransform>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

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

// What a PDF of Qt's draws, read from its content streams, in points from
// the page's top-left corner: the size of every piece of text and every
// straight line.
struct PdfDrawing {
    std::vector<double> textSizes;
    std::vector<QLineF> lines; // from the printable area's top-left corner
    double areaLeft = -1;      // where the printable area starts on the sheet
};

PdfDrawing ReadPdf(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray pdf = file.readAll();
    PdfDrawing drawing;
    double scale = 1;
    const QRegularExpression streams(QStringLiteral("stream\r?\n"));
    for (qsizetype at = pdf.indexOf("stream\n"); at >= 0; at = pdf.indexOf("stream\n", at + 1)) {
        const qsizetype start = at + 7;
        const qsizetype end = pdf.indexOf("endstream", start);
        // qUncompress wants the size ahead of zlib's data; a guess grows.
        QByteArray packed(4, '\0');
        const quint32 guess = quint32((end - start) * 64);
        for (int i = 0; i < 4; ++i)
            packed[i] = char(guess >> (24 - 8 * i));
        const QString content = QString::fromLatin1(qUncompress(packed + pdf.mid(start, end - start)));
        const auto cm = QRegularExpression(QStringLiteral("([\\d.]+) 0 0 -[\\d.]+ ([\\d.]+) [\\d.]+ cm")).match(content);
        if (cm.hasMatch()) {
            scale = cm.captured(1).toDouble();
            drawing.areaLeft = cm.captured(2).toDouble();
        }
        for (const auto& tf : QRegularExpression(QStringLiteral("/F\\d+ ([\\d.]+) Tf")).globalMatch(content))
            drawing.textSizes.push_back(tf.captured(1).toDouble() * scale);
        for (const auto& line :
             QRegularExpression(QStringLiteral("([\\d.]+) ([\\d.]+) m\n([\\d.]+) ([\\d.]+) l\nS")).globalMatch(content))
            drawing.lines.push_back(QLineF(line.captured(1).toDouble(), line.captured(2).toDouble(),
                                           line.captured(3).toDouble(), line.captured(4).toDouble()) *
                                    QTransform::fromScale(scale, scale));
    }
    return drawing;
}

constexpr double kPointsPerMm = 72 / 25.4;

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

        const QString info = kivtest::PdfTool(QStringLiteral("pdfinfo"), {kivtest::HostPath(pdf)});
        const auto size = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
        QVERIFY2(size.hasMatch(), qPrintable(info));
        QVERIFY2(size.captured(1).toDouble() > size.captured(2).toDouble(), "landscape");
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(plan.pages))), qPrintable(info));

        const QString fonts = kivtest::PdfTool(QStringLiteral("pdffonts"), {kivtest::HostPath(pdf)});
        QVERIFY2(fonts.contains(QRegularExpression(QStringLiteral("Tahoma[-,]?Bold"))), qPrintable(fonts));

        const QStringList pages = kivtest::PdfText(pdf, {QStringLiteral("-layout")})
                                      .split(QLatin1Char('\f'));
        QVERIFY(pages.size() >= plan.pages);
        for (const kiv::PrintPlan::ColumnRange& range : plan.ranges) {
            for (int p = 0; p < plan.pages; ++p)
                QCOMPARE(pages[p].contains(QLatin1String(kHeaders[range.firstCol])), p == range.firstPage);
            // Each entry on a line of its own, in order, from under the
            // headers, also when a slot is taller than the page.
            QHash<QString, int> lineOfPupil;
            const QStringList lines = pages[range.firstPage].split(QLatin1Char('\n'));
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

    // The measures a printed table is made to: headers in 8 pt and entries
    // in 6 pt (7.94 and 5.95 points on paper), the first row's top 0.8 mm
    // below the top of the printable area (which a PDF, to be printed later,
    // starts 4.2 mm inside the sheet, as a common printer does), each column
    // 2 mm wider than its widest line.
    void laysThePageOutToItsMeasures()
    {
        if (QFontInfo(QFont(kiv::kGridFontFamily)).family() != kiv::kGridFontFamily)
            QSKIP("no Tahoma on this system");
        kiv::TSlotGrid grid;
        SetUpLikeTheWindow(grid);
        for (int col = 0; col < 8; ++col)
            grid.SetCellText(col, 1, "\releve" + std::string(col + 1, 'w') + "\rx");
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("table.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        kiv::PrintSlotTable(grid, printer);
        const PdfDrawing drawing = ReadPdf(pdf);

        QVERIFY(!drawing.textSizes.empty());
        QVERIFY2(std::abs(drawing.areaLeft / kPointsPerMm - 4.2) < 0.05, qPrintable(QString::number(drawing.areaLeft)));
        const auto [smallest, largest] = std::minmax_element(drawing.textSizes.begin(), drawing.textSizes.end());
        QVERIFY2(std::abs(*smallest - 5.95) <= 0.05, qPrintable(QString::number(*smallest)));
        QVERIFY2(std::abs(*largest - 7.94) <= 0.05, qPrintable(QString::number(*largest)));

        std::vector<double> edges;
        double top = 1e9;
        for (const QLineF& line : drawing.lines) {
            top = std::min({top, line.y1(), line.y2()});
            if (line.x1() == line.x2() && std::find(edges.begin(), edges.end(), line.x1()) == edges.end())
                edges.push_back(line.x1());
        }
        QVERIFY2(std::abs(top / kPointsPerMm - 0.8) < 0.02, qPrintable(QString::number(top / kPointsPerMm)));
        std::sort(edges.begin(), edges.end());
        QCOMPARE(int(edges.size()), 9);

        const QString words = kivtest::PdfText(pdf, {QStringLiteral("-bbox")});
        std::vector<double> widest(8, 0);
        for (const auto& word : QRegularExpression(QStringLiteral("xMin=\"([\\d.]+)\" yMin=\"[\\d.]+\" xMax=\"([\\d.]+)\""))
                                    .globalMatch(words)) {
            const double left = word.captured(1).toDouble();
            const auto col = std::upper_bound(edges.begin(), edges.end(), left) - edges.begin() - 1;
            QVERIFY(col >= 0 && col < 8);
            widest[col] = std::max(widest[col], word.captured(2).toDouble() - left);
        }
        for (int col = 0; col < 8; ++col)
            QVERIFY2(std::abs((edges[col + 1] - edges[col] - widest[col]) / kPointsPerMm - 2) <= 0.1,
                     qPrintable(QStringLiteral("column %1: %2 pt for a line of %3 pt")
                                    .arg(col).arg(edges[col + 1] - edges[col]).arg(widest[col])));
    }

    // Bold headers look bold at the sizes the table uses: on screen 11
    // pixels, on paper 8 pt at a printer's 300 and 1200 dots per inch. Ink
    // of a header drawn as the table draws it, against the regular face.
    void boldLooksBold_data()
    {
        QTest::addColumn<int>("emPixels");
        QTest::newRow("screen header, 11 px") << 11;
        QTest::newRow("paper header, 8 pt at 300 dpi") << 33;
        QTest::newRow("paper header, 8 pt at 1200 dpi") << 132;
    }

    void boldLooksBold()
    {
        QFETCH(int, emPixels);
        if (QFontInfo(QFont(kiv::kGridFontFamily)).family() != kiv::kGridFontFamily)
            QSKIP("no Tahoma on this system");
#ifdef _WIN32
        QSKIP("offscreen, Qt for Windows grey-scales glyphs otherwise than any Windows screen does");
#endif
        const auto ink = [emPixels](bool bold) {
            QFont font(kiv::kGridFontFamily);
            font.setPixelSize(emPixels);
            font.setBold(bold);
            QImage image(emPixels * 6, emPixels * 2, QImage::Format_Grayscale8);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setFont(font);
            painter.setPen(Qt::black);
            kiv::DrawEmboldened(painter, font, [&] { painter.drawText(QPointF(emPixels / 4, emPixels * 3 / 2), QStringLiteral("08h25")); });
            painter.end();
            double total = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    total += 255 - qGray(image.pixel(x, y));
            return total;
        };
        const double ratio = ink(true) / ink(false);
        QVERIFY2(ratio >= 1.3, qPrintable(QString::number(ratio)));
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
