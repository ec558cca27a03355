// The shape every job beside the window runs on: what the window is promised
// about order, calling off and closing, proved with jobs held on latches
// rather than with timing.

#include "app/runs/WorkerRun.h"
#include "tests/support/Latch.h"

#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Run = kiv::WorkerRun<int, std::string>;

// What the window side of a run saw, in order.
struct Seen {
    std::vector<std::string> events;
    QEventLoop loop;
    int ends = 0;

    void Batches(std::deque<int>& batches)
    {
        for (const int batch : batches)
            events.push_back(std::to_string(batch));
        batches.clear();
    }
    void End(Run::Ending ending)
    {
        events.push_back("end " + ending.result + ending.failure);
        ++ends;
        loop.quit();
    }
    bool WaitForEnd(int count = 1)
    {
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        timeout.start(30000);
        while (ends < count && timeout.isActive())
            loop.exec();
        return ends >= count;
    }
    QStringList Events() const
    {
        QStringList list;
        for (const std::string& event : events)
            list << QString::fromStdString(event);
        return list;
    }
};

Run::Job Posting(std::vector<int> batches, std::string result)
{
    return [batches = std::move(batches), result = std::move(result)](Run::Outbox& out) {
        for (const int batch : batches)
            out.Post(int(batch));
        return result;
    };
}

// Where a job is held when the window stops it.
enum class HeldIn { OwnWait, FullMailbox };
enum class StopBy { Cancel, Restart, Finish, Destroy };

} // namespace

Q_DECLARE_METATYPE(HeldIn)
Q_DECLARE_METATYPE(StopBy)

class WorkerRunTest : public QObject {
    Q_OBJECT

private slots:
    void theEndComesAfterTheLastBatchWhetherTheJobReturnsOrThrows()
    {
        for (const bool throws : {false, true}) {
            Seen seen;
            Run run(nullptr, [&](std::deque<int>& b) { seen.Batches(b); }, [&](Run::Ending e) { seen.End(e); });
            QVERIFY(run.Start([throws](Run::Outbox& out) {
                for (int i = 1; i <= 3; ++i)
                    out.Post(int(i));
                if (throws)
                    throw std::runtime_error("panne");
                return std::string("fini");
            }));
            QVERIFY(!run.Start([](Run::Outbox&) { return std::string(); })); // one at a time
            QVERIFY(seen.WaitForEnd());
            const std::vector<std::string> expected{"1", "2", "3", throws ? "end panne" : "end fini"};
            QCOMPARE(seen.events, expected);
        }
    }

    void aRestartDropsTheOldJobAndNeverRunsOneSupersededBeforeItBegan()
    {
        Seen seen;
        Run run(nullptr, [&](std::deque<int>& b) { seen.Batches(b); }, [&](Run::Ending e) { seen.End(e); });
        std::promise<void> oldStarted;
        std::promise<void> oldCalledOff;
        std::promise<void> oldMayReturn;
        bool supersededRan = false;
        run.Start([&](Run::Outbox& out) {
            oldStarted.set_value();
            while (!out.Cancelled())
                ;
            oldCalledOff.set_value();
            oldMayReturn.get_future().wait();
            out.Post(-1); // after the call-off: dropped
            return std::string("ancien");
        });
        oldStarted.get_future().wait();
        run.Restart([&](Run::Outbox&) {
            supersededRan = true;
            return std::string("jamais");
        });
        oldCalledOff.get_future().wait();
        run.Restart([](Run::Outbox& out) {
            out.Post(7);
            return std::string("dernier");
        });
        oldMayReturn.set_value();
        QVERIFY(seen.WaitForEnd());
        QVERIFY(!supersededRan);
        QCOMPARE(seen.events, (std::vector<std::string>{"7", "end dernier"}));
    }

    // A watch unticked: the job is woken from its own wait, and everything it
    // posted, before and after, is handed over before the finish returns.
    void aFinishWakesTheJobAndHandsOverAllItPosted()
    {
        Seen seen;
        Run run(nullptr, [&](std::deque<int>& b) { seen.Batches(b); }, [&](Run::Ending e) { seen.End(e); });
        std::promise<void> posted;
        std::promise<void> woken;
        run.Start([&](Run::Outbox& out) {
            out.Post(1);
            out.OnStop([&] { woken.set_value(); });
            posted.set_value();
            woken.get_future().wait();
            out.Post(2);
            return std::string("fini");
        });
        posted.get_future().wait();
        run.FinishAndWait();
        QVERIFY(!run.Running());
        QCOMPARE(seen.events, (std::vector<std::string>{"1", "2", "end fini"}));
    }

