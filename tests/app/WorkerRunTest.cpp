// The shape every job beside the window runs on: what the window is promised
// about order, calling off and closing, proved with jobs held on latches
// rather than with timing.

#include "app/runs/WorkerRun.h"

#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <future>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Run = kiv::WorkerRun<int, std::string>;

// What the window side of a run saw, in order.
struct Seen {
    std::vector<std::string> events;
    QEventLoop loop;
    bool ended = false;

    void Batches(std::deque<int>& batches)
    {
        for (const int batch : batches)
            events.push_back(std::to_string(batch));
        batches.clear();
    }
    void End(Run::Ending ending)
    {
        events.push_back("end " + ending.result + ending.failure);
        ended = true;
        loop.quit();
    }
    bool WaitForEnd()
    {
        if (!ended) {
            QTimer::singleShot(30000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return ended;
    }
};

} // namespace

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
};

QTEST_MAIN(WorkerRunTest)
#include "WorkerRunTest.moc"
