// "Imprimer" through a real print queue: run by scripts/with-cups-pdf.sh,
// which gives the test a private CUPS scheduler whose default printer writes
// PDF files. Without such a queue there is nothing to print on, and the test
// says so and skips.

#include "AppTestSupport.h"

#include "ResultsView.h"

#include <QDateTime>
#include <QDir>
#include <QFileSystemWatcher>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QToolButton>

namespace {

QString Run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The PDF files written since the given time: CUPS-PDF names each after the
// job's title and number, which another run may have used before.
QStringList PdfsSince(const QDir& out, const QDateTime& since)
{
    QStringList files;
    for (const QFileInfo& file : out.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files))
        if (file.lastModified() >= since)
            files << file.filePath();
    return files;
}

} // namespace

class ResultsPrintQueueTest : public QObject {
    Q_OBJECT

private slots:
    void theQueuePrintsTheViewsText()
    {
        const QString outFolder = qEnvironmentVariable("CUPS_PDF_OUT");
        if (QPrinterInfo::defaultPrinter().isNull() || outFolder.isEmpty())
            QSKIP("no private CUPS-PDF queue: run through scripts/with-cups-pdf.sh");

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
        form.RunModal = [&](QDialog& dialog) {
            dialogs += qobject_cast<QPrintDialog*>(&dialog) != nullptr;
            return int(QDialog::Accepted);
        };

        const QDir out(outFolder);
        const QDateTime start = QDateTime::currentDateTime().addSecs(-1);
        QFileSystemWatcher watcher({outFolder});
        QSignalSpy changed(&watcher, &QFileSystemWatcher::directoryChanged);
        form.SpeedButton2->click();
        QCOMPARE(dialogs, 1);
        QVERIFY(errors.messages.empty());

        // CUPS-PDF writes the file once the job has gone through the
        // scheduler; the job is done when the queue no longer lists it.
        QString printed;
        for (int turn = 0; turn < 60 && printed.isEmpty(); ++turn) {
            const bool pending = !Run(QStringLiteral("lpstat"), {"-o"}).trimmed().isEmpty();
            const QStringList files = PdfsSince(out, start);
            if (!pending && !files.isEmpty())
                printed = files.front();
            if (printed.isEmpty())
                changed.wait(1000);
        }
        QVERIFY2(!printed.isEmpty(), "no PDF came out of the queue");

        QString text = Run(QStringLiteral("pdftotext"), {printed, QStringLiteral("-")});
        QCOMPARE(text.split(QRegularExpression(QStringLiteral("[\\n\\f]+")), Qt::SkipEmptyParts),
                 form.RichEdit1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts));
        QVERIFY(Run(QStringLiteral("pdffonts"), {printed}).contains(QStringLiteral("Bold")));
        QFile::remove(printed);
    }
};

QTEST_MAIN(ResultsPrintQueueTest)
#include "ResultsPrintQueueTest.moc"
