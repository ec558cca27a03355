// Times repainting the room table when every slot cell holds a busy day of
// logins (tens of thousands of lines per cell), offscreen. Prints the time of
// filling the cells by batches of appends, then of full repaints of the table
// at the top and scrolled. With --png FILE it also saves a picture of the
// table holding a few logins, the way the window shows it.
//
//   bench_grid_paint [--entries N] [--paints N] [--png FILE]

#include "grid/GridFonts.h"
#include "grid/RoomTableLook.h"
#include "grid/TSlotGrid.h"
#include "logscan/SessionEntry.h"
#include "logscan/SessionText.h"
#include "table/OccupationTable.h"

#include <QApplication>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

using namespace kiv;
using Clock = std::chrono::steady_clock;

namespace {

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The room table with the settings the window gives it and its first headers.
void SetUpRoomTableWithHeaders(TSlotGrid& grid)
{
    SetUpRoomTable(grid);
    grid.ColumnHeaders().Assign(InitialSlotHeaders());
}

SessionEntry MadeUpSession(int i)
{
    char station[8];
    char user[16];
    char login[8];
    char logout[8];
    std::snprintf(station, sizeof station, "PC%02d", i % 30 + 1);
    std::snprintf(user, sizeof user, "eleve%d", i % 3000);
    std::snprintf(login, sizeof login, "%02dh%02d", 8 + i % 9, i % 60);
    std::snprintf(logout, sizeof logout, "%02dh%02d", 9 + i % 9, (i * 7) % 60);
    const char* rooms[] = {"S514", "S302", "S502", "SPROF", "SCDI"};
    return SessionEntry{rooms[i % 5], station, user, login, logout, "E"};
}

// Each column gets entries logins, appended in batches as a scan hands them.
double Fill(TSlotGrid& grid, int entries)
{
    const auto start = Clock::now();
    constexpr int kBatch = 2000;
    for (int first = 0; first < entries; first += kBatch) {
        for (int col = 0; col < 8; ++col) {
            std::string batch;
            for (int i = first; i < std::min(first + kBatch, entries); ++i)
                batch += SlotEntry(MadeUpSession(i * 8 + col));
            grid.AppendCellText(col, 1, batch);
        }
    }
    return MillisecondsSince(start);
}

struct Figures {
    double median = 0;
    double worst = 0;
    double cpu = 0; // processor time per paint, which other programs' load does not inflate
};

Figures TimePaints(TSlotGrid& grid, int paints)
{
    std::vector<double> times;
    const std::clock_t cpuStart = std::clock();
    for (int i = 0; i < paints; ++i) {
        const auto start = Clock::now();
        grid.viewport()->repaint();
        times.push_back(MillisecondsSince(start));
    }
    const double cpu = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC / paints;
    std::sort(times.begin(), times.end());
    return Figures{times[times.size() / 2], times.back(), cpu};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterWindowFonts();

    int entries = 60000;
    int paints = 50;
    QString png;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--entries"))
            entries = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--paints"))
            paints = std::max(args[i + 1].toInt(), 1);
        else if (args[i] == QLatin1String("--png"))
            png = args[i + 1];
    }

    TSlotGrid grid;
    SetUpRoomTableWithHeaders(grid);
    // About the tab's area on a 1024x768 screen: both scroll bars show.
    grid.resize(1000, 600);
    grid.show();
    QApplication::processEvents();

    if (!png.isEmpty()) {
        grid.resize(1100, 700);
        for (int i = 0; i < 40; ++i)
            grid.AppendCellText(i % 8 == 7 ? 4 : i % 8, 1, SlotEntry(MadeUpSession(i)));
        grid.SetCellText(2, 1, grid.CellText(2, 1) + "\rS514PC03 08h25-16h10 <B>eleve12</B> E");
        grid.SetCurrentCell(1, 1);
        grid.SetCurrentCell(2, 1, true);
        QApplication::processEvents();
        if (!grid.grab().save(png))
            return std::fprintf(stderr, "cannot write %s\n", qPrintable(png)), 1;
        std::printf("picture written to %s\n", qPrintable(png));
        return 0;
    }

    const double fill = Fill(grid, entries);
    const std::size_t bytes = grid.CellView(0, 1).size();
    std::printf("table: 8 slot cells of %d logins each (%zu bytes per cell), filled in %.1f ms\n", entries, bytes,
                fill);
    const Figures top = TimePaints(grid, paints);
    std::printf("repaint of the whole table, top:      median %.2f ms, worst %.2f ms, processor %.2f ms (%d paints)\n",
                top.median, top.worst, top.cpu, paints);
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    const Figures scrolled = TimePaints(grid, paints);
    std::printf("repaint of the whole table, scrolled: median %.2f ms, worst %.2f ms, processor %.2f ms (%d paints)\n",
                scrolled.median, scrolled.worst, scrolled.cpu, paints);
    return 0;
}
