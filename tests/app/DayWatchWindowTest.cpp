// The watch of the day in the window: the box on the search tab, the results
// it appends with their bold words, its notices and errors, the search that
// holds them back while it appends its own, a stop that never holds the
// window, and the settings that it follows as the staff change them.

#include "tests/support/AppTestSupport.h"

#include "app/results/ResultsView.h"
#include "app/runs/DayWatchRun.h"
#include "app/window/WatchNotice.h"
#include "app/window/NoticeSetting.h"
#include "tests/lines/MarkedLines.h"
#include "tests/support/Latch.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QDate>
#include <QFileDialog>
#include <QSignalSpy>
#include <QToolButton>

#include <atomic>
#include <future>
#include <memory>
#include <thread>

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

std::string Lines(int count, const std::string& word = "sexe")
{
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += "POSTE12:eleve04:071226:1432:" + word + " " + std::to_string(i) + "\r\n";
    return lines;
}

kiv::LogDate Today()
{
    const QDate today = QDate::currentDate();
    return {today.year(), today.month(), today.day()};
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

        QSignalSpy ended(run, &kiv::DayWatchRun::Ended);
        box->setChecked(false);
        QVERIFY(ended.wait(10000));
        QVERIFY(!run->Running());
        box->setChecked(true);
        QVERIFY(run->Running());
        form->close();
        QVERIFY(!run->Running());
    }

    // Unticking while a look is under way (a large day, a hung share) returns
    // at once; ticking again meanwhile starts a new watch once the old one
    // has ended.
    void untickingNeverWaitsForTheLookUnderWay()
    {
        Folders folders;
        const auto logs = folders.Paths().logFolder;
        std::filesystem::create_directories(logs);
        const auto log = logs / ("web" + TodaysLog());
        Folders::Write(log, "");
        QWidget window;
        kiv::ResultsView view(&window);
        kiv::DayWatchRun run(&view, [] { return false; }, &window);
        QSignalSpy watching(&run, &kiv::DayWatchRun::Watching);
        QSignalSpy ended(&run, &kiv::DayWatchRun::Ended);
        QSignalSpy appended(&run, &kiv::DayWatchRun::Appended);
        // The look asks the clock first: a held clock holds the look.
        std::atomic<bool> holdLooks{false};
        kivtest::Latch lookHeld(1), release(1);
        run.Start({logs, {"sexe"}, std::nullopt, false}, std::chrono::hours(1), [&] {
            if (holdLooks.exchange(false)) {
                lookHeld.count_down();
                release.wait();
            }
            return Today();
        });
        QVERIFY(watching.wait(10000));
        holdLooks = true;
        run.LookNow();
        lookHeld.wait();

        // Whatever the window does, the look is let go after five seconds:
        // a stop that waited for it would come back only then.
        std::promise<void> windowFree;
        std::atomic<bool> heldTheWindow{false};
        std::thread releaser([&, free = windowFree.get_future()] {
            heldTheWindow = free.wait_for(std::chrono::seconds(5)) == std::future_status::timeout;
            release.count_down();
        });
        run.Stop();
        run.Start({logs, {"sexe"}, std::nullopt, false}, std::chrono::hours(1), Today);
        windowFree.set_value();
        releaser.join();
        QVERIFY(!heldTheWindow);

        QVERIFY(ended.wait(10000));
        QVERIFY(run.Running());
        QVERIFY(watching.size() == 2 || watching.wait(10000));
        Append(log, Lines(1));
        run.LookNow();
        QVERIFY(appended.wait(10000));
        QCOMPARE(view.LineCount(), 1);
    }

    // One notice a look at most, and no more often than the gap allows,
    // with the count of everything found meanwhile; with the count alone,
    // no line and no pupil.
    void noticesAreToldAtMostOnceAGapAndCountEverything()
    {
        Folders folders;
        const auto logs = folders.Paths().logFolder;
        std::filesystem::create_directories(logs);
        const auto log = logs / ("web" + TodaysLog());
        // More than a batch: a catch-up of 5,000 lines comes in three.
        Folders::Write(log, Lines(5000));
        QWidget window;
        kiv::ResultsView view(&window);
        kiv::DayWatchRun run(&view, [] { return false; }, &window, std::chrono::milliseconds(1500));
        QSignalSpy looked(&run, &kiv::DayWatchRun::Looked);
        QSignalSpy notices(&run, &kiv::DayWatchRun::Notice);
        run.Start({logs, {"sexe"}, std::nullopt, true}, std::chrono::hours(1), Today);
        QVERIFY(looked.wait(10000));
        QCOMPARE(notices.size(), 1);
        QCOMPARE(notices.at(0).at(0).toString(), QStringLiteral("Kiv Logs : 5000 lignes avec un mot surveillé"));

        for (int count : {3, 4}) {
            Append(log, Lines(count));
            run.LookNow();
            QVERIFY(looked.wait(10000));
        }
        QCOMPARE(notices.size(), 1); // within the gap: told later, together
        QVERIFY(notices.wait(10000));
        QCOMPARE(notices.at(1).at(0).toString(), QStringLiteral("Kiv Logs : 7 lignes avec un mot surveillé"));

        run.SetCountOnly(true);
        Append(log, Lines(1));
        run.LookNow();
        QVERIFY(notices.wait(10000));
        QCOMPARE(notices.at(2).at(0).toString(), QStringLiteral("Kiv Logs : 1 ligne avec un mot surveillé"));
        QVERIFY(!notices.at(2).at(1).toString().contains(QStringLiteral("eleve04")));
        QCOMPARE(view.LineCount(), 5008);
    }

    // A log cut shorter is read again from its start: the staff are told so
    // in a notice, not an error box, and its watched lines come again.
    void aLogReadAgainIsToldInANoticeNotABox()
    {
        Folders folders;
        const auto logs = folders.Paths().logFolder;
        std::filesystem::create_directories(logs);
        const auto log = logs / ("web" + TodaysLog());
        Folders::Write(log, Lines(3));
        QWidget window;
        kiv::ResultsView view(&window);
        kiv::DayWatchRun run(&view, [] { return false; }, &window, std::chrono::milliseconds(0));
        QSignalSpy looked(&run, &kiv::DayWatchRun::Looked);
        QSignalSpy notices(&run, &kiv::DayWatchRun::Notice);
        QSignalSpy failed(&run, &kiv::DayWatchRun::Failed);
        run.Start({logs, {"sexe"}, std::nullopt, false}, std::chrono::hours(1), Today);
        QVERIFY(looked.wait(10000));
        Folders::Write(log, Lines(1));
        run.LookNow();
        QVERIFY(looked.wait(10000));
        QCOMPARE(failed.size(), 0);
        QCOMPARE(view.LineCount(), 1);
        bool told = false;
        for (const QList<QVariant>& notice : notices)
            told = told || notice.at(1).toString().contains(QString::fromStdString(log.filename().string()));
        QVERIFY2(told, "no notice names the log read again");
    }

    // A share that drops again and again while the staff have not yet
    // closed the first box: one box at a time, never one over another.
    void theWatchsErrorsComeOneBoxAtATime()
    {
        Folders folders;
        const auto logs = folders.Paths().logFolder;
        std::filesystem::create_directories(logs);
        kivtest::ErrorCapture errors;
        auto form = std::make_unique<kiv::TForm1>(folders.Paths());
        errors.messages.clear(); // the missing list files of a first start
        auto* run = form->findChild<kiv::DayWatchRun*>();
        QSignalSpy watching(run, &kiv::DayWatchRun::Watching);
        QSignalSpy failed(run, &kiv::DayWatchRun::Failed);
        form->CheckBoxWatch->setChecked(true);
        QVERIFY(watching.wait(10000));

        int open = 0;
        int mostOpen = 0;
        kiv::ErrorBoxHook = [&](QWidget*, const std::string& text) {
            errors.messages.push_back(text);
            mostOpen = std::max(mostOpen, ++open);
            if (errors.messages.size() == 1) {
                // The box is open, its event loop turning: the share comes
                // back and drops again.
                QSignalSpy lookedAgain(run, &kiv::DayWatchRun::Looked);
                QSignalSpy failedAgain(run, &kiv::DayWatchRun::Failed);
                std::filesystem::create_directories(logs);
                run->LookNow();
                // The first look may have begun before the folder came back:
                // the second began after it.
                QTRY_VERIFY_WITH_TIMEOUT(lookedAgain.size() >= 2, 10000);
                std::filesystem::remove_all(logs);
                run->LookNow();
                QVERIFY(failedAgain.wait(10000));
            }
            --open;
        };
        std::filesystem::remove_all(logs);
        run->LookNow();
        QVERIFY(failed.wait(10000));
        QCOMPARE(mostOpen, 1);
        QCOMPARE(errors.messages.size(), std::size_t{2});
        QVERIFY(QString::fromLatin1(errors.messages[1]).startsWith(QStringLiteral("Impossible d'ouvrir le dossier")));
    }

    // The words of "Modifier mots recherchés par défaut" and the folder of
    // "Dossier des logs..." are watched as soon as they are saved; the old
    // folder no longer is. The notices' choice is kept for the next start.
    void theWatchFollowsTheSettingsTheStaffChange()
    {
        Folders folders;
        const auto logs = folders.Paths().logFolder;
        const auto share = logs.parent_path() / "partage";
        for (const auto& folder : {logs, share})
            std::filesystem::create_directories(folder);
        kivtest::ErrorCapture errors;
        auto form = std::make_unique<kiv::TForm1>(folders.Paths());
        form->CreateListDialogs();
        form->RunModal = [&](QDialog& dialog) {
            if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
                files->setDirectory(QString::fromStdU16String(share.u16string()));
                return int(QDialog::Accepted);
            }
            auto& list = static_cast<kiv::TListDialog&>(dialog);
            if (!kivtest::WaitForList(list))
                return -1;
            kivtest::TypeOver(*list.Memo1, QStringLiteral("tricher"));
            return kivtest::PressOk(list);
        };
        auto* run = form->findChild<kiv::DayWatchRun*>();
        QSignalSpy watching(run, &kiv::DayWatchRun::Watching);
        QSignalSpy appended(run, &kiv::DayWatchRun::Appended);
        form->CheckBoxWatch->setChecked(true);
        QVERIFY(watching.wait(10000));

        form->SpeedButton6->click();
        QCOMPARE(form->DefaultWords(), kiv::TextList{"tricher"});
        QVERIFY(watching.wait(10000));
        Append(logs / ("web" + TodaysLog()), Lines(1, "tricher"));
        run->LookNow();
        QVERIFY(appended.wait(10000));

        form->LogFolderButton->click();
        QVERIFY(watching.wait(10000));
        Append(logs / ("web" + TodaysLog()), Lines(1, "tricher"));
        Append(share / ("web" + TodaysLog()), Lines(1, "tricher") + Lines(1, "tricher"));
        run->LookNow();
        QVERIFY(appended.wait(10000));
        QCOMPARE(form->RichEdit1->LineCount(), 3); // the share's two, none more of the old folder

        auto* countOnly = form->findChild<QAction*>(QStringLiteral("CountOnlyNotices"));
        QVERIFY(countOnly && countOnly->isCheckable() && !countOnly->isChecked());
        QVERIFY(form->CheckBoxWatch->actions().contains(countOnly));
        countOnly->trigger();
        QVERIFY(kiv::ReadCountOnlyNotices(folders.Config()));
        form.reset();
        kiv::TForm1 next(folders.Paths());
        QVERIFY(next.findChild<QAction*>(QStringLiteral("CountOnlyNotices"))->isChecked());
    }
};

QTEST_MAIN(DayWatchWindowTest)
#include "DayWatchWindowTest.moc"
