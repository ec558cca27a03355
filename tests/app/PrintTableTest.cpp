// "Imprimer tableau" while the text view is showing: without a print queue the
// error box says so; on a real queue (a CUPS-PDF printer whose output folder
// CUPS_PDF_OUT names) the table arrives as a PDF, turned to landscape. The
// printout runs beside the window, which closing calls off.

#include "app/results/ResultsOutput.h"
#include "app/results/ResultsView.h"
#include "app/runs/PrintJobRun.h"
#include "app/window/TablePrintout.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/ProgramOutput.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QRegularExpression>
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

// The top-left corner of the first word of a PDF's first page, in points.
QPointF FirstWordAt(const QString& pdf)
{
    const QString boxes = kivtest::ProgramOutput(QStringLiteral("pdftotext"),
                                                 {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                                                  QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
    const QRegularExpressionMatch word =
        QRegularExpression(QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"")).match(boxes);
    return word.hasMatch() ? QPointF(word.captured(1).toDouble(), word.captured(2).toDouble()) : QPointF(-1, -1);
}

// For each line of text of a PDF's first page, which columns of pixels hold
// ink: two lines drawn alike give the same columns.
std::vector<std::vector<bool>> InkColumnsOfLines(const QString& pdf)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    kivtest::ProgramOutput(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("100"),
                                                        QStringLiteral("-singlefile"), pdf, prefix});
    const QImage page(prefix + QStringLiteral(".png"));
    std::vector<std::vector<bool>> lines;
    bool inLine = false;
    for (int y = 0; y < page.height(); ++y) {
        std::vector<bool> columns(static_cast<std::size_t>(page.width()), false);
        bool ink = false;
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128)
                columns[static_cast<std::size_t>(x)] = ink = true;
        if (ink && !inLine)
            lines.emplace_back(columns.size(), false);
        if (ink)
            for (std::size_t x = 0; x < columns.size(); ++x)
                lines.back()[x] = lines.back()[x] || columns[x];
        inLine = ink;
    }
    return lines;
}

