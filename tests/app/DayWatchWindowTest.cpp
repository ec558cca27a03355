// The watch of the day in the window: the box on the search tab, the results
// it appends with their bold words, the notice of each batch, and the search
// that holds them back while it appends its own.

#include "tests/support/AppTestSupport.h"

#include "app/results/ResultsView.h"
#include "app/runs/DayWatchRun.h"
#include "app/window/WatchNotice.h"
#include "tests/lines/MarkedLines.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDate>
#include <QSignalSpy>
#include <QToolButton>

#include <memory>

using kivtest::Folders;

namespace {

// The name of today's log, as the server writes it (ddmmyy).
std::string TodaysLog()
{
    return QDate::currentDate().toString(QStringLiteral("ddMMyy")).toStdString() + ".txt";
}

void Append(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::app) << bytes;
}

} // namespace

class DayWatchWindowTest : public QObject {
    Q_OBJECT

private slots:
    void aNoticeNamesTheWordComputerAndPupilOrCountsSeveral_data()
    {
        QTest::addColumn<int>("results");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<int>("bodyLines");
        QTest::newRow("one") << 1 << QStringLiteral("Kiv Logs : « sexe » sur POSTE12 (eleve04)") << 1;
        QTest::newRow("several") << 3 << QStringLiteral("Kiv Logs : 3 lignes avec un mot surveillé") << 3;
        // A notice is read at a glance: the rest is in the window.
        QTest::newRow("many") << 9 << QStringLiteral("Kiv Logs : 9 lignes avec un mot surveillé") << 6;
    }
    void aNoticeNamesTheWordComputerAndPupilOrCountsSeveral()
    {
        QFETCH(int, results);
        const std::vector<kiv::KeywordSearchResult> batch(
            static_cast<std::size_t>(results), kiv::KeywordSearchResult{"POSTE12:eleve04: le 07/12/26: \xE0 14 h 32 min :sexe", 1, 0, 0});
        const kiv::WatchNotice notice = kiv::MakeWatchNotice(batch, {"jeu", "sexe"});
        QFETCH(QString, summary);
        QFETCH(int, bodyLines);
        QCOMPARE(notice.summary, summary);
        QCOMPARE(notice.body.split(QLatin1Char('\n')).size(), bodyLines);
        QVERIFY(notice.body.startsWith(QStringLiteral("POSTE12:eleve04: le 07/12/26: à 14 h")));
    }

    // While a search is appending its results, what the watch finds is held
    // back and appended only once the search has ended.
    void resultsFoundDuringASearchWaitForItsEnd()
    {
        Folders folders;
        const auto logs = folders.Paths().logFolder;
        std::filesystem::create_directories(logs);
        const auto log = logs / ("web" + TodaysLog());
        Folders::Write(log, "POSTE01:eleve01:071226:0800:sexe d'avant\r\n");
        QWidget window;
        kiv::ResultsView view(&window);
        bool searching = true;
        kiv::DayWatchRun run(&view, [&] { return searching; }, &window);
        QSignalSpy watching(&run, &kiv::DayWatchRun::Watching);
        QSignalSpy notices(&run, &kiv::DayWatchRun::Notice);
        // An hour between looks: only LookNow makes it look again.
        run.Start({logs, {"jeu", "sexe"}, std::nullopt, false}, std::chrono::hours(1));
        QVERIFY(watching.wait(10000));

        Append(log, "POSTE12:eleve04:071226:1432:du SEXE\r\n");
        run.LookNow();
        QVERIFY(notices.wait(10000));
        QCOMPARE(notices.at(0).at(0).toString(), QStringLiteral("Kiv Logs : « sexe » sur POSTE12 (eleve04)"));
        QCOMPARE(view.LineCount(), 0);
        run.AppendHeld(); // still searching
        QCOMPARE(view.LineCount(), 0);

        const kiv::KeywordSearchResult result = kivtest::Found("le r\xE9sultat de la recherche", "recherche");
        view.AppendResults({&result, 1});
        searching = false;
        run.AppendHeld();
        QCOMPARE(kiv::test::MarkedText(view.Store()),
                 QStringLiteral("le résultat de la [recherche]|POSTE12:eleve04: le 07/12/26: à 14 h 32 min :du [SEXE]|"));
    }

    // The box on the search tab watches the day with the default words;
    // unticking it stops the watch, and so does closing the window.
    void theBoxWatchesTheDayUntilUntickedOrClosed()
    {
        Folders folders;
        const auto logs = folders.Paths().logFolder;
        std::filesystem::create_directories(logs);
        kivtest::ErrorCapture errors; // the missing list files of a first start
        auto form = std::make_unique<kiv::TForm1>(folders.Paths());
        auto* box = form->findChild<QCheckBox*>(QStringLiteral("CheckBoxWatch"));
        QVERIFY(box);
        QCOMPARE(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name),
                 QStringLiteral("Surveiller la journée"));
        auto* run = form->findChild<kiv::DayWatchRun*>();
        QSignalSpy watching(run, &kiv::DayWatchRun::Watching);
        QSignalSpy appended(run, &kiv::DayWatchRun::Appended);

        box->setChecked(true);
        QVERIFY(watching.wait(10000));
        // A log of the day that appears after the start is read from its start.
        Folders::Write(logs / ("zz" + TodaysLog()), "POSTE12:eleve04:071226:1432:femme nue\r\nPOSTE13:e:071226:1433:rien\r\n");
        run->LookNow();
        QVERIFY(appended.wait(10000));
        QCOMPARE(form->RichEdit1->LineCount(), 1);
        QCOMPARE(form->RichEdit1->LineText(0), std::string("POSTE12:eleve04: le 07/12/26: \xE0 14 h 32 min :femme nue"));

        box->setChecked(false);
        QVERIFY(!run->Running());
        box->setChecked(true);
        QVERIFY(run->Running());
        form->close();
        QVERIFY(!run->Running());
    }
};

QTEST_MAIN(DayWatchWindowTest)
#include "DayWatchWindowTest.moc"
