// The period window of the room tab on a month of busy days, offscreen,
// beside kivlogs-cli occupation --format summary over the same days: the time
// from opening until the finished map shows, against the command line's time,
// and the largest gap of a 10 ms timer meanwhile (how long the window did not
// answer). Each is run three times; the medians are printed.
//
// bench_period_window LOGS_DIR FROM TO KIVLOGS_CLI     (dates as YYYY-MM-DD)
// (the days: kivlogs-gen busyday DIR --date YYYY-MM-DD, one file per day;
// bench/run-period-bench.sh makes them)

#include "app/period/HeatMap.h"
#include "app/period/PeriodWindow.h"
#include "app/window/KivErrorBox.h"
#include "app/window/WindowSettings.h"
#include "table/OccupationTable.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: bench_period_window LOGS_DIR FROM TO KIVLOGS_CLI\n");
        return 2;
    }
    const QString logs = QString::fromLocal8Bit(argv[1]);
    const QDate from = QDate::fromString(QString::fromLatin1(argv[2]), Qt::ISODate);
    const QDate to = QDate::fromString(QString::fromLatin1(argv[3]), Qt::ISODate);
    kiv::ErrorBoxHook = [](QWidget*, const std::string& text) { std::fprintf(stderr, "erreur : %s\n", text.c_str()); };

    std::vector<double> cli, window, stalls;
    QByteArray cliBytes;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer clock;
        clock.start();
        QProcess process;
        process.start(QString::fromLocal8Bit(argv[4]),
                      {"occupation", "--logs", logs, "--format", "summary", "--from", argv[2], "--to", argv[3],
                       "--encoding", "cp1252"});
        process.waitForFinished(-1);
        cli.push_back(clock.elapsed() / 1000.0);
        cliBytes = process.readAllStandardOutput();

        kiv::WindowSettings settings({}, {}, std::filesystem::path(logs.toStdU16String()), {}, nullptr);
        std::vector<std::string> headers;
        for (std::string_view header : kiv::InitialSlotHeaders())
            headers.emplace_back(header);
        settings.SetSlotHeaderRow(headers);
        kiv::PeriodWindow periodWindow({&settings, nullptr, nullptr, {}}, nullptr);
        QSignalSpy finished(&periodWindow, &kiv::PeriodWindow::Finished);
        qint64 worst = 0;
        QElapsedTimer tick;
        QTimer meter;
        meter.setTimerType(Qt::PreciseTimer);
        meter.setInterval(10);
        QObject::connect(&meter, &QTimer::timeout, [&] { worst = std::max(worst, tick.restart()); });
        clock.restart();
        tick.start();
        meter.start();
        periodWindow.Open(to, QStringLiteral("Toutes"));
        periodWindow.DateFrom->setDate(from); // the month's first day is the default; this sets the bench's own
        finished.wait(600000);
        // The map is on screen once the events of the end are handled.
        QApplication::processEvents();
        window.push_back(clock.elapsed() / 1000.0);
        meter.stop();
        stalls.push_back(static_cast<double>(worst));
        const QString saved = QDir::temp().filePath(QStringLiteral("bench_period_window.csv"));
        periodWindow.SaveTo(std::filesystem::path(saved.toStdU16String()));
        QFile file(saved);
        file.open(QIODevice::ReadOnly);
        if (file.readAll() != cliBytes) {
            std::fprintf(stderr, "the window's map differs from the command line's summary\n");
            return 1;
        }
        file.remove();
    }
    std::printf("kivlogs-cli summary: %.2f s, window: %.2f s (%.2f times), longest stall %.0f ms\n", Median(cli),
                Median(window), Median(window) / Median(cli), Median(stalls));
    return 0;
}
