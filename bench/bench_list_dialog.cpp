// The room list dialog of the real window on a large "kiv_salles.txt",
// offscreen: what opening it costs the window.
//  - the largest gap of a 10 ms timer from the click on the rooms button
//    until the dialog holds the whole list (the window's own measure of how
//    long it did not answer);
//  - the peak resident memory added meanwhile, against the file's size;
//  - the time OK then takes (writing the list and taking it as the rooms).
//
// bench_list_dialog [--mb 100] [--shape rooms|short|line] [--dir FOLDER]
//   rooms: lines "S514-PC3" and CR LF (10 bytes a line); short: "S514" and
//   CR LF (6 bytes); line: one line of that many megabytes without a break.
//
// The program only uses the window's public face (the rooms button, Memo1,
// OK), so the same source measures an older window that fills its list at
// once.

#include "KivErrorBox.h"
#include "ListDialog.h"
#include "ProcessStatus.h"
#include "StallMeter.h"
#include "StartupPaths.h"
#include "Unit1.h"
#include "Unit2.h"

#include <QApplication>
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
    kiv::TForm1 form(kiv::StartupPaths{dir / "exe", dir / "cfg", dir / "logs"});
    form.CreateListDialogs();
    form.show();
    const qint64 startMs = startClock.elapsed();
    // Let the window settle (its first paint, its start-up work).
    {
        QEventLoop settle;
        QTimer::singleShot(500, &settle, &QEventLoop::quit);
        settle.exec();
    }

    StallMeter meter;
    QElapsedTimer openClock;
    qint64 openMs = 0;
    qint64 openStall = 0;
    long rssBefore = 0;
    long peak = 0;
    qint64 okMs = 0;
    qsizetype shownLines = 0;
    QElapsedTimer okClock;
    form.RunModal = [&](QDialog& dialog) {
        // A window that reads the list beside the dialog says when it is all
        // there; one that fills it at once has done so already.
        if (dialog.metaObject()->indexOfSignal("Loaded()") >= 0) {
            QEventLoop loaded;
            QObject::connect(&dialog, SIGNAL(Loaded()), &loaded, SLOT(quit()));
            loaded.exec();
        }
        openMs = openClock.elapsed();
        openStall = meter.StopMs();
        peak = StatusKb("VmHWM:");
        auto& list = static_cast<kiv::TListDialog&>(dialog);
        shownLines = list.MemoLines().size();
        okClock.start();
        list.OKBtn->click();
        return dialog.result();
    };
    rssBefore = StatusKb("VmRSS:");
    ResetPeak();
    meter.Start();
    openClock.start();
    form.SpeedButtonsalle->click();
    okMs = okClock.elapsed();

    const double fileMb = static_cast<double>(bytes) / (1 << 20);
    const double addedMb = static_cast<double>(peak - rssBefore) / 1024;
    std::printf("list file of %.0f MB, %zu lines (%s); window started in %lld ms, resident %.0f MB\n", fileMb, lines,
                shape.c_str(), static_cast<long long>(startMs), rssBefore / 1024.0);
    std::printf("  dialog holds the list after   %8lld ms (%zu entries)\n", static_cast<long long>(openMs),
                static_cast<std::size_t>(shownLines));
    std::printf("  largest 10 ms timer gap        %8lld ms\n", static_cast<long long>(openStall));
    std::printf("  peak resident                  %8.0f MB (%.0f MB added, %.2f bytes per byte of the file)\n",
                peak / 1024.0, addedMb, addedMb / fileMb);
    std::printf("  OK: file written and rooms set %8lld ms\n", static_cast<long long>(okMs));
    for (const std::string& error : errors)
        std::printf("  error: %s\n", error.c_str());
    fs::remove_all(dir);
    return 0;
}
