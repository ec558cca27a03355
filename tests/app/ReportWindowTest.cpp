// The report on one pupil or one computer from the main window: the popup's
// reports for the caret's line, the report's window against kivlogs-cli's
// text, its saved bytes, and its printout read back from a PDF.

#include "app/report/ReportRequestDialog.h"
#include "app/report/ReportWindow.h"
#include "app/results/ResultsView.h"
#include "app/runs/PrintJobRun.h"
#include "qtext/QtCp1252.h"
#include "logscan/KivError.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/ProgramOutput.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QRegularExpression>
#include <QDateEdit>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>

namespace {

const std::filesystem::path kExamples = KIV_EXAMPLES_DIR;

QString PathText(const std::filesystem::path& path)
{
    return QString::fromStdU16String(path.u16string());
}

class ReportWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<kivtest::Folders> folders_;
    std::unique_ptr<kivtest::ErrorCapture> errors_;
    std::unique_ptr<kiv::TForm1> form_;
    // What the dialog showed when the form asked who and when.
    kiv::ReportSubject askedSubject_{};
    QString askedName_;

    // Answers the request dialog with the week of the examples.
    void AnswerWithTheWeek(QDate first = QDate(2026, 12, 1), QDate last = QDate(2026, 12, 5))
    {
        form_->RunModal = [this, first, last](QDialog& dialog) {
            auto* ask = qobject_cast<kiv::ReportRequestDialog*>(&dialog);
            if (!ask)
                return int(QDialog::Rejected);
            askedSubject_ = ask->Subject();
            askedName_ = ask->NameEdit->text();
            ask->DateFrom->setDate(first);
            ask->DateTo->setDate(last);
            return int(QDialog::Accepted);
        };
    }

    // Puts one result line in the results view, the caret on it, and asks
    // the popup's report; waits for the report's window to finish.
    kiv::ReportWindow* ReportFromPopup(QAction* action)
    {
        const kiv::KeywordSearchResult result{"POSTE24:eleve107: le 02/12/26: \xE0 14 h 23 min :x", 0, 0, 0};
        form_->RichEdit1->AppendResults(std::span(&result, 1));
        form_->RichEdit1->MoveToEnd();
        form_->RichEdit1->selectAll();
        action->trigger();
        auto* window = form_->findChild<kiv::ReportWindow*>();
        if (!window)
            return nullptr;
        QSignalSpy finished(window, &kiv::ReportWindow::Finished);
        if (window->Running() && !finished.wait(60000))
            return nullptr;
        return window;
    }

    // What kivlogs-cli report writes for the same pupil or computer and week.
    QByteArray CliText(const QString& option, const QString& name)
    {
        return kivtest::ProgramBytes(QStringLiteral(KIVLOGS_CLI),
                                     {"report", option, name, "--from", "2026-12-01", "--to", "2026-12-05", "--logs",
                                      PathText(folders_->Paths().logFolder), "--config", PathText(folders_->Config()),
                                      "--words", PathText(kExamples / "kiv.ini"), "--encoding", "cp1252"});
    }

private slots:
    void init()
    {
        folders_ = std::make_unique<kivtest::Folders>();
        std::filesystem::copy(kExamples / "logs", folders_->Paths().logFolder);
        for (const char* list : {"kiv_salles.txt", "kiv_heures.txt"})
            std::filesystem::copy(kExamples / list, folders_->Config() / list);
        std::filesystem::copy(kExamples / "kiv.ini", folders_->Exe() / "kiv.ini");
        errors_ = std::make_unique<kivtest::ErrorCapture>();
        form_ = std::make_unique<kiv::TForm1>(folders_->Paths());
        form_->RunModal = [](QDialog&) { return int(QDialog::Rejected); };
        form_->show();
    }

    void cleanup()
    {
        form_.reset();
        errors_.reset();
        folders_.reset();
    }

