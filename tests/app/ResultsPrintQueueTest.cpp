// "Imprimer" through a real print queue: run by scripts/with-cups-pdf.sh,
// which gives the test a private CUPS scheduler whose default printer writes
// PDF files. Without such a queue there is nothing to print on, and the test
// says so and skips.

#include "tests/support/AppTestSupport.h"
#include "tests/support/PrintQueueSupport.h"

#include "app/results/ResultsView.h"
#include "app/runs/PrintJobRun.h"

#include <QElapsedTimer>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QRegularExpression>
#include <QToolButton>

class ResultsPrintQueueTest : public QObject {
    Q_OBJECT

    static QString Queue() { return QPrinterInfo::defaultPrinter().printerName(); }

private slots:
    void init()
    {
        if (QPrinterInfo::defaultPrinter().isNull() || !kivtest::PrintQueueGiven())
            QSKIP("no private CUPS-PDF queue: run through scripts/with-cups-pdf.sh");
    }

    // The dialog offers no part of the text, and a page range that reached
    // the job's printer all the same neither cuts the results nor the table
    // printed next.
    void printsTheWholeTextAndTheNextTableWhole()
    {
        kivtest::Folders folders;
        kivtest::ErrorCapture errors; // the list files of this folder are missing
        kiv::TForm1 form(folders.Paths());
        errors.messages.clear();
        std::vector<kiv::KeywordSearchResult> results;
        for (int i = 0; i < 80; ++i)
            results.push_back(
                kivtest::Found("POSTE" + std::to_string(i) + ":\xE9l\xE8ve07: le 05/02/06: \xE0 14 h 32 min :page sexe", "sexe"));
        form.RichEdit1->AppendResults(results);
        int dialogs = 0;
        QStringList partsOffered;
        form.RunModal = [&](QDialog& dialog) {
            auto* print = qobject_cast<QPrintDialog*>(&dialog);
            if (!print)
                return int(QDialog::Rejected);
            ++dialogs;
            print->show();
            // The options, folded at first, unfolded as a user would.
            for (QPushButton* button : print->findChildren<QPushButton*>())
                if (button->text().contains(QLatin1String("Options"), Qt::CaseInsensitive))
                    button->click();
            for (const char* part : {"printRange", "pagesRadioButton", "printCurrentPage", "printSelection", "pageSetCombo"}) {
                const auto* widget = print->findChild<QWidget*>(QLatin1String(part));
                if (!widget || widget->isVisible())
                    partsOffered << QLatin1String(part);
            }
            // Pages 1 to 1, where the dialog offers them.
            if (partsOffered.contains(QLatin1String("printRange"))) {
                print->findChild<QRadioButton*>(QStringLiteral("printRange"))->setChecked(true);
                print->findChild<QSpinBox*>(QStringLiteral("from"))->setValue(1);
                print->findChild<QSpinBox*>(QStringLiteral("to"))->setValue(1);
            }
            print->accept();
            return print->result();
        };

        const QDateTime start = QDateTime::currentDateTime().addSecs(-1);
        form.SpeedButton2->click();
        QCOMPARE(dialogs, 1);
        QVERIFY(errors.messages.empty());
        const QString printed = kivtest::AwaitQueuedPdf(start, QStringLiteral("POSTE79:"));
        QVERIFY2(!printed.isEmpty(), "the results' last line never came out of the queue");
        const QString text = kivtest::RunTool(QStringLiteral("pdftotext"), {printed, QStringLiteral("-")});
        QCOMPARE(text.split(QRegularExpression(QStringLiteral("[\\n\\f]+")), Qt::SkipEmptyParts),
                 form.RichEdit1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts));
        QVERIFY(kivtest::RunTool(QStringLiteral("pdffonts"), {printed}).contains(QStringLiteral("Bold")));
        QFile::remove(printed);