// 4.2 mm, the edge a common printer cannot print on, in points.
constexpr double kPrinterEdgePoints = 4.2 / 25.4 * 72;

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

    // Without any printer, the results and the table still go into PDF
    // files, laid out for the paper they will be printed on later: the
    // results' print dialog opens and offers a file, the table's PDF choice
    // asks for one. The one-click "Imprimer tableau" says there is no printer.
    void withoutAPrinterBothPrintoutsGoIntoPdfFiles()
    {
        if (PrintQueueGiven())
            QSKIP("a print queue is given");
        kivtest::Folders folders;
        kivtest::ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        errors.messages.clear();
        const QString resultsPdf = QString::fromStdU16String((folders.Exe() / "resultats.pdf").u16string());
        const QString tablePdf = QString::fromStdU16String((folders.Exe() / "tableau.pdf").u16string());
        bool pdfOffered = false;
        form.RunModal = [&](QDialog& dialog) {
            if (auto* print = qobject_cast<QPrintDialog*>(&dialog)) {
                print->show();
                for (const QComboBox* box : print->findChildren<QComboBox*>())
                    for (int i = 0; i < box->count(); ++i)
                        pdfOffered = pdfOffered || box->itemText(i).contains(QStringLiteral("PDF"));
                print->printer()->setOutputFormat(QPrinter::PdfFormat);
                print->printer()->setOutputFileName(resultsPdf);
                return int(QDialog::Accepted);
            }
            if (auto* file = qobject_cast<QFileDialog*>(&dialog)) {
                file->selectFile(tablePdf);
                return int(QDialog::Accepted);
            }
            return int(QDialog::Rejected);
        };
        // A NUL that a crafted request put into a log shows as a space on
        // paper as on screen.
        const kiv::KeywordSearchResult results[] = {kivtest::Found(std::string("POSTE1:eleve\0nul:sexe", 21), "sexe"),
                                                    kivtest::Found("POSTE1:eleve nul:sexe", "sexe")};
        form.RichEdit1->AppendResults(results);
        form.SlotGrid1->SetCellText(0, 1, "\rS514PC03 08h25-09h10 eleve1 2NDE1");
        auto* printing = form.findChild<kiv::PrintJobRun*>();
        QSignalSpy finished(printing, &kiv::PrintJobRun::Finished);

        form.SpeedButton2->click();
        QVERIFY(pdfOffered);
        QVERIFY(!finished.isEmpty() || finished.wait(30000));
        QCOMPARE(errors.messages, std::vector<std::string>{});
        const QString text = kivtest::ProgramOutput(QStringLiteral("pdftotext"), {resultsPdf, QStringLiteral("-")});
        QVERIFY2(text.contains(QStringLiteral("POSTE1:eleve nul:sexe")), qPrintable(text));
        // The line with a NUL looks on paper as the line with a space: no
        // missing glyph's box.
        const std::vector<std::vector<bool>> lines = InkColumnsOfLines(resultsPdf);
        QCOMPARE(lines.size(), std::size_t(2));
        QVERIFY(lines[0] == lines[1]);
        QVERIFY(!kivtest::ProgramOutput(QStringLiteral("pdffonts"), {resultsPdf}).contains(QStringLiteral("Type 3")));

        form.SpeedButtonprint->click();
        QCOMPARE(errors.messages, std::vector<std::string>{"Aucune imprimante par d\xE9" "faut s\xE9lectionn\xE9" "e."});
        errors.messages.clear();

        finished.clear();
        form.SpeedButtonpdf->click();
        QVERIFY(!finished.isEmpty() || finished.wait(30000));
        QCOMPARE(errors.messages, std::vector<std::string>{});
        QVERIFY(kivtest::ProgramOutput(QStringLiteral("pdftotext"), {tablePdf, QStringLiteral("-")}).contains(QStringLiteral("eleve1")));
        QVERIFY2(RowsAlongLongSide(tablePdf), qPrintable(tablePdf));

        // Neither file starts at the sheet's very edge, where a printer
        // cannot print.
        for (const QString& pdf : {resultsPdf, tablePdf}) {
            const QPointF at = FirstWordAt(pdf);
            QVERIFY2(at.x() >= kPrinterEdgePoints && at.y() >= kPrinterEdgePoints,
                     qPrintable(QStringLiteral("%1: %2, %3").arg(pdf).arg(at.x()).arg(at.y())));
        }
    }

    // A one-click printout of more pages than any printout is meant to be
    // asks first, with its page count; a short one prints at once.
    void aLongTablePrintoutAsksFirst_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("answerPrint");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("printed");
        QTest::newRow("a room's day") << 40 << false << false << true;
        QTest::newRow("a long table, printed when confirmed") << 9000 << true << true << true;
        QTest::newRow("a long table, cancelled") << 9000 << false << true << false;
    }
    void aLongTablePrintoutAsksFirst()
    {
        QFETCH(int, entries);
        QFETCH(bool, answerPrint);
        QFETCH(bool, asked);
        QFETCH(bool, printed);
        kivtest::Folders folders;
        kivtest::ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        errors.messages.clear();
        // The printer the one click prints on writes a file here.
        QPrinter& printer = form.findChild<kiv::ResultsOutput*>()->Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = QString::fromStdU16String((folders.Exe() / "table.pdf").u16string());
        printer.setOutputFileName(pdf);
        QString question;
        form.RunModal = [&](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            if (!box)
                return int(QDialog::Rejected);
            question = box->text();
            for (QAbstractButton* button : box->buttons())
                if (button->text() == (answerPrint ? QStringLiteral("Imprimer") : QStringLiteral("Annuler")))
                    button->click();
            return box->result();
        };
        std::string cell;
        for (int i = 0; i < entries; ++i)
            cell += "\rS514PC03 08h25-09h10 eleve" + std::to_string(i) + " 2NDE1";
        form.SlotGrid1->SetCellText(0, 1, cell);
        auto* printing = form.findChild<kiv::PrintJobRun*>();
        QSignalSpy finished(printing, &kiv::PrintJobRun::Finished);
        form.SpeedButtonprint->click();
        // The count, then the printout when there is one.
        QVERIFY(finished.wait(60000));
        if (printed)
            QVERIFY(finished.size() == 2 || finished.wait(60000));
        QVERIFY(!printing->Running());
        QCOMPARE(errors.messages, std::vector<std::string>{});
        QCOMPARE(!question.isEmpty(), asked);
        QCOMPARE(QFile::exists(pdf), printed);
        if (asked) {
            const auto count = QRegularExpression(QStringLiteral("(\\d[\\d\\s\\x{202F}\\x{A0}]*) pages")).match(question);
            QVERIFY2(count.hasMatch(), qPrintable(question));
            const int pages = QString(count.captured(1)).remove(QRegularExpression(QStringLiteral("\\D"))).toInt();
            QVERIFY(pages > kiv::TablePrintout::kAskAbovePages);
            if (printed) {
                const auto info = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                                      .match(kivtest::ProgramOutput(QStringLiteral("pdfinfo"), {pdf}));
                QCOMPARE(info.captured(1).toInt(), pages);
            }
        }
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
            // The pages are counted, then printed: two jobs in turn.
            while (printing->Running())
                QVERIFY(finished.wait(60000));
            QVERIFY(!finished.isEmpty());
            QCOMPARE(finished.last().at(0).toBool(), !job.closed);
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
