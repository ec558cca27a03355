// The room list of the real window on a large "kiv_salles.txt", offscreen:
// what starting the window, opening the room dialog and pressing OK cost it.
//  - start-up: the time the window takes to be made, then until its room box
//    lists the file's rooms, with the largest gap of a 10 ms timer meanwhile
//    (the window's own measure of how long it did not answer);
//  - opening: the largest gap from the click on the rooms button until the
//    dialog holds the whole list, and the peak resident memory added
//    meanwhile, against the file's size;
//  - OK: the time until the list is written and the dialog ended, with the
//    largest gap meanwhile, and the rooms the box then lists.
//
// bench_list_dialog [--mb 100] [--shape rooms|short|line] [--dir FOLDER]
//   rooms: lines "S514-PC3" and CR LF (10 bytes a line); short: "S514" and
//   CR LF (6 bytes); line: one line of that many megabytes without a break.

#include "app/lists/ListDialog.h"
#include "app/lists/Unit2.h"
#include "app/window/KivErrorBox.h"
#include "app/window/StartupPaths.h"
#include "app/window/Unit1.h"
#include "bench/ProcessStatus.h"
#include "bench/StallMeter.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QToolButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace fs = std::filesystem;

namespace {

// Starts the peak resident memory afresh from what the process holds now.
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

std::size_t WriteList(const fs::path& path, const std::string& shape, std::size_t bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (shape == "line") {
        const std::string block(std::size_t{1} << 20, 'x');
        for (std::size_t written = 0; written < bytes; written += block.size())
            out.write(block.data(), static_cast<std::streamsize>(std::min(block.size(), bytes - written)));
        return 1;
    }
    const std::string line = shape == "short" ? "S514\r\n" : "S514-PC3\r\n";
    std::string block;
    while (block.size() + line.size() <= (std::size_t{1} << 20))
        block += line;
    std::size_t lines = 0;
    std::size_t written = 0;
    for (; written + block.size() <= bytes; written += block.size())
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    lines = written / line.size();
    for (; written + line.size() <= bytes; written += line.size(), ++lines)
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
    return lines;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::size_t megabytes = 100;
    std::string shape = "rooms";
    fs::path dir = fs::temp_directory_path() / "kiv-list-dialog-bench";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        if (name == "--mb")
            megabytes = std::strtoull(argv[i + 1], nullptr, 10);
        else if (name == "--shape")
            shape = argv[i + 1];
        else if (name == "--dir")
            dir = argv[i + 1];
    }
    const std::size_t bytes = megabytes << 20;
    fs::remove_all(dir);
    fs::create_directories(dir / "exe");
    fs::create_directories(dir / "cfg");
    fs::create_directories(dir / "logs");
    const std::size_t lines = WriteList(dir / "cfg" / "kiv_salles.txt", shape, bytes);
    std::vector<std::string> errors;
    kiv::ErrorBoxHook = [&errors](QWidget*, const std::string& text) { errors.push_back(text); };

    QElapsedTimer startClock;
    startClock.start();
    StallMeter meter;
    meter.Start();
    kiv::TForm1 form(kiv::StartupPaths{dir / "exe", dir / "cfg", dir / "logs"});
    form.CreateListDialogs();
    form.show();
    const qint64 startMs = startClock.elapsed();
    // A large list reaches the room box from beside the window.
    if (static_cast<std::size_t>(form.ComboBox1->count()) != lines + 1) {
        QEventLoop read;
        QObject::connect(form.ComboBox1->model(), &QAbstractItemModel::modelReset, &read, &QEventLoop::quit);
        QTimer::singleShot(60000, &read, &QEventLoop::quit);
        read.exec();
    }
    const qint64 roomsMs = startClock.elapsed();
    const qint64 startStall = meter.StopMs();
    // Let the window settle (its first paint, its start-up work).
    {
        QEventLoop settle;
        QTimer::singleShot(500, &settle, &QEventLoop::quit);
        settle.exec();
    }

    QElapsedTimer openClock;
    qint64 openMs = 0;
    qint64 openStall = 0;
    long rssBefore = 0;
    long peak = 0;
    qint64 okMs = 0;
    qint64 okStall = 0;
    qsizetype shownLines = 0;
    form.RunModal = [&](QDialog& dialog) {
        auto& list = static_cast<kiv::TListDialog&>(dialog);
        if (list.Loading()) {
            QEventLoop loaded;
            QObject::connect(&list, &kiv::TListDialog::Loaded, &loaded, &QEventLoop::quit);
            loaded.exec();
        }
        openMs = openClock.elapsed();
        openStall = meter.StopMs();
        peak = StatusKb("VmHWM:");
        shownLines = list.Memo1->Store().LineCount();
        QElapsedTimer okClock;
        okClock.start();
        meter.Start();
        QEventLoop ended;
        QObject::connect(&list, &QDialog::finished, &ended, &QEventLoop::quit);
        list.OKBtn->click();
        if (list.Saving())
            ended.exec();
        okMs = okClock.elapsed();
        okStall = meter.StopMs();
        return dialog.result();
    };
    rssBefore = StatusKb("VmRSS:");
    ResetPeak();
    meter.Start();
    openClock.start();
    form.SpeedButtonsalle->click();

    const double fileMb = static_cast<double>(bytes) / (1 << 20);
    const double addedMb = static_cast<double>(peak - rssBefore) / 1024;
    std::printf("list file of %.0f MB, %zu lines (%s)\n", fileMb, lines, shape.c_str());
    std::printf("  window made in                 %8lld ms, its room box full after %lld ms, largest gap %lld ms\n",
                static_cast<long long>(startMs), static_cast<long long>(roomsMs), static_cast<long long>(startStall));
    std::printf("  dialog holds the list after   %8lld ms (%zu lines)\n", static_cast<long long>(openMs),
                static_cast<std::size_t>(shownLines));
    std::printf("  largest 10 ms timer gap        %8lld ms\n", static_cast<long long>(openStall));
    std::printf("  peak resident                  %8.0f MB (%.0f MB added to %.0f MB, %.2f bytes per byte of the file)\n",
                peak / 1024.0, addedMb, rssBefore / 1024.0, addedMb / fileMb);
    std::printf("  OK: list written, dialog ended %8lld ms, largest gap %lld ms; the room box lists %d rows\n",
                static_cast<long long>(okMs), static_cast<long long>(okStall), form.ComboBox1->count());
    for (const std::string& error : errors)
        std::printf("  error: %s\n", error.c_str());
    fs::remove_all(dir);
    return 0;
}