        // A table of several pages, its last entry on the last one.
        std::string entries;
        for (int i = 0; i < 400; ++i)
            entries += "\rS514PC03 08h25-09h10 eleve" + std::to_string(i) + " 2NDE1";
        form.SlotGrid1->SetCellText(0, 1, entries);
        QVERIFY(form.SpeedButtonprint->isEnabled());
        const QDateTime tableStart = QDateTime::currentDateTime().addSecs(-1);
        form.SpeedButtonprint->click();
        QVERIFY(errors.messages.empty());
        const QString table = kivtest::AwaitQueuedPdf(tableStart, QStringLiteral("eleve399 "));
        QVERIFY2(!table.isEmpty(), "the table's last page never came out of the queue");
        const auto pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                               .match(kivtest::RunTool(QStringLiteral("pdfinfo"), {table}));
        QVERIFY(pages.captured(1).toInt() > 1);
        QFile::remove(table);
        QCOMPARE(partsOffered, QStringList());
    }

    // A queue that refuses jobs, or a stopped one that would hold them
    // unseen: both printouts say so, with the queue's reason.
    void aQueueThatCannotPrintSaysWhy_data()
    {
        QTest::addColumn<QString>("stop");
        QTest::addColumn<QString>("restart");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("message");
        // CUPS gives its own words for a queue that refuses jobs.
        QTest::newRow("refusing jobs") << "cupsreject" << "cupsaccept" << "bac vide"
                                       << " refuse l'impression : Destination \"KivPDF\" is not accepting jobs.";
        QTest::newRow("stopped") << "cupsdisable" << "cupsenable" << "en panne"
                                 << " est arr\u00EAt\u00E9e : en panne. L'impression attend dans sa file qu'elle reprenne.";
    }
    void aQueueThatCannotPrintSaysWhy()
    {
        QFETCH(QString, stop);
        QFETCH(QString, restart);
        QFETCH(QString, reason);
        QFETCH(QString, message);
        QVERIFY(kivtest::RunsWell(stop, {QStringLiteral("-r"), reason, Queue()}));
        // What the stopped queue held is not printed once it starts again.
        const struct Restart {
            QString command;
            QString queue;
            ~Restart()
            {
                kivtest::RunsWell(QStringLiteral("cancel"), {QStringLiteral("-a"), queue});
                kivtest::RunsWell(command, {queue});
            }
        } restartAtEnd{restart, Queue()};
        kivtest::Folders folders;
        kivtest::ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        form.RunModal = [](QDialog& dialog) { return int(qobject_cast<QPrintDialog*>(&dialog) ? QDialog::Accepted : QDialog::Rejected); };
        const kiv::KeywordSearchResult result = kivtest::Found("POSTE1:eleve1:sexe", "sexe");
        form.RichEdit1->AppendResults({&result, 1});
        form.SlotGrid1->SetCellText(0, 1, "\rS514PC03 08h25-09h10 eleve1 2NDE1");
        auto* printing = form.findChild<kiv::PrintJobRun*>();
        QSignalSpy finished(printing, &kiv::PrintJobRun::Finished);
        for (QToolButton* button : {form.SpeedButton2, form.SpeedButtonprint}) {
            errors.messages.clear();
            finished.clear();
            button->click();
            // The table's pages are counted first, then printed.
            while (printing->Running())
                QVERIFY(finished.wait(30000));
            QCOMPARE(finished.last().at(0).toBool(), false);
            QCOMPARE(errors.messages.size(), std::size_t(1));
            QCOMPARE(QString::fromLatin1(errors.messages[0]), QStringLiteral("L'imprimante ") + Queue() + message);
        }
    }

    // Closing the window while a 5 MB line is laid out ends at once, and
    // nothing of the printout comes out.
    void closingMidPrintoutCancelsItAtTheQueue()
    {
        kivtest::Folders folders;
        kivtest::ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        form.RunModal = [](QDialog& dialog) { return int(qobject_cast<QPrintDialog*>(&dialog) ? QDialog::Accepted : QDialog::Rejected); };
        const std::string marker = "ferme" + std::to_string(QCoreApplication::applicationPid());
        // Appended piece by piece: GCC 12 misreads "..." + std::string&& as
        // an overflow (-Wstringop-overflow) in optimised builds.
        std::string giant = "POSTE2:eleve2:sexe ";
        giant.append(5 << 20, 'x');
        const kiv::KeywordSearchResult results[] = {kivtest::Found("POSTE1:" + marker + ":sexe", "sexe"),
                                                    kivtest::Found(std::move(giant), "sexe")};
        form.RichEdit1->AppendResults(results);
        auto* printing = form.findChild<kiv::PrintJobRun*>();
        QSignalSpy finished(printing, &kiv::PrintJobRun::Finished);
        const QDateTime start = QDateTime::currentDateTime().addSecs(-1);
        form.SpeedButton2->click();
        QVERIFY(printing->Running());
        QElapsedTimer closing;
        closing.start();
        form.close();
        QVERIFY2(closing.elapsed() < 3000, qPrintable(QString::number(closing.elapsed())));
        // Closing waits for the printout: it has ended when close returns.
        QVERIFY(!finished.isEmpty() || finished.wait(30000));
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QVERIFY(kivtest::AwaitIdleQueue());
        QCOMPARE(kivtest::QueuedPdf(start, QString::fromStdString(marker)), QString());
    }
};

QTEST_MAIN(ResultsPrintQueueTest)
#include "ResultsPrintQueueTest.moc"
