// Times the printing of a day's room table to a PDF: the table that
// `kivlogs-cli occupation --format cells --encoding cp1252` wrote is loaded
// into a grid set up as the window sets it, then laid out and printed.
//
//   bench_print_table CELLS_FILE OUTPUT_PDF
//
// Prints the entries loaded, the time to lay out and print, the pages and the
// column ranges. Run it offscreen (QT_QPA_PLATFORM=offscreen).

#include "grid/GridFonts.h"
#include "grid/QtTablePrint.h"
#include "grid/RoomTableLook.h"
#include "grid/TSlotGrid.h"

#include <QApplication>
#include <QPrinter>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

namespace {

// "#c<TAB>header" starts column c; every other line is an entry of it. A
// header's line breaks are written "\n".
long LoadCells(const char* path, kiv::TSlotGrid& grid)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return -1;
    std::string line;
    std::string column;
    int col = -1;
    long entries = 0;
    const auto flush = [&] {
        if (col >= 0)
            grid.SetCellText(col, 1, std::move(column));
        column.clear();
    };
    while (std::getline(in, line)) {
        if (line.size() >= 2 && line[0] == '#' && line.find('\t') != std::string::npos) {
            flush();
            col = std::stoi(line.substr(1));
            std::string header = line.substr(line.find('\t') + 1);
            // The two characters become one in place: GCC 12 misreads
            // replace(at, 2, "\r") as an overlapping copy (-Wrestrict) in
            // optimised builds.
            for (std::size_t at; (at = header.find("\\n")) != std::string::npos;) {
                header[at] = '\r';
                header.erase(at + 1, 1);
            }
            grid.SetCellText(col, 0, header);
        } else if (col >= 0) {
            column += '\r';
            column += line;
            ++entries;
        }
    }
    flush();
    return entries;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::cerr << "usage: bench_print_table CELLS_FILE OUTPUT_PDF\n";
        return 2;
    }
    kiv::RegisterWindowFonts();
    kiv::TSlotGrid grid;
    kiv::SetUpRoomTable(grid);

    const long entries = LoadCells(argv[1], grid);
    if (entries < 0) {
        std::cerr << "cannot read " << argv[1] << "\n";
        return 1;
    }

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromLocal8Bit(argv[2]));
    const auto start = std::chrono::steady_clock::now();
    const kiv::PrintPlan plan = kiv::PrintSlotTable(grid, printer);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

    std::printf("entries: %ld\nlay out and print: %.3f s\npages: %d\ncolumn ranges: %zu\n", entries, took.count(),
                plan.pages, plan.ranges.size());
    for (const auto& range : plan.ranges)
        std::printf("  columns %d-%d: %d page(s) from page %d\n", range.firstCol, range.lastCol, range.pageCount,
                    range.firstPage + 1);
    return 0;
}
