// "Imprimer tableau" while the text view is showing: without a print queue the
// error box says so; on a real queue (a CUPS-PDF printer whose output folder
// CUPS_PDF_OUT names) the table arrives as a PDF, turned to landscape. The
// printout runs beside the window, which closing calls off.

#include "app/results/ResultsOutput.h"
#include "app/runs/PrintJobRun.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/ProgramOutput.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileSystemWatcher>
#include <QImage>
#include <QProcess>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

// A complete PDF of folder, written since a moment, whose text holds marker
// (CUPS-PDF names files by job number, which a fresh scheduler starts again,
// and other jobs may print to the same folder).
QString PdfWrittenSince(const QDir& folder, const QDateTime& since, const QString& marker)
{
    for (const QFileInfo& file : folder.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time)) {
        if (file.lastModified() >= since &&
            kivtest::PdfText(file.filePath()).contains(marker))
            return file.filePath();
    }
    return QString();
}

// Whether the table's rows run along the long side of the sheet: a printer
// turns a landscape page on its portrait paper, so the page of the file may be
// portrait with the table turned on it.
bool RowsAlongLongSide(const QString& pdf)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    kivtest::PdfTool(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("30"),
                                                  QStringLiteral("-singlefile"), kivtest::HostPath(pdf),
                                                  kivtest::HostPath(prefix)});
    const QImage page(prefix + QStringLiteral(".png"));
    QRect ink;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    return !ink.isEmpty() && (page.width() > page.height()) == (ink.width() > ink.height());
}

bool PrintQueueGiven()
{
    return !qEnvironmentVariableIsEmpty("CUPS_PDF_OUT");
}

} // namespace

class PrintTableTest : public QObject {
    Q_OBJECT

private slots:
    void saysSoWithoutAPrinter()
    {
        if (PrintQueueGiven())
            QSKIP("a print queue is given");
        kivtest::Folders folders;
        kivtest::ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        form.Button2->click();
        QVERIFY(form.SlotGrid1->isHidden());
        errors.messages.clear();
        form.SpeedButtonprint->click();
        QCOMPARE(errors.messages, std::vector<std::string>{"Aucune imprimante par d\xE9" "faut s\xE9lectionn\xE9" "e."});
    }

    void printsBesideTheWindowAndClosingCallsItOff()
    {
        kivtest::Folders folders;
        kivtest::ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        errors.messages.clear(); // the lists the bare folder lacks
        QPrinter& printer = form.findChild<kiv::ResultsOutput*>()->Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        auto* printing = form.findChild<kiv::PrintJobRun*>();
        QSignalSpy finished(printing, &kiv::PrintJobRun::Finished);
        // A busy slot: thousands of pages of logins.
        std::string entries;
        for (int i = 0; i < 100000; ++i)
            entries += "\rS514PC03 08h25-09h10 eleve" + std::to_string(i) + " 2NDE1";
        const struct {
            const char* file;
            std::string entries;
            bool closed;
        } jobs[] = {{"small.pdf", "\rS514PC03 08h25-09h10 eleve1 2NDE1", false}, {"busy.pdf", entries, true}};
        for (const auto& job : jobs) {
            finished.clear();
            const QString pdf = QString::fromStdU16String((folders.Exe() / job.file).u16string());
            printer.setOutputFileName(pdf);
            form.SlotGrid1->SetCellText(0, 1, job.entries);
            form.SpeedButtonprint->click();
            QVERIFY(printing->Running());
            QVERIFY(!form.SpeedButtonprint->isEnabled() && !form.SpeedButton2->isEnabled());
            // Closing waits for the printout: it has ended when close returns.
            if (job.closed)
                form.close();
            QVERIFY(!finished.isEmpty() || finished.wait(60000));
            QCOMPARE(finished.at(0).at(0).toBool(), !job.closed);
            QVERIFY(form.SpeedButtonprint->isEnabled() && form.SpeedButton2->isEnabled());
            if (!job.closed)
                QVERIFY(kivtest::PdfText(pdf).contains(QStringLiteral("eleve1")));
        }
        QCOMPARE(errors.messages, std::vector<std::string>{});
    }

    void printsLandscapeOnTheDefaultQueue()
    {
        if (!PrintQueueGiven())
            QSKIP("no print queue given (CUPS_PDF_OUT)");
        const QDir output(qEnvironmentVariable("CUPS_PDF_OUT"));
        QVERIFY(QDir().mkpath(output.path()));
        QFileSystemWatcher watcher({output.path()});
        QSignalSpy arrived(&watcher, &QFileSystemWatcher::directoryChanged);

        kivtest::Folders folders;
        kivtest::ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        const QString pupil = QStringLiteral("eleve%1").arg(QCoreApplication::applicationPid());
        form.SlotGrid1->SetCellText(0, 1, "\rS514PC03 08h25-09h10 " + pupil.toStdString() + " 2NDE1");
        form.Button2->click();
        QVERIFY(form.SlotGrid1->isHidden());
        errors.messages.clear();
        const QDateTime clicked = QDateTime::currentDateTime().addSecs(-1);
        form.SpeedButtonprint->click();
        QCOMPARE(errors.messages, std::vector<std::string>{});

        // CUPS-PDF writes the file a few seconds later; each change of the
        // folder is looked at, for at most a minute.
        QString pdf;
        for (int waits = 0; pdf.isEmpty() && waits < 60; ++waits) {
            pdf = PdfWrittenSince(output, clicked, pupil);
            if (pdf.isEmpty())
                arrived.wait(1000);
        }
        QVERIFY2(!pdf.isEmpty(), "no PDF of the table arrived");
        QVERIFY2(RowsAlongLongSide(pdf), qPrintable(pdf));
    }
};

int main(int argc, char** argv)
{
    // Without a queue given, no print queue of the machine is seen.
    if (!PrintQueueGiven())
        qputenv("CUPS_SERVER", "/nonexistent/kiv-no-cups.sock");
    QApplication app(argc, argv);
    PrintTableTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PrintTableTest.moc"
