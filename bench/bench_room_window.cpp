// The room tab of the real window on a busy day, offscreen, beside
// kivlogs-cli occupation on the same day:
//  - the time from a change of day until the table and the text view hold
//    every session, against the command line's time;
//  - the largest gap of a 10 ms timer while the scan fills the window and
//    while the text view is scrolled;
//  - one repaint of the table holding the whole day;
//  - ten quick changes of the room, as typing does: the table must end as the
//    last text's table, without a stall.
//
// bench_room_window LOGS_DIR YYYY-MM-DD KIVLOGS_CLI
// (the busy day: kivlogs-gen busyday DIR --lines 1000000 --users 3000)

#include "app/runs/RoomScanFeed.h"
#include "app/window/KivErrorBox.h"
#include "app/window/Unit1.h"
#include "bench/StallMeter.h"
#include "grid/TSlotGrid.h"
#include "lines/LinesEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct CliRun {
    double seconds = 0;
    QByteArray output;
};

CliRun RunCli(const QString& cli, const QStringList& args)
{
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(cli, args);
    process.waitForFinished(-1);
    CliRun run;
    run.output = process.readAllStandardOutput();
    run.seconds = clock.nsecsElapsed() / 1e9;
    return run;
}

// The row-1 cells as the command line's "cells" output gives them.
std::vector<std::string> CellsFromCli(const QByteArray& output)
{
    std::vector<std::string> cells;
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith('#') && line.contains('\t'))
            cells.emplace_back();
        else if (!cells.empty() && !line.isEmpty()) {
            cells.back() += '\r';
            cells.back() += line.toStdString();
        }
    }
    return cells;
}

std::vector<std::string> CellsOf(const kiv::TForm1& form)
{
    std::vector<std::string> cells;
    for (int c = 0; c < 8; ++c)
        cells.push_back(form.SlotGrid1->CellText(c, 1));
    return cells;
}

std::size_t EntryCount(const std::vector<std::string>& cells)
{
    std::size_t entries = 0;
    for (const std::string& cell : cells)
        entries += static_cast<std::size_t>(std::count(cell.begin(), cell.end(), '\r'));
    return entries;
}

