// "Période…" of the room tab on the example week: the heat map against
// kivlogs-cli's summary, its accessible table, its printout, and a count
// called off or started again while it runs.

#include "app/period/HeatMap.h"
#include "app/period/PeriodWindow.h"
#include "app/results/ResultsOutput.h"
#include "app/results/ResultsView.h"
#include "app/runs/PrintJobRun.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/ProgramOutput.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

namespace {

const std::filesystem::path kExamples = KIV_EXAMPLES_DIR;

QString PathText(const std::filesystem::path& path)
{
    return QString::fromStdU16String(path.u16string());
}

// The table of the summary, as kivlogs-cli writes it for the period.
std::vector<QStringList> CliSummary(const kivtest::Folders& folders, const QString& from, const QString& to,
                                    const QString& room)
{
    const QString csv = kivtest::ProgramOutput(QStringLiteral(KIVLOGS_CLI),
                            {"occupation", "--logs", PathText(folders.Paths().logFolder), "--config",
                             PathText(folders.Config()), "--format", "summary", "--from", from, "--to", to, "--room",
                             room},
                            kivtest::ExitStatus::Any);
    std::vector<QStringList> rows;
    for (const QString& line : csv.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        rows.push_back(line.split(QLatin1Char(';')));
    return rows;
}

class PeriodWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<kivtest::Folders> folders_;
    std::unique_ptr<kivtest::ErrorCapture> errors_;
    std::unique_ptr<kiv::TForm1> form_;
    kiv::PeriodWindow* window_ = nullptr;

    // Opens the window on the tab's day and room; waits for its count.
    void Open(QDate day, const QString& room)
    {
        form_->DateTimePicker1->setDate(day);
        form_->ComboBox1->setEditText(room);
        form_->SpeedButtonperiode->click();
        window_ = form_->findChild<kiv::PeriodWindow*>();
        QVERIFY(window_ && window_->isVisible());
        QSignalSpy finished(window_, &kiv::PeriodWindow::Finished);
        QVERIFY(finished.wait(60000));
    }

    // The map's rows as the summary writes them: the headers, then each row.
    std::vector<QStringList> MapRows()
    {
        const kiv::HeatMapModel& model = window_->Map->Model();
        std::vector<QStringList> rows(1, {QStringLiteral("salle")});
        for (int c = 0; c < model.columnCount(); ++c)
            rows[0] << model.headerData(c, Qt::Horizontal, Qt::AccessibleTextRole).toString();
        for (int r = 0; r < model.rowCount(); ++r) {
            rows.push_back({model.headerData(r, Qt::Vertical, Qt::DisplayRole).toString()});
            for (int c = 0; c < model.columnCount(); ++c)
                rows.back() << model.index(r, c).data().toString();
        }
        return rows;
    }

private slots:
    void init()
    {
        folders_ = std::make_unique<kivtest::Folders>();
        std::filesystem::copy(kExamples / "logs", folders_->Paths().logFolder);
        for (const char* list : {"kiv_salles.txt", "kiv_heures.txt"})
            std::filesystem::copy(kExamples / list, folders_->Config() / list);
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

    // Every cell of the map, its header and its totals are the summary's;
    // each cell's ground carries its count on one hue, darker for more, and
    // its figure keeps WCAG's contrast; a screen reader reads a table whose
    // cells say room, slot and count.
    void mapIsTheSummaryInColourAndAnAccessibleTable()
    {
        // An unreadable log in the middle of the week is said, the rest counted.
        kivtest::Folders::MakeUnreadable(folders_->Paths().logFolder / "badr031226.log");
        Open(QDate(2026, 12, 5), QStringLiteral("Toutes"));
        QCOMPARE(window_->DateFrom->date(), QDate(2026, 12, 1));
        const auto expected = CliSummary(*folders_, "2026-12-01", "2026-12-05", "Toutes");
        QCOMPARE(MapRows(), expected);
        QCOMPARE(errors_->messages.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(errors_->messages[0]).contains(QStringLiteral("badr031226.log")));

        const kiv::HeatMapModel& model = window_->Map->Model();
        std::vector<std::pair<std::uint64_t, double>> grounds; // count, lightness
        for (int r = 0; r < model.rowCount(); ++r)
            for (int c = 0; c < model.columnCount(); ++c) {
                const QModelIndex index = model.index(r, c);
                const auto ground = index.data(Qt::BackgroundRole).value<QColor>();
                const auto ink = index.data(Qt::ForegroundRole).value<QColor>();
                QVERIFY2(kiv::ContrastRatio(ground, ink) >= 4.5, qPrintable(index.data().toString()));
                const QString speech = expected[std::size_t(r) + 1][0] + QStringLiteral(", ") + expected[0][std::size_t(c) + 1]
                    + QStringLiteral(" : ") + expected[std::size_t(r) + 1][std::size_t(c) + 1];
                QCOMPARE(index.data(Qt::ToolTipRole).toString(), speech);
                if (!model.IsTotal(r, c)) {
                    QVERIFY2(std::abs(ground.hue() - 210) <= 10, qPrintable(ground.name())); // one hue: blue
                    grounds.emplace_back(model.Count(r, c), ground.lightnessF());
                }
            }
        std::sort(grounds.begin(), grounds.end());
        for (std::size_t i = 1; i < grounds.size(); ++i)
            QVERIFY(grounds[i].second <= grounds[i - 1].second);
        QVERIFY(grounds.front().second > grounds.back().second);

        QAccessibleInterface* map = QAccessible::queryAccessibleInterface(window_->Map);
        QVERIFY(map && map->tableInterface());
        QAccessibleTableInterface* table = map->tableInterface();
        QCOMPARE(table->rowCount(), int(expected.size()) - 1);
        QCOMPARE(table->columnCount(), 9);
        QCOMPARE(table->cellAt(0, 1)->text(QAccessible::Name), QStringLiteral("S514, 09h20 : ") + expected[1][2]);
        QCOMPARE(table->cellAt(table->rowCount() - 1, 8)->text(QAccessible::Name),
                 QStringLiteral("Toutes, total : ") + expected.back().back());

        // "Copier": the same table, tab-separated.
        window_->CopyButton->click();
        QStringList lines;
        for (const QStringList& row : expected)
            lines << row.join(QLatin1Char('\t'));
        QCOMPARE(QApplication::clipboard()->text(), lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));

        // "Enregistrer": kivlogs-cli's bytes, in Windows-1252.
        const auto saved = folders_->Exe() / "periode.csv";
        form_->RunModal = [&](QDialog& dialog) {
            static_cast<QFileDialog&>(dialog).selectFile(PathText(saved));
            return int(QDialog::Accepted);
        };
        window_->SaveButton->click();
        const QString cli = kivtest::ProgramOutput(QStringLiteral(KIVLOGS_CLI),
                                {"occupation", "--logs", PathText(folders_->Paths().logFolder), "--config",
                                 PathText(folders_->Config()), "--format", "summary", "--from", "2026-12-01", "--to",
                                 "2026-12-05", "--encoding", "cp1252"},
                                kivtest::ExitStatus::Any);
        QCOMPARE(QString::fromLatin1(kivtest::Folders::Read(saved)), QString::fromLatin1(cli.toLatin1()));
    }

    // "Imprimer": one landscape page with the title, and every count of the map.
    void printsTheMapOnOneLandscapePage()
    {
        Open(QDate(2026, 12, 5), QStringLiteral("S5"));
        QPrinter& printer = form_->findChild<kiv::ResultsOutput*>()->Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = PathText(folders_->Exe() / "periode.pdf");
        printer.setOutputFileName(pdf);
        auto* printing = form_->findChild<kiv::PrintJobRun*>();
        QSignalSpy finished(printing, &kiv::PrintJobRun::Finished);
        window_->PrintButton->click();
        QVERIFY(finished.wait(60000));
        QVERIFY(finished.at(0).at(0).toBool());
        QCOMPARE(errors_->messages, std::vector<std::string>{});

        const QString info = kivtest::PdfTool(QStringLiteral("pdfinfo"), {kivtest::HostPath(pdf)});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
        const auto size = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+)")).match(info);
        QVERIFY(size.captured(1).toDouble() > size.captured(2).toDouble());
        const QString text = kivtest::PdfText(pdf, {QStringLiteral("-layout")});
        QVERIFY2(text.contains(QStringLiteral("du 01/12/2026 au 05/12/2026, salle : S5")), qPrintable(text));
        // Every figure of the map, as often as the map holds it.
        QStringList printed = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        for (const QStringList& row : MapRows())
            for (const QString& field : row) {
                QVERIFY2(printed.removeOne(field), qPrintable(field + QStringLiteral(" missing from\n") + text));
            }

        // "Imprimer en PDF…": the same page into a file the staff name, with
        // a printer or without one, its edges kept clear for a later print.
        const QString named = PathText(folders_->Exe() / "periode-nommee.pdf");
        form_->RunModal = [&](QDialog& dialog) {
            static_cast<QFileDialog&>(dialog).selectFile(named);
            return int(QDialog::Accepted);
        };
        window_->PdfButton->click();
        QVERIFY(finished.wait(60000));
        QCOMPARE(errors_->messages, std::vector<std::string>{});
        const auto words = [](const QString& all) {
            return all.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        };
        QCOMPARE(words(kivtest::PdfText(named, {QStringLiteral("-layout")})), words(text));
        const QString box = kivtest::PdfTool(QStringLiteral("pdftotext"),
                                             {QStringLiteral("-bbox"), kivtest::HostPath(named), QStringLiteral("-")});
        const auto first = QRegularExpression(QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"")).match(box);
        QVERIFY2(first.hasMatch() && first.captured(1).toDouble() >= 11 && first.captured(2).toDouble() >= 11,
                 qPrintable(box.left(400)));
    }

    // The staff pick another log folder, or another list of rooms, while the
    // window is open: it counts again, in the new folder, its rows in the
    // new order.
    void countsAgainWhenTheSettingsChange()
    {
        Open(QDate(2026, 12, 5), QStringLiteral("Toutes"));
        QVERIFY(window_->Map->Model().Use().Total() > 0);
        const auto empty = folders_->Exe() / "vide";
        std::filesystem::create_directories(empty);
        form_->RunModal = [&](QDialog& dialog) {
            static_cast<QFileDialog&>(dialog).setDirectory(PathText(empty));
            return int(QDialog::Accepted);
        };
        QSignalSpy finished(window_, &kiv::PeriodWindow::Finished);
        form_->LogFolderButton->click();
        QVERIFY(finished.wait(60000));
        QCOMPARE(window_->Map->Model().Use().Total(), std::uint64_t{0});
        QCOMPARE(window_->Status->text(), QStringLiteral("Aucune connexion sur la période."));
    }

    // However the dates are typed, the period stays under a hundred years:
    // the logs' names hold two-digit years, and 1926 would count 2026's logs
    // a second time.
    void thePeriodNeverReachesAHundredYears()
    {
        Open(QDate(2026, 12, 5), QStringLiteral("Toutes"));
        const std::uint64_t week = window_->Map->Model().Use().Total();
        QCOMPARE(window_->DateTo->maximumDate(), QDate(2126, 11, 30));
        QSignalSpy finished(window_, &kiv::PeriodWindow::Finished);
        window_->DateFrom->setDate(QDate(1926, 12, 1));
        QCOMPARE(window_->DateFrom->date(), QDate(1926, 12, 6));
        QVERIFY(finished.wait(120000));
        QCOMPARE(window_->Map->Model().Use().Total(), week);
        QVERIFY(window_->Legend->text().contains(QStringLiteral(" %1 connexion(s)").arg(week)));
        QCOMPARE(window_->DateTo->maximumDate(), QDate(2026, 12, 5));
    }

    // "Enregistrer" never writes over a log or a list file, as the results'
    // "Enregistrer" and the command line refuse to; "Copier" shows a control
    // character of a room's name as the results view copies it.
    void savingSparesTheProgramsFilesAndCopyShowsControls()
    {
        const auto room = std::string("S\x1B" "514");
        kivtest::Folders::Write(folders_->Paths().logFolder / "connexr061226.log",
                                room + "-PC03:eleve12:061226:082533:login:B:C:D:E\r\n");
        Open(QDate(2026, 12, 6), QStringLiteral("Toutes"));
        const auto log = folders_->Paths().logFolder / "connexr011226.log";
        const std::string before = kivtest::Folders::Read(log);
        for (const auto& target : {log, folders_->Config() / "kiv_salles.txt"}) {
            errors_->messages.clear();
            const std::string kept = kivtest::Folders::Read(target);
            QVERIFY_THROWS_EXCEPTION(kiv::KivError, window_->SaveTo(target));
            form_->RunModal = [&](QDialog& dialog) {
                static_cast<QFileDialog&>(dialog).selectFile(PathText(target));
                return int(QDialog::Accepted);
            };
            window_->SaveButton->click();
            QCOMPARE(errors_->messages.size(), std::size_t{1});
            QVERIFY2(QString::fromLatin1(errors_->messages[0]).endsWith(QStringLiteral(" : Kiv Logs lit ce fichier.")),
                     errors_->messages[0].c_str());
            QCOMPARE(kivtest::Folders::Read(target), kept);
        }

        const kiv::KeywordSearchResult result = kivtest::Found(room, "514");
        form_->RichEdit1->AppendResults({&result, 1});
        form_->RichEdit1->selectAll();
        form_->RichEdit1->copy();
        QString viewCopy = QApplication::clipboard()->text();
        if (viewCopy.endsWith(QLatin1Char('\n')))
            viewCopy.chop(1); // the view's last line break
        QVERIFY(viewCopy.startsWith(QLatin1Char('S')) && viewCopy.endsWith(QStringLiteral("514")));
        window_->CopyButton->click();
        const QString mapCopy = QApplication::clipboard()->text();
        QVERIFY2(mapCopy.contains(QLatin1Char('\n') + viewCopy + QLatin1Char('\t')), qPrintable(mapCopy + "|" + viewCopy));
    }

    // A count called off shows nothing and reports no end; a change of date
    // while one runs starts it again, and only the last count ends on screen.
    void cancelAndRestart()
    {
        Open(QDate(2026, 12, 5), QStringLiteral("Toutes"));
        QSignalSpy finished(window_, &kiv::PeriodWindow::Finished);
        window_->DateFrom->setDate(QDate(2026, 11, 1));
        QVERIFY(window_->Running());
        QVERIFY(!window_->SaveButton->isEnabled());
        window_->CancelButton->click();
        QVERIFY(!window_->Running());
        QCOMPARE(window_->Status->text(), QStringLiteral("Calcul annulé."));
        QCOMPARE(window_->Map->Model().rowCount(), 0);

        window_->DateFrom->setDate(QDate(2026, 12, 1));
        window_->DateTo->setDate(QDate(2026, 12, 2));
        window_->Room->setEditText(QStringLiteral("S514"));
        QVERIFY(finished.wait(60000));
        QCOMPARE(MapRows(), CliSummary(*folders_, "2026-12-01", "2026-12-02", "S514"));
        QCOMPARE(finished.size(), 1);
        QVERIFY(window_->SaveButton->isEnabled());

        // "Du" after "Au": nothing to count, and said so.
        window_->DateFrom->setDate(QDate(2026, 12, 3));
        QVERIFY(!window_->Running());
        QCOMPARE(window_->Map->Model().rowCount(), 0);
        QVERIFY(window_->Status->text().contains(QStringLiteral("après")));
        QCOMPARE(errors_->messages, std::vector<std::string>{});
    }
};

} // namespace

QTEST_MAIN(PeriodWindowTest)
#include "PeriodWindowTest.moc"
