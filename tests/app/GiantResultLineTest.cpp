// A log written without line breaks makes one result line of millions of
// characters: the results view saves it whole and prints it over as many
// pages as it takes. (How the lines view takes, shows and copies such a line
// is checked in tests/lines.)

#include "app/results/ResultsPrinting.h"
#include "app/results/ResultsView.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

#include <string>

class GiantResultLineTest : public QObject {
    Q_OBJECT

private slots:
    void aGiantResultLineIsSavedAndPrintedWhole_data()
    {
        QTest::addColumn<qsizetype>("length");
        QTest::addColumn<bool>("print");
        QTest::newRow("5 M") << qsizetype(5'000'000) << true;
        QTest::newRow("50 M") << qsizetype(50'000'000) << false;
    }
    void aGiantResultLineIsSavedAndPrintedWhole()
    {
        QFETCH(qsizetype, length);
        QFETCH(bool, print);
        kiv::ResultsView view;
        std::string giant;
        giant.reserve(static_cast<std::size_t>(length));
        const std::string words = "08:00 poste12 ecrit sans fin ";
        while (giant.size() < static_cast<std::size_t>(length))
            giant += words;
        giant.resize(static_cast<std::size_t>(length));
        const qsizetype boldAt = length / 2;
        kiv::LineBatch batch;
        batch.Reserve(3, static_cast<std::size_t>(length) + 16);
        batch.Add(std::string_view("avant"));
        batch.Add(giant, {boldAt, 4});
        batch.Add(QStringLiteral("après"));
        view.AppendLines(std::move(batch));

        QElapsedTimer clock;
        clock.start();
        std::string saved;
        QVERIFY(view.WriteFileText([&](std::string_view piece) {
            saved += piece;
            return true;
        }));
        QCOMPARE(saved, "avant\r\n" + giant + "\r\napr\xE8s\r\n");
        qInfo("saved in %lld ms", static_cast<long long>(clock.restart()));
        if (!print)
            return;
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("giant.pdf")));
        kiv::PrintResults(view.Store(), view.font(), printer);
        QFile pdf(printer.outputFileName());
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const qsizetype pages = pdf.readAll().count("/Type /Page\n");
        qInfo("printed on %lld pages in %lld ms", static_cast<long long>(pages),
              static_cast<long long>(clock.restart()));
        // An A4 page holds a few thousand characters of the view's font.
        QVERIFY2(pages > length / 20'000 && pages < length / 1'000, QByteArray::number(pages));
    }
};

QTEST_MAIN(GiantResultLineTest)
#include "GiantResultLineTest.moc"
