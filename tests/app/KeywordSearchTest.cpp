// The keyword search tab as staff use it: a search on a folder of logs fills
// the results view, the popup searches narrow it down, and the results go to
// a file or to paper.

#include "tests/support/AppTestSupport.h"
#include "tests/support/ProgramOutput.h"

#include "app/results/ResultsPrinting.h"
#include "app/results/ResultsView.h"
#include "app/runs/KeywordSearchRun.h"
#include "app/runs/PrintJobRun.h"
#include "app/window/FrenchLook.h"
#include "jobs/LogFolder.h"
#include "qtext/QtCp1252.h"

#include <QAccessible>
#include <QAccessibleEditableTextInterface>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMimeData>
#include <QContextMenuEvent>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolButton>
#include <QToolTip>

#include <memory>

using kivtest::ErrorCapture;
using kivtest::Folders;

namespace {

// Two logs of 5 February 2006 and one of the day after. The lines carry
// accents and a no-break space (0xA0), which a saved file must keep.
void WriteLogs(const std::filesystem::path& logs)
{
    std::filesystem::create_directories(logs);
    Folders::Write(logs / "a050206.txt",
                   "POSTE12:eleve07:050206:1432:page jeux SEXE en ligne\r\n"
                   "POSTE04:eleve01:050206:1000:rien\r\n"
                   "POSTE03:\xE9l\xE8ve:050206:0915:site Sexy\xA0" "caf\xE9\r\n");
    Folders::Write(logs / "b050206.txt", "POSTE05:eleve02:050206:1100:Femme nue\r\n");
    Folders::Write(logs / "c060206.txt", "POSTE09:eleve09:060206:0800:sexe\r\n");
}

struct Shown {
    std::string line;
    std::string bold; // the bold part of the line
};

// Every line of the view with its bold text, as staff see them.
std::vector<Shown> ViewLines(const kiv::ResultsView& view)
{
    std::vector<Shown> lines;
    for (int i = 0; i < view.LineCount(); ++i) {
        Shown shown{view.LineText(i), {}};
        const QString text = view.Store().LineText(i);
        for (const kiv::BoldSpan& span : view.Store().BoldIn(i))
            shown.bold += kiv::ToCp1252(text.mid(span.start, span.length));
        lines.push_back(shown);
    }
    return lines;
}

} // namespace

class KeywordSearchTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Folders> folders_;
    std::unique_ptr<kiv::TForm1> form_;

    kiv::TForm1& Form() { return *form_; }
    kiv::KeywordSearchRun& SearchRun() { return *form_->findChild<kiv::KeywordSearchRun*>(); }

    // Clicks the button and waits for the search it started to end.
    bool SearchWith(QToolButton* button)
    {
        QSignalSpy ended(&SearchRun(), &kiv::KeywordSearchRun::Finished);
        button->click();
        return !SearchRun().Running() || ended.wait(30000);
    }
    void SelectLine(int line)
    {
        Form().RichEdit1->SetCursor({line, 0});
    }