    void closingTheWindowCallsTheJobOffAndWaitsForIt()
    {
        QWidget window;
        window.show();
        Seen seen;
        int stopped = 0;
        Run run(&window, [&](std::deque<int>& b) { seen.Batches(b); }, [&](Run::Ending e) { seen.End(e); },
                [&] { ++stopped; });
        std::promise<void> started;
        bool returned = false;
        run.Start([&](Run::Outbox& out) {
            out.Post(1);
            started.set_value();
            while (!out.Cancelled())
                ;
            returned = true;
            return std::string("coupe");
        });
        started.get_future().wait();
        window.close();
        QVERIFY(returned);
        QVERIFY(!run.Running());
        QCOMPARE(stopped, 1);
        // Neither the batch that waited nor the end reaches the window.
        QCoreApplication::processEvents();
        QCOMPARE(seen.events, std::vector<std::string>{});
    }

    // A watch sleeping between looks, or a list read faster than the window
    // appends it: every way the window stops a run frees the job, which runs
    // on to its return, and the window sees what that way promises.
    void everyStopFreesAJobHeldInItsOwnWaitOrOnAFullMailbox_data()
    {
        QTest::addColumn<HeldIn>("heldIn");
        QTest::addColumn<StopBy>("stopBy");
        QTest::addColumn<QStringList>("expected");
        const QStringList nothing;
        const QStringList restarted{"7", "end nouveau"};
        const QStringList finished{"1", "2", "end fini"};
        for (const auto& [held, name] : {std::pair{HeldIn::OwnWait, "own wait"},
                                         std::pair{HeldIn::FullMailbox, "full mailbox"}}) {
            const std::string prefix = std::string(name) + ", ";
            QTest::newRow((prefix + "called off").c_str()) << held << StopBy::Cancel << nothing;
            QTest::newRow((prefix + "restarted").c_str()) << held << StopBy::Restart << restarted;
            QTest::newRow((prefix + "finished").c_str()) << held << StopBy::Finish << finished;
            QTest::newRow((prefix + "run destroyed").c_str()) << held << StopBy::Destroy << nothing;
        }
    }
    void everyStopFreesAJobHeldInItsOwnWaitOrOnAFullMailbox()
    {
        QFETCH(HeldIn, heldIn);
        QFETCH(StopBy, stopBy);
        QFETCH(QStringList, expected);
        Seen seen;
        int stopped = 0;
        // One batch fills the mailbox, and the window takes nothing until
        // it is stopped.
        auto run = std::make_unique<Run>(
            nullptr, [&](std::deque<int>& b) { seen.Batches(b); }, [&](Run::Ending e) { seen.End(e); },
            [&] { ++stopped; }, kiv::WorkerPace{.mailboxBound = 1});
        kivtest::Latch held(1);
        kivtest::Latch woken(1);
        std::atomic<bool> returned = false;
        run->Start([&](Run::Outbox& out) {
            out.Post(1);
            if (heldIn == HeldIn::OwnWait) {
                out.OnStop([&woken] { woken.count_down(); });
                held.count_down();
                woken.wait();
            } else {
                held.count_down();
            }
            out.Post(2); // the mailbox is full
            returned = true;
            return std::string("fini");
        });
        held.wait();
        switch (stopBy) {
        case StopBy::Cancel:
            run->CancelAndWait();
            QCOMPARE(stopped, 1);
            break;
        case StopBy::Restart:
            run->Restart(Posting({7}, "nouveau"));
            QVERIFY(seen.WaitForEnd());
            break;
        case StopBy::Finish:
            run->FinishAndWait();
            break;
        case StopBy::Destroy:
            run.reset();
            break;
        }
        QVERIFY(returned);
        QCoreApplication::processEvents();
        QCOMPARE(seen.Events(), expected);
    }

    // A handler may start the next job itself (a message box's own event
    // loop may): nothing more of the old job is handed out, the new one's
    // batches and end are.
    void aRestartFromInsideAHandlerHandsOutOnlyTheNewJob_data()
    {
        QTest::addColumn<bool>("fromEnd");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("from take") << false << QStringList{"1", "7", "end nouveau"};
        QTest::newRow("from end") << true << QStringList{"1", "2", "end ancien", "7", "end nouveau"};
    }
    void aRestartFromInsideAHandlerHandsOutOnlyTheNewJob()
    {
        QFETCH(bool, fromEnd);
        QFETCH(QStringList, expected);
        Seen seen;
        bool restarted = false;
        const auto restart = [&](Run& run) {
            if (!std::exchange(restarted, true))
                run.Restart(Posting({7}, "nouveau"));
        };
        Run run(
            nullptr,
            [&](std::deque<int>& batches) {
                seen.events.push_back(std::to_string(batches.front()));
                batches.pop_front();
                if (!fromEnd)
                    restart(run);
            },
            [&](Run::Ending ending) {
                seen.End(ending);
                if (fromEnd)
                    restart(run);
            });
        kivtest::Latch posted(1);
        run.Start([&posted](Run::Outbox& out) {
            out.Post(1);
            out.Post(2);
            posted.count_down();
            return std::string("ancien");
        });
        posted.wait(); // both batches come in the first turn
        QVERIFY(seen.WaitForEnd(fromEnd ? 2 : 1));
        QCoreApplication::processEvents();
        QCOMPARE(seen.Events(), expected);
        QVERIFY(!run.Running());
    }