// Runs the event loop until the room scan reports its end.
void WaitForEnd(kiv::TForm1& form)
{
    QEventLoop loop;
    const auto connection = QObject::connect(form.RoomFeed, &kiv::RoomScanFeed::Ended, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(connection);
}

// The processor time the calling thread has used, in seconds.
double ThreadCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

const char* Verdict(bool met)
{
    return met ? "met" : "MISSED";
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_room_window LOGS_DIR YYYY-MM-DD KIVLOGS_CLI\n");
        return 2;
    }
    const QString logs = QString::fromLocal8Bit(argv[1]);
    const QDate day = QDate::fromString(QString::fromLatin1(argv[2]), Qt::ISODate);
    const QString cli = QString::fromLocal8Bit(argv[3]);
    QTemporaryDir config;
    std::ofstream(config.filePath(QStringLiteral("kiv_heures.txt")).toStdString(), std::ios::binary)
        << "08h25\r\n09h20\r\n10h30\r\n11h25\r\n12h35\r\n14h00\r\n15h00\r\n17h00";
    std::ofstream(config.filePath(QStringLiteral("kiv_salles.txt")).toStdString(), std::ios::binary) << "S303\r\n";
    std::vector<std::string> errors;
    kiv::ErrorBoxHook = [&errors](QWidget*, const std::string& text) { errors.push_back(text); };

    // The command line, same day, same run: the best of three.
    const QStringList cliArgs{QStringLiteral("occupation"), QStringLiteral("--logs"), logs,
                              QStringLiteral("--date"), QString::fromLatin1(argv[2]), QStringLiteral("--format"),
                              QStringLiteral("text")};
    CliRun cliRun = RunCli(cli, cliArgs);
    const qsizetype sessions = cliRun.output.count('\n');
    for (int i = 0; i < 2; ++i)
        cliRun.seconds = std::min(cliRun.seconds, RunCli(cli, cliArgs).seconds);

    const std::filesystem::path configPath(config.path().toStdString());
    kiv::TForm1 form({configPath, configPath, std::filesystem::path(logs.toStdString())});
    form.resize(1280, 900);
    form.show();
    form.PageControl1->setCurrentWidget(form.TabSheet2);
    if (!QTest::qWaitForWindowExposed(&form))
        std::fprintf(stderr, "the window was not shown\n");

    // 1. A change of day: the whole school's sessions.
    StallMeter meter;
    QElapsedTimer clock;
    meter.Start();
    const double cpuBefore = ThreadCpuSeconds();
    clock.start();
    form.DateTimePicker1->setDate(day);
    WaitForEnd(form);
    const double windowSeconds = clock.nsecsElapsed() / 1e9;
    const double windowCpu = ThreadCpuSeconds() - cpuBefore;
    const qint64 scanStall = meter.StopMs();
    // The text ends with a line break, after which an empty line stands.
    const kiv::LineStore& text = form.Memo4->Store();
    const int textLines = static_cast<int>(text.LineCount() - (text.LineLength(text.LineCount() - 1) == 0 ? 1 : 0));
    const std::size_t entries = EntryCount(CellsOf(form));
    QElapsedTimer paintClock;
    paintClock.start();
    form.SlotGrid1->viewport()->repaint();
    const double repaintMs = paintClock.nsecsElapsed() / 1e6;

    // 2. Scrolling the text view from top to bottom, a page at a time.
    form.Button2Click();
    QScrollBar* bar = form.Memo4->verticalScrollBar();
    bar->setValue(0);
    meter.Start();
    QElapsedTimer scrollClock;
    scrollClock.start();
    int steps = 0;
    {
        QEventLoop loop;
        QTimer step;
        QObject::connect(&step, &QTimer::timeout, [&] {
            ++steps;
            bar->setValue(bar->value() + bar->pageStep() * 97);
            if (bar->value() >= bar->maximum())
                loop.quit();
        });
        step.start(15);
        loop.exec();
    }
    const qint64 scrollStall = meter.StopMs();
    form.Button2Click();

    // 3. Ten changes of the room, a key every 25 ms, as a quick typist types.
    const int keys[] = {Qt::Key_S, Qt::Key_5, Qt::Key_0, Qt::Key_Backspace, Qt::Key_Backspace,
                        Qt::Key_3, Qt::Key_0, Qt::Key_2, Qt::Key_Backspace, Qt::Key_3};
    form.ComboBox1->setFocus();
    {
        const QSignalBlocker quiet(form.ComboBox1);
        form.ComboBox1->setEditText(QString());
    }
    meter.Start();
    {
        QEventLoop loop;
        QTimer typing;
        std::size_t next = 0;
        QObject::connect(&typing, &QTimer::timeout, [&] {
            QTest::keyClick(form.ComboBox1->lineEdit(), static_cast<Qt::Key>(keys[next]));
            if (++next == std::size(keys))
                loop.quit();
        });
        typing.start(25);
        loop.exec();
    }
    WaitForEnd(form);
    const qint64 typingStall = meter.StopMs();
    const QString lastRoom = form.ComboBox1->currentText();
    const std::vector<std::string> expected = CellsFromCli(
        RunCli(cli, {QStringLiteral("occupation"), QStringLiteral("--logs"), logs, QStringLiteral("--date"),
                     QString::fromLatin1(argv[2]), QStringLiteral("--format"), QStringLiteral("cells"),
                     QStringLiteral("--encoding"), QStringLiteral("cp1252"), QStringLiteral("--slots"),
                     config.filePath(QStringLiteral("kiv_heures.txt")), QStringLiteral("--room"), lastRoom})
            .output);
    const bool lastTable = CellsOf(form) == expected;

    const double ratio = windowSeconds / cliRun.seconds;
    std::printf("Room scan of the busy day, window offscreen beside kivlogs-cli occupation\n");
    std::printf("  sessions (kivlogs-cli text lines)   %lld\n", static_cast<long long>(sessions));
    std::printf("  kivlogs-cli occupation (best of 3)  %8.3f s\n", cliRun.seconds);
    std::printf("  window: table and text view full    %8.3f s   ratio %.2f (target <= 3: %s)\n", windowSeconds,
                ratio, Verdict(ratio <= 3.0));
    std::printf("  the window's thread busy meanwhile  %8.3f s\n", windowCpu);
    std::printf("  text view lines %d, table entries %zu: %s\n", textLines, entries,
                Verdict(textLines == sessions && entries == static_cast<std::size_t>(sessions)));
    std::printf("  one repaint of the full table       %8.1f ms\n", repaintMs);
    std::printf("  largest 10 ms timer gap, scan       %8lld ms (target <= 50: %s)\n",
                static_cast<long long>(scanStall), Verdict(scanStall <= 50));
    std::printf("  largest 10 ms timer gap, scrolling  %8lld ms over %d page jumps (target <= 50: %s)\n",
                static_cast<long long>(scrollStall), steps, Verdict(scrollStall <= 50));
    std::printf("  ten room changes, last \"%s\": table of the last text %s, %zu entries; largest gap %lld ms "
                "(target <= 50: %s)\n",
                qPrintable(lastRoom), Verdict(lastTable), EntryCount(expected), static_cast<long long>(typingStall),
                Verdict(typingStall <= 50));
    for (const std::string& error : errors)
        std::printf("  error box: %s\n", error.c_str());
    return 0;
}