private slots:
    void init()
    {
        folders_ = std::make_unique<Folders>();
        WriteLogs(folders_->Paths().logFolder);
        Folders::Write(folders_->Config() / "kiv_salles.txt", "S514\r\n");
        Folders::Write(folders_->Config() / "kiv_heures.txt", "8h25\r\n");
        form_ = std::make_unique<kiv::TForm1>(folders_->Paths());
        Form().MonthCalendar1->setSelectedDate(QDate(2006, 2, 5));
        QApplication::clipboard()->clear();
    }
    void cleanup()
    {
        form_.reset();
        folders_.reset();
    }

    void aSearchAppendsEachMatchWithItsWordInBoldAndLeavesTheLastOnTheClipboard()
    {
        QVERIFY(SearchWith(Form().SpeedButton1));
        const std::vector<Shown> first{
            {"POSTE12:eleve07: le 05/02/06: \xE0 14 h 32 min :page jeux SEXE en ligne", "SEXE"},
            {"POSTE03:\xE9l\xE8ve: le 05/02/06: \xE0 09 h 15 min :site Sexy\xA0" "caf\xE9", "Sexy"},
            {"POSTE05:eleve02: le 05/02/06: \xE0 11 h 00 min :Femme nue", "Femme nu"},
        };
        std::vector<Shown> shown = ViewLines(*Form().RichEdit1);
        QCOMPARE(shown.size(), first.size());
        for (std::size_t i = 0; i < first.size(); ++i) {
            QCOMPARE(shown[i].line, first[i].line);
            QCOMPARE(shown[i].bold, first[i].bold);
        }
        const QMimeData* clip = QApplication::clipboard()->mimeData();
        QCOMPARE(kiv::ToCp1252(clip->text()), first.back().line);
        QVERIFY(clip->html().contains(QStringLiteral("font-weight")));
        QVERIFY(!Form().ProgressBar1->isVisible() && Form().ProgressBar1->value() == 0);
        QVERIFY(!Form().SearchBusy());

        // A month search (two files) then a search of one found file: both
        // append after what is there, a word found in no field stays plain.
        Form().RadioMois->setChecked(true);
        Form().Memo3->setPlainText(QStringLiteral("ligne"));
        QVERIFY(SearchWith(Form().SpeedButton3));
        Form().RadioJour->setChecked(true);
        Form().MonthCalendar1->setSelectedDate(QDate(2006, 2, 6));
        Form().Memo3->setPlainText(QStringLiteral("0800"));
        QVERIFY(SearchWith(Form().SpeedButton3));
        shown = ViewLines(*Form().RichEdit1);
        QCOMPARE(shown.size(), std::size_t(5));
        QCOMPARE(shown[3].bold, std::string("ligne"));
        QCOMPARE(shown[4].line, std::string("POSTE09:eleve09: le 06/02/06: \xE0 08 h 00 min :sexe"));
        QCOMPARE(shown[4].bold, std::string());
        QCOMPARE(Form().SearchWords(), kiv::TextList{"0800"});
    }

    void unreadableLogsAreListedInOneBoxAndTheOtherResultsStillCome()
    {
        const std::filesystem::path logs = folders_->Paths().logFolder;
#ifdef _WIN32
        // Windows' names hold neither a line break nor a colon.
        const std::filesystem::path bad = logs / "bad 050206.txt";
#else
        // A name can hold a line break: it must not make a line of its own.
        const std::filesystem::path bad = logs / "bad\nFAKE: tout va bien 050206.txt";
#endif
        Folders::MakeUnreadable(bad);
        // The line before the refused indentation is still searched.
        Folders::Write(logs / "d050206.txt", "P1:u1:050206:0800:sexe avant\r\n\t\tP2:u2:050206:0801:sexe apr\xE8s\r\n");
        ErrorCapture errors;
        QVERIFY(SearchWith(Form().SpeedButton1));
        QCOMPARE(errors.messages.size(), std::size_t(1));
        const std::string box = errors.messages.front();
        QCOMPARE(std::count(box.begin(), box.end(), '\n'), 1);
        QVERIFY(box.find("Impossible d'ouvrir le fichier " + kiv::PathForMessage(bad) + ".\n") == 0);
#ifndef _WIN32
        QVERIFY(box.find("bad^JFAKE: tout va bien 050206.txt.\n") != std::string::npos);
#endif
        QVERIFY(box.find("Niveau incorrect (2)") != std::string::npos);
        QCOMPARE(Form().RichEdit1->LineCount(), 4);
        QVERIFY(!Form().ProgressBar1->isVisible() && !Form().SearchBusy());
        QVERIFY(Form().SpeedButton1->isEnabled());
    }

    void duringASearchNoOtherStartsAndTheCaretIsNotFollowed()
    {
        Form().Memo3->setPlainText(QStringLiteral("jeux"));
        QSignalSpy ended(&SearchRun(), &kiv::KeywordSearchRun::Finished);
        Form().SpeedButton1->click();
        QVERIFY(Form().SearchBusy());
        QVERIFY(!Form().SpeedButton1->isEnabled() && !Form().SpeedButton3->isEnabled());
        QVERIFY(!Form().Rechercheordi->isEnabled() && !Form().RechercheNom->isEnabled());
        Form().Memo3->setPlainText(QStringLiteral("autre"));
        QVERIFY(!Form().SpeedButton3->isEnabled());
        Form().SpeedButton3->click();
        Form().RichEdit1SelectionChange();
        QVERIFY(Form().StatusText->text().isEmpty());
        QVERIFY(ended.wait(30000));
        QCOMPARE(ended.size(), 1);
        QCOMPARE(Form().SearchWords(), kivtest::kBuiltInWords);
        QVERIFY(Form().SpeedButton1->isEnabled() && Form().SpeedButton3->isEnabled());
        // The caret ended after the last result, on the empty line: the
        // popup's searches have nothing to search.
        QCOMPARE(Form().RichEdit1->CursorPos(), Form().RichEdit1->Store().End());
        QVERIFY(!Form().Rechercheordi->isEnabled() && !Form().RechercheNom->isEnabled());
    }

    // New results show where they arrive: the caret and the view end after
    // the last one, as if each were pasted at the caret, wherever the caret
    // stood before the search; and the popup's searches follow that line.
    void aSearchLeavesTheCaretAndTheViewAfterItsLastResult()
    {
        Form().resize(900, 500);
        Form().show();
        std::vector<kiv::KeywordSearchResult> earlier;
        for (int i = 0; i < 300; ++i)
            earlier.push_back(kivtest::Found("POSTE" + std::to_string(i) + ":eleve:ancien"));
        Form().RichEdit1->AppendResults(earlier);
        SelectLine(5);
        QVERIFY(Form().Rechercheordi->isEnabled());
        QVERIFY(SearchWith(Form().SpeedButton1));
        kiv::ResultsView& view = *Form().RichEdit1;
        QCOMPARE(view.LineCount(), 303);
        QCOMPARE(view.CursorPos(), view.Store().End());
        QVERIFY(view.viewport()->rect().contains(view.CharacterRect({302, 0})));
        QVERIFY(!Form().Rechercheordi->isEnabled() && !Form().RechercheNom->isEnabled());
    }

    // A caret the user moves while results come stays where it was put, and
    // so does the view.
    void resultsFollowTheCaretOnlyUntilTheUserMovesIt_data()
    {
        QTest::addColumn<bool>("userMoves");
        QTest::newRow("left alone") << false;
        QTest::newRow("moved during the search") << true;
    }
    void resultsFollowTheCaretOnlyUntilTheUserMovesIt()
    {
        QFETCH(bool, userMoves);
        kiv::ResultsView view;
        view.resize(400, 200);
        const auto batch = [](int first) {
            std::vector<kiv::KeywordSearchResult> results;
            for (int i = first; i < first + 100; ++i)
                results.push_back(kivtest::Found("POSTE" + std::to_string(i) + ":eleve:sexe", "sexe"));
            return kiv::ResultsView::Lines(results);
        };
        view.FollowAppends(true);
        view.AppendPrepared(batch(0));
        QCOMPARE(view.CursorPos(), view.Store().End());
        if (userMoves) {
            view.SetCursor({10, 2});
            view.EnsureCursorVisible(); // as a click on that line leaves it
        }
        view.AppendPrepared(batch(100));
        view.FollowAppends(false);
        const kiv::TextPos expected = userMoves ? kiv::TextPos{10, 2} : view.Store().End();
        QCOMPARE(view.CursorPos(), expected);
        QVERIFY(view.viewport()->rect().contains(view.CharacterRect(expected)));
    }

    void closingTheWindowDuringASearchStopsIt()
    {
        QSignalSpy ended(&SearchRun(), &kiv::KeywordSearchRun::Finished);
        Form().SpeedButton1->click();
        QVERIFY(SearchRun().Running());
        Form().close();
        QVERIFY(!SearchRun().Running());
        QCoreApplication::processEvents();
        QCOMPARE(ended.size(), 0);
        // A window destroyed in the middle of a search, without closing.
        form_->SpeedButton1->click();
        form_.reset();
    }

    void theStatusLineAndPopupSearchesFollowTheCaretLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("computer"); // what each popup search puts in
        QTest::addColumn<QString>("pupil");    // Memo3 and searches; empty: nothing
        QTest::newRow("a result") << "POSTE12:eleve07: le 15/03/06: \u00E0 14 h 32 min :page" << "POSTE12" << "eleve07";
        QTest::newRow("no colon") << "POSTE12" << "POSTE12" << "";
        QTest::newRow("one colon") << "POSTE12:eleve07" << "POSTE12" << "eleve07";
        QTest::newRow("leading colon") << ":eleve07:x" << "" << "eleve07";
    }
    void theStatusLineAndPopupSearchesFollowTheCaretLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, computer);
        QFETCH(QString, pupil);
        const std::pair<QAction*, QString> searches[] = {{Form().Rechercheordi, computer}, {Form().RechercheNom, pupil}};
        for (const auto& [item, word] : searches) {
            Form().RichEdit1->clear();
            const kiv::KeywordSearchResult results[] = {kivtest::Found("premier"), kivtest::Found(kiv::ToCp1252(line))};
            Form().RichEdit1->AppendResults(results);
            SelectLine(2);
            QCOMPARE(Form().StatusText->text(), QStringLiteral("ligne 3  "));
            QVERIFY(!item->isEnabled());
            SelectLine(1);
            QCOMPARE(Form().StatusText->text(), QStringLiteral("ligne 2  "));
            QVERIFY(item->isEnabled() && Form().Copier1->isEnabled());
            Form().Memo3->setPlainText(QStringLiteral("avant"));
            QSignalSpy ended(&SearchRun(), &kiv::KeywordSearchRun::Finished);
            item->trigger();
            QCOMPARE(Form().Memo3->toPlainText(), word.isEmpty() ? QStringLiteral("avant") : word);
            QCOMPARE(SearchRun().Running() || !ended.isEmpty(), !word.isEmpty());
            if (SearchRun().Running())
                QVERIFY(ended.wait(30000));
        }
    }

    void effacerEmptiesTheViewAndCopierCopiesRichAndPlainText()
    {
        const kiv::KeywordSearchResult results[] = {kivtest::Found("POSTE2:u2:jeux <b>", "jeux"),
                                                    kivtest::Found("POSTE1:u1:sexe", "sexe")};
        Form().RichEdit1->AppendResults(results);
        // The user takes the first line away; the selection copies the rest.
        Form().RichEdit1->SetSelection({0, 0}, {1, 0});
        QTest::keyClick(Form().RichEdit1, Qt::Key_Delete);
        Form().RichEdit1->selectAll();
        Form().Copier1->trigger();
        const QMimeData* clip = QApplication::clipboard()->mimeData();
        QCOMPARE(clip->text(), QStringLiteral("POSTE1:u1:sexe\n"));
        QCOMPARE(clip->html().count(QStringLiteral("font-weight:700\">sexe<")), 1);
        Form().RichEdit1->undo();
        Form().RichEdit1->selectAll();
        Form().Copier1->trigger();
        // Text from the logs is no markup, on the clipboard either.
        QVERIFY(QApplication::clipboard()->mimeData()->html().contains(QStringLiteral("jeux</span> &lt;b&gt;")));
        QCOMPARE(Form().RichEdit1->FileText(), std::string("POSTE2:u2:jeux <b>\r\nPOSTE1:u1:sexe\r\n"));
        Form().RichEdit1->SetSelection({1, 0}, {2, 0});
        Form().Copier1->trigger();
        // "Effacer" leaves the clipboard as it was.
        Form().SpeedButton4->click();
        QCOMPARE(Form().RichEdit1->LineCount(), 0);
        QCOMPARE(QApplication::clipboard()->mimeData()->text(), QStringLiteral("POSTE1:u1:sexe\n"));
    }

    void savingWritesWhatTheCommandLineWritesAndPrintingToAFileMakesThePrintout()
    {
        QVERIFY(SearchWith(Form().SpeedButton1));
        const std::filesystem::path out = folders_->Exe();
        const std::filesystem::path cliFile = out / "cli.txt";
        kivtest::ProgramBytes(QStringLiteral(KIVLOGS_CLI), {"search", "--logs", QString::fromStdU16String(folders_->Paths().logFolder.u16string()),
                                          "--date", "2006-02-05", "--output", QString::fromStdU16String(cliFile.u16string())});
        const std::string expected = Folders::Read(cliFile);
        QVERIFY(expected.find("caf\xE9\r\n") != std::string::npos);

        // Each dialog in turn: the test plays the user.
        std::vector<QString> titles;
        std::vector<QString> offered;
        QString answer;
        QString printFile;
        Form().HasDefaultPrinter = [] { return true; };
        Form().RunModal = [&](QDialog& dialog) {
            if (auto* print = qobject_cast<QPrintDialog*>(&dialog)) {
                print->printer()->setOutputFileName(printFile);
                return int(QDialog::Accepted);
            }
            auto& save = static_cast<QFileDialog&>(dialog);
            titles.push_back(save.windowTitle());
            offered.push_back(save.selectedFiles().value(0));
            save.selectFile(answer);
            return int(QDialog::Accepted);
        };
        const auto cwd = std::filesystem::current_path();
        answer = QString::fromStdU16String((out / "resultats").u16string());
        Form().SpeedButton5->click();
        QCOMPARE(Folders::Read(out / "resultats.txt"), expected);
        QVERIFY(offered[0].endsWith(QStringLiteral("/kiv_log.txt")));

        // The print dialog's file is the printout itself, as a PDF: no save
        // dialog, the text as on paper.
        printFile = QString::fromStdU16String((out / "imprime.pdf").u16string());
        QSignalSpy printed(Form().findChild<kiv::PrintJobRun*>(), &kiv::PrintJobRun::Finished);
        Form().SpeedButton2->click();
        QVERIFY(printed.wait(30000));
        const QString text = kivtest::PdfText(printFile);
        // (A no-break space reads back from the PDF as a space.)
        QCOMPARE(text.split(QRegularExpression(QStringLiteral("[\n\f]+")), Qt::SkipEmptyParts),
                 Form().RichEdit1->toPlainText().replace(QChar(0xA0), QLatin1Char(' ')).split(QLatin1Char('\n'), Qt::SkipEmptyParts));
        printFile.clear();

        ErrorCapture errors;
        answer = QString::fromStdU16String((out / "absent" / "x.txt").u16string());
        Form().SpeedButton5->click();
        QCOMPARE(titles.size(), std::size_t(2));
        QCOMPARE(titles[1], titles[0]);
        QCOMPARE(std::filesystem::path(offered[1].toStdU16String()), out / "resultats.txt");
        QCOMPARE(errors.messages,
                 std::vector<std::string>{"Impossible de cr\xE9" "er le fichier " + kiv::PathForMessage(out / "absent" / "x.txt") + "."});
        QCOMPARE(std::filesystem::current_path(), cwd);

        Form().HasDefaultPrinter = [] { return false; };
        Form().SpeedButton2->click();
        QCOMPARE(errors.messages.back(), std::string("Aucune imprimante par d\xE9" "faut s\xE9" "lectionn\xE9" "e."));
        QCOMPARE(titles.size(), std::size_t(2));
    }

    // A Polish l with stroke would be searched for as "?", and a zero-width
    // space pasted after a word would make it find nothing: each is named,
    // and the other words are searched for.
    void aTypedWordThatNoLogCanHoldIsRefusedAndTheOthersSearched()
    {
        ErrorCapture errors;
        Form().Memo3->setPlainText(QStringLiteral("\u0142\nsexe\u200B\nrien\n"));
        QVERIFY(SearchWith(Form().SpeedButton3));

        QCOMPARE(errors.messages,
                 std::vector<std::string>{"Le mot \xAB ? \xBB contient un caract\xE8re (U+0142) que les logs ne peuvent pas contenir.\n"
                                          "Le mot \xAB sexe? \xBB contient un caract\xE8re (U+200B) que les logs ne peuvent pas contenir."});
        QCOMPARE(Form().SearchWords(), kiv::TextList{"rien"});
        QCOMPARE(Form().RichEdit1->LineCount(), 1);
        QVERIFY(ViewLines(*Form().RichEdit1)[0].line.starts_with("POSTE04:eleve01:"));
    }

    // A log line of 100 MB pasted by mistake would be laid out on every
    // event: a paste with a line longer than any word is refused whole.
    void aPasteWithALineLongerThanAnyWordIsRefused()
    {
        ErrorCapture errors;
        Form().Memo3->setPlainText(QStringLiteral("sexe\n"));
        Form().Memo3->moveCursor(QTextCursor::End);
        for (const qsizetype length : {kiv::WordBox::LongestWord, kiv::WordBox::LongestWord + 1}) {
            QApplication::clipboard()->setText(QStringLiteral("mot\n") + QString(length, u'x'));
            Form().Memo3->paste();
        }
        QCOMPARE(errors.messages.size(), std::size_t(1));
        QCOMPARE(Form().Memo3->toPlainText(), QStringLiteral("sexe\nmot\n") + QString(kiv::WordBox::LongestWord, u'x'));
    }

    // Saved results never take the place of what the program reads: a day's
    // log (an empty view would leave it at 0 bytes) or a list file, named
    // directly or through a link. A dangling link is written through.
    void savingRefusesTheFilesTheProgramReads_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("refused");
        QTest::newRow("a log of the day") << "logs/a050206.txt" << true;
        QTest::newRow("the room list") << "cfg/kiv_salles.txt" << true;
        QTest::newRow("a link to a log") << "exe/lien.txt" << true;
        QTest::newRow("a new file in the log folder") << "logs/nouveau.txt" << false;
        QTest::newRow("a dangling link") << "exe/pendant.txt" << false;
    }
    void savingRefusesTheFilesTheProgramReads()
    {
        QFETCH(QString, target);
        QFETCH(bool, refused);
        const std::filesystem::path root = folders_->Exe().parent_path();
        // Windows gives symbolic links to administrators only: where none can
        // be made, the rows about links have nothing to try.
        std::error_code noLinks;
        std::filesystem::create_symlink(root / "logs" / "a050206.txt", root / "exe" / "lien.txt", noLinks);
        if (!noLinks)
            std::filesystem::create_symlink(root / "exe" / "cible.txt", root / "exe" / "pendant.txt", noLinks);
        if (noLinks && target.startsWith(QStringLiteral("exe/")))
            QSKIP("no symbolic link can be made here");
        const std::filesystem::path path = root / target.toStdString();
        const std::string before = Folders::Read(path);
        Form().RunModal = [&](QDialog& dialog) {
            static_cast<QFileDialog&>(dialog).selectFile(QString::fromStdU16String(path.u16string()));
            return int(QDialog::Accepted);
        };
        ErrorCapture errors;
        Form().SpeedButton5->click(); // the view is empty

        QCOMPARE(errors.messages.size(), std::size_t(refused ? 1 : 0));
        if (refused) {
            QCOMPARE(errors.messages[0], "Impossible d'enregistrer les r\xE9sultats dans " + kiv::PathForMessage(path)
                                             + " : Kiv Logs lit ce fichier.");
            QCOMPARE(Folders::Read(path), before);
        } else {
            QVERIFY(std::filesystem::is_regular_file(path));
        }
        QVERIFY(noLinks || std::filesystem::is_symlink(root / "exe" / "pendant.txt"));
    }

    void aScanWithThousandsOfUnreadableLogsGivesABoxThatFitsTheScreen_data()
    {
        QTest::addColumn<int>("errorCount");
        QTest::addColumn<int>("shownLines");
        QTest::newRow("one") << 1 << 1;
        QTest::newRow("as many as the box shows") << 20 << 20;
        QTest::newRow("one more") << 21 << 21;
        QTest::newRow("twenty thousand") << 20000 << 21;
    }
    void aScanWithThousandsOfUnreadableLogsGivesABoxThatFitsTheScreen()
    {
        QFETCH(int, errorCount);
        QFETCH(int, shownLines);
        std::vector<std::string> errors;
        for (int i = 0; i < errorCount; ++i)
            errors.push_back("Impossible d'ouvrir le fichier /logs/" + std::to_string(i) + "050206.txt");
        const kiv::ErrorBoxText text = kiv::ScanErrorsText(errors);

        QCOMPARE(int(std::count(text.shown.begin(), text.shown.end(), '\n')) + 1, shownLines);
        const std::string& everything = text.details.empty() ? text.shown : text.details;
        QCOMPARE(int(std::count(everything.begin(), everything.end(), '\n')) + 1, errorCount);
        QVERIFY(everything.find("/logs/" + std::to_string(errorCount - 1) + "050206.txt.") != std::string::npos);
        QCOMPARE(text.details.empty(), errorCount <= 20);
        if (errorCount > 20)
            QVERIFY(text.shown.ends_with("\n\x85 et " + std::to_string(errorCount - 20) + " autres fichiers illisibles"));
    }

    void printingToPaperKeepsEveryLineAndTheBoldWordInPortrait()
    {
        std::vector<kiv::KeywordSearchResult> results;
        for (int i = 0; i < 150; ++i)
            results.push_back(kivtest::Found("POSTE" + std::to_string(i) + ":eleve:caf\xE9 sexe fin", "sexe"));
        Form().RichEdit1->AppendResults(results);
        const std::filesystem::path pdf = folders_->Exe() / "resultats.pdf";
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdU16String(pdf.u16string()));
        // A table printed before turned the printer to landscape.
        printer.setPageOrientation(QPageLayout::Landscape);
        kiv::PrintResults(Form().RichEdit1->Store(), Form().RichEdit1->font(), printer);

        const QString file = QString::fromStdU16String(pdf.u16string());
        QString text = kivtest::PdfText(file);
        QCOMPARE(text.split(QRegularExpression(QStringLiteral("[\n\f]+")), Qt::SkipEmptyParts),
                 Form().RichEdit1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts));
        const std::string info = kivtest::PdfTool(QStringLiteral("pdfinfo"), {kivtest::HostPath(file)}).toStdString();
        QVERIFY(text.count(QLatin1Char('\f')) >= 2); // across pages
        const auto sizeAt = info.find("Page size:");
        double width = 0, height = 0;
        QVERIFY(std::sscanf(info.c_str() + sizeAt, "Page size: %lf x %lf", &width, &height) == 2);
        QVERIFY(width < height);
        QVERIFY(kivtest::PdfTool(QStringLiteral("pdffonts"), {kivtest::HostPath(file)}).contains(QStringLiteral("Bold")));
    }

    void theTabIsNamedAndUsableThroughAccessibility()
    {
        QList<QWidget*> controls = Form().Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        controls << Form().RadioMois << Form().RadioJour << Form().RadioTout << Form().RichEdit1;
        for (QWidget* control : controls) {
            if (!control->isVisibleTo(Form().TabSheet1) || control->focusPolicy() == Qt::NoFocus)
                continue;
            QAccessibleInterface* access = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(access && !access->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
        }
        for (QWidget* box : {static_cast<QWidget*>(Form().RichEdit1), static_cast<QWidget*>(Form().Memo3)}) {
            QVERIFY(!box->accessibleName().isEmpty());
            QAccessibleInterface* access = QAccessible::queryAccessibleInterface(box);
            QVERIFY(access->editableTextInterface() && access->textInterface());
            access->editableTextInterface()->insertText(0, QStringLiteral("POSTE1:eleve1"));
            QCOMPARE(access->textInterface()->text(0, 13), QStringLiteral("POSTE1:eleve1"));
        }
        QVERIFY(Form().SpeedButton3->isEnabled());
        // The popup menu opens from the keyboard's menu key as well.
        QSignalSpy opened(Form().PopupMenu1, &QMenu::aboutToShow);
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5), Form().RichEdit1->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(Form().RichEdit1, &menuKey);
        QCOMPARE(opened.size(), 1);
        Form().PopupMenu1->hide();
    }

    // A search that finds nothing says so in a passing tip over the results,
    // and the status line stays as it was.
    void aSearchThatFindsNothingSaysSoWithoutTouchingTheStatusLine_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("told");
        QTest::newRow("nothing found") << QStringLiteral("introuvable") << true;
        QTest::newRow("something found") << QStringLiteral("sexe") << false;
    }
    void aSearchThatFindsNothingSaysSoWithoutTouchingTheStatusLine()
    {
        QFETCH(QString, word);
        QFETCH(bool, told);
        Form().show();
        // The window's activation, if it came after the tip, would hide it.
        QVERIFY(QTest::qWaitForWindowActive(&Form()));
        QToolTip::hideText();
        Form().StatusText->setText(QStringLiteral("ligne 3  "));
        Form().Memo3->setPlainText(word);
        QVERIFY(SearchWith(Form().SpeedButton3));
        QCOMPARE(QToolTip::isVisible() && QToolTip::text() == QStringLiteral("Aucun résultat"), told);
        QCOMPARE(Form().StatusText->text(), QStringLiteral("ligne 3  "));
    }

    void theWindowStopsShrinkingBeforeItsControlsAndQtSpeaksFrench()
    {
        Form().layout()->activate();
        Form().resize(300, 200);
        QVERIFY(Form().width() > Form().SpeedButton6->geometry().right());
        QVERIFY(Form().height() > Form().Panel1->height() + Form().Panel2->height());
        kiv::UseFrenchLook(*qApp);
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Annuler"));
    }
};

QTEST_MAIN(KeywordSearchTest)
#include "KeywordSearchTest.moc"