    void theRunDestroyedWhileItsJobPostsStopsTheJobAndCallsNoHandler()
    {
        int taken = 0;
        QEventLoop firstTake;
        std::atomic<bool> returned = false;
        auto run = std::make_unique<Run>(
            nullptr,
            [&](std::deque<int>& batches) {
                taken += static_cast<int>(batches.size());
                batches.clear();
                firstTake.quit();
            },
            [&](Run::Ending) { QFAIL("a job still posting never ends"); });
        run->Start([&returned](Run::Outbox& out) {
            for (int batch = 0; !out.Cancelled(); ++batch)
                out.Post(int(batch));
            returned = true;
            return std::string();
        });
        QTimer::singleShot(30000, &firstTake, &QEventLoop::quit);
        firstTake.exec();
        QVERIFY(taken > 0);
        run.reset();
        QVERIFY(returned);
        const int takenBefore = taken;
        QCoreApplication::processEvents(); // wake-ups still queued for the run
        QCOMPARE(taken, takenBefore);
    }

    // A job posting faster than the window takes waits for room: it is never
    // more than the bound ahead of the window, and every post goes through
    // as the window takes.
    void aFullMailboxHoldsEachPostUntilTheWindowTakes()
    {
        constexpr int kBound = 2;
        constexpr int kBatches = 50;
        Seen seen;
        std::atomic<int> posted = 0;
        int taken = 0;
        int mostAhead = 0;
        Run run(
            nullptr,
            [&](std::deque<int>& batches) {
                mostAhead = std::max(mostAhead, posted.load() - taken);
                taken += static_cast<int>(batches.size());
                seen.Batches(batches);
            },
            [&](Run::Ending e) { seen.End(e); }, {}, kiv::WorkerPace{.mailboxBound = kBound});
        run.Start([&posted](Run::Outbox& out) {
            for (int batch = 1; batch <= kBatches; ++batch) {
                out.Post(int(batch));
                ++posted;
            }
            return std::string("fini");
        });
        QVERIFY(seen.WaitForEnd());
        QVERIFY2(mostAhead <= kBound, std::to_string(mostAhead).c_str());
        QCOMPARE(taken, kBatches);
        QCOMPARE(seen.events.back(), std::string("end fini"));
    }

    // A turn calls take, one batch a call, while the budget lasts; once it is
    // spent the window's own events come first, and the batches left wait
    // for the next turn in order. The end still comes after the last batch.
    void aTurnTakesBatchesWhileItsBudgetLasts_data()
    {
        QTest::addColumn<qint64>("budgetNanoseconds");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("spent by one batch") << qint64{1} << QStringList{"1", "fenêtre", "2", "3", "4"};
        QTest::newRow("lasting") << qint64{3'600'000'000'000} << QStringList{"1", "2", "3", "4", "fenêtre"};
    }
    void aTurnTakesBatchesWhileItsBudgetLasts()
    {
        QFETCH(qint64, budgetNanoseconds);
        QFETCH(QStringList, expected);
        Seen seen;
        QObject window;
        bool marked = false;
        Run run(
            nullptr,
            [&](std::deque<int>& batches) {
                seen.events.push_back(std::to_string(batches.front()));
                batches.pop_front();
                // An event of the window's, queued during the first turn.
                if (!std::exchange(marked, true))
                    QMetaObject::invokeMethod(
                        &window, [&] { seen.events.push_back("fenêtre"); }, Qt::QueuedConnection);
            },
            [&](Run::Ending e) { seen.End(e); }, {},
            kiv::WorkerPace{.turnBudget = std::chrono::nanoseconds(budgetNanoseconds)});
        kivtest::Latch posted(1);
        run.Start([&posted](Run::Outbox& out) {
            for (int batch = 1; batch <= 4; ++batch)
                out.Post(int(batch));
            posted.count_down();
            return std::string("fini");
        });
        posted.wait(); // all four come in the first turn
        QVERIFY(seen.WaitForEnd());
        QCoreApplication::processEvents();
        QStringList events = seen.Events();
        // The end may come in the first turn or a later one, but after "4".
        QVERIFY(events.indexOf(QStringLiteral("end fini")) > events.indexOf(QStringLiteral("4")));
        events.removeAll(QStringLiteral("end fini"));
        QCOMPARE(events, expected);
    }
};

QTEST_MAIN(WorkerRunTest)
#include "WorkerRunTest.moc"