    // The popup's two reports take the caret line's pupil or computer; the
    // report's lines are the command line's, byte for byte, and so is the
    // saved file but for its CR LF; saving over a log is refused.
    void popupReportIsTheCommandLinesTextAndSavesAsResults()
    {
        struct Case {
            QAction* action;
            kiv::ReportSubject subject;
            QString name, option;
        };
        for (const Case& c : {Case{form_->RapportEleve, kiv::ReportSubject::Pupil, "eleve107", "--user"},
                              Case{form_->RapportOrdi, kiv::ReportSubject::Computer, "POSTE24", "--computer"}}) {
            AnswerWithTheWeek();
            kiv::ReportWindow* window = ReportFromPopup(c.action);
            QVERIFY(window);
            QCOMPARE(askedSubject_, c.subject);
            QCOMPARE(askedName_, c.name);
            QVERIFY(window->isVisible() && window->isWindow());
            QVERIFY(window->TitleLabel->text().contains(QStringLiteral("du 01/12/2026 au 05/12/2026")));
            QVERIFY(window->PrintButton->isEnabled() && window->SaveButton->isEnabled());
            // The README's picture of the report is this window, taken on request.
            if (const QString pictures = qEnvironmentVariable("KIV_PICTURES_DIR"); !pictures.isEmpty()
                && c.subject == kiv::ReportSubject::Pupil) {
                window->resize(1000, 560);
                QVERIFY(window->grab().save(pictures + QStringLiteral("/report-window.png")));
            }

            QByteArray expected = CliText(c.option, c.name);
            QVERIFY(!expected.isEmpty());
            expected.replace("\n", "\r\n");
            QCOMPARE(QByteArray::fromStdString(window->View->FileText()), expected);

            const auto saved = folders_->Config() / "rapport.txt";
            window->SaveTo(saved);
            QCOMPARE(QByteArray::fromStdString(kivtest::Folders::Read(saved)), expected);
            const auto log = folders_->Paths().logFolder / "web011226.txt";
            const std::string before = kivtest::Folders::Read(log);
            QVERIFY_THROWS_EXCEPTION(kiv::KivError, window->SaveTo(log));
            QCOMPARE(kivtest::Folders::Read(log), before);
            // "Copier" takes the whole report, its words bold for a word processor.
            window->CopyButton->click();
            const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
            QVERIFY(copied);
            QString want = kiv::FromCp1252(expected.toStdString());
            want.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            QString got = copied->text();
            while (got.endsWith(QLatin1Char('\n')))
                got.chop(1);
            while (want.endsWith(QLatin1Char('\n')))
                want.chop(1);
            QCOMPARE(got, want);
            QVERIFY(copied->html().contains(QStringLiteral("font-weight:700")));
            window->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QVERIFY2(errors_->messages.empty(), errors_->messages.empty() ? "" : errors_->messages[0].c_str());
    }

    // Each printed page is portrait and carries the title and its number; the
    // text of the pages is the report's.
    void printoutHasTheTitleAndNumberOnEveryPage()
    {
        AnswerWithTheWeek();
        form_->SpeedButtonRapport->click(); // asks for any pupil: the dialog's name is empty
        QCOMPARE(askedSubject_, kiv::ReportSubject::Pupil);
        QCOMPARE(askedName_, QString());
        QVERIFY(!form_->findChild<kiv::ReportWindow*>()); // no name, no report
        form_->RunModal = [](QDialog& dialog) {
            auto* ask = qobject_cast<kiv::ReportRequestDialog*>(&dialog);
            if (!ask)
                return int(QDialog::Rejected);
            ask->ComputerChoice->setChecked(true);
            ask->NameEdit->setText(QStringLiteral("PC02"));
            ask->DateFrom->setDate(QDate(2026, 12, 1));
            ask->DateTo->setDate(QDate(2026, 12, 5));
            return int(QDialog::Accepted);
        };
        form_->SpeedButtonRapport->click();
        auto* window = form_->findChild<kiv::ReportWindow*>();
        QVERIFY(window);
        QSignalSpy finished(window, &kiv::ReportWindow::Finished);
        QVERIFY(!window->Running() || finished.wait(60000));

        const QString pdf = PathText(folders_->Config() / "rapport.pdf");
        auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        auto* printing = form_->findChild<kiv::PrintJobRun*>();
        QSignalSpy printed(printing, &kiv::PrintJobRun::Finished);
        QVERIFY(window->PrintOn(printer));
        QVERIFY(printed.wait(60000));
        QCOMPARE(printed.at(0).at(0).toBool(), true);

        const QString text = kivtest::ProgramOutput(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QVERIFY2(pages.size() >= 2, qPrintable(text.left(300)));
        for (int i = 0; i < pages.size(); ++i) {
            QVERIFY2(pages[i].contains(QStringLiteral("Ordinateur PC02, du 01/12/2026 au 05/12/2026")), qPrintable(pages[i]));
            QVERIFY2(pages[i].contains(QStringLiteral("Page %1").arg(i + 1)), qPrintable(pages[i]));
        }
        QVERIFY(text.contains(QStringLiteral("Total sur 5 jours")));
        const QString info = kivtest::ProgramOutput(QStringLiteral("pdfinfo"), {pdf});
        const QRegularExpression size(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)"));
        const auto match = size.match(info);
        QVERIFY(match.hasMatch());
        QVERIFY(match.captured(1).toDouble() < match.captured(2).toDouble()); // portrait
    }

    // A report called off while it reads leaves a usable window: what was
    // read stays, the buttons work, and its end never comes after.
    void cancelledReportEndsOnceAndStaysUsable()
    {
        kiv::SubjectReportRequest request{folders_->Paths().logFolder, kiv::ReportSubject::Pupil, "eleve107",
                                          {2026, 12, 1}, {2026, 12, 5}, {"sexe"}, {}};
        auto* window = new kiv::ReportWindow({}, std::move(request), form_.get());
        QSignalSpy finished(window, &kiv::ReportWindow::Finished);
        // No turn of the event loop yet: its end cannot have been taken.
        QVERIFY(window->Running());
        window->CancelButton->click();
        QCOMPARE(finished.size(), 1);
        QVERIFY(finished.at(0).at(0).value<kiv::ScanOutcome>().cancelled);
        QVERIFY(!window->Running());
        QVERIFY(window->SaveButton->isEnabled() && window->PrintButton->isEnabled() && window->CopyButton->isEnabled());
        QVERIFY(window->Status->text().contains(QStringLiteral("interrompu")));
        QCoreApplication::processEvents();
        QCOMPARE(finished.size(), 1);
        delete window;
    }

    // The dialog says why it cannot make a report yet.
    void requestDialogRefusesWhatNoReportCanBe()
    {
        kiv::ReportRequestDialog ask(kiv::ReportSubject::Pupil, QString(), QDate(2026, 12, 1), false, form_.get());
        QPushButton* ok = ask.Buttons->button(QDialogButtonBox::Ok);
        QVERIFY(!ok->isEnabled());
        ask.NameEdit->setText(QStringLiteral("eleve12"));
        QVERIFY(ok->isEnabled());
        ask.DateTo->setDate(QDate(2026, 11, 30));
        QVERIFY(!ok->isEnabled());
        ask.DateFrom->setDate(QDate(1926, 11, 30));
        QVERIFY(!ok->isEnabled());
        QVERIFY(ask.Problem->text().contains(QStringLiteral("cent ans")));
        ask.DateFrom->setDate(QDate(1926, 12, 1));
        QVERIFY(ok->isEnabled());
        ask.NameEdit->setText(QStringLiteral("élève\u4E00"));
        QVERIFY(!ok->isEnabled());
        QVERIFY(!ask.TypedWords->isEnabled() && !ask.UseTypedWords());

        // Every field is reached from the keyboard, the dates typed as shown.
        ask.NameEdit->setText(QStringLiteral("eleve12"));
        ask.show();
        QVERIFY(QTest::qWaitForWindowActive(&ask));
        QTest::keyClick(&ask, Qt::Key_D, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), ask.DateFrom);
        QTest::keyClicks(ask.DateFrom, QStringLiteral("01122026"));
        QTest::keyClick(&ask, Qt::Key_A, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), ask.DateTo);
        QTest::keyClicks(ask.DateTo, QStringLiteral("05122026"));
        QCOMPARE(ask.DateFrom->date(), QDate(2026, 12, 1));
        QCOMPARE(ask.DateTo->date(), QDate(2026, 12, 5));
        QTest::keyClick(&ask, Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(ask.ComputerChoice->isChecked()); // a mnemonic clicks after a short animation
        QTest::keyClick(ask.focusWidget(), Qt::Key_Return);
        QCOMPARE(ask.result(), int(QDialog::Accepted));
    }
};

} // namespace

QTEST_MAIN(ReportWindowTest)
#include "ReportWindowTest.moc"
