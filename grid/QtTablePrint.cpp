#include "QtTablePrint.h"

#include "GridFonts.h"
#include "KivError.h"
#include "QtPrintSurface.h"
#include "TSlotGridBase.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>
#include <cstdlib>

namespace kiv {

namespace {

// The grid as printing reads it: its texts in place, and the fonts of each
// cell's look on paper (the screen fonts, headers in the bold fixed font),
// sized in points as the screen reports them.
class GridTable : public PrintTable {
public:
    explicit GridTable(const TSlotGridBase& grid)
        : grid_(grid), screenDpi_(grid.logicalDpiY() > 0 ? grid.logicalDpiY() : 96)
    {
    }

    int ColCount() const override { return grid_.ColCount(); }
    int RowCount() const override { return grid_.RowCount(); }
    std::string_view CellText(int col, int row) const override { return grid_.CellView(col, row); }
    PrintFontSize CellFont(int col, int row) const override
    {
        const kiv::CellFont font = grid_.CellAppearance(col, row, true).font;
        return {font.name, static_cast<int>(std::lround(std::abs(font.height) * 72.0 / screenDpi_)), font.bold};
    }
    bool MultiLine() const override { return grid_.Multilinecells(); }

private:
    const TSlotGridBase& grid_;
    const int screenDpi_;
};

bool HasPrinter(QPrinter& printer)
{
    // A PDF with a file name is a printout that was asked for.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        return true;
    // Without any print queue Qt falls back to a PDF without a file; a queue
    // set up since the program started becomes the printer.
    if (printer.printerName().isEmpty()) {
        const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
        if (defaultPrinter.isNull())
            return false;
        printer.setPrinterName(defaultPrinter.printerName());
    }
    return printer.isValid();
}

// Puts the printer's orientation back when the job ends, also after a
// failure.
class OrientationKept {
public:
    explicit OrientationKept(QPrinter& printer) : printer_(printer), kept_(printer.pageLayout().orientation()) {}
    ~OrientationKept() { printer_.setPageOrientation(kept_); }
    OrientationKept(const OrientationKept&) = delete;
    OrientationKept& operator=(const OrientationKept&) = delete;

private:
    QPrinter& printer_;
    QPageLayout::Orientation kept_;
};

} // namespace

PrintPlan PrintSlotTable(const TSlotGridBase& grid, QPrinter& printer)
{
    if (!HasPrinter(printer))
        throw KivError("Aucune imprimante par d\xE9" "faut s\xE9lectionn\xE9" "e");
    RegisterWindowFonts();
    const OrientationKept orientation(printer);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(QString());

    const GridTable table(grid);
    const GridPrintLayout layout(table);
    QtPrintSurface measuring(printer);
    const PrintPlan counted = layout.Count(measuring, measuring.Page());

    QPainter painter;
    if (!painter.begin(&printer))
        throw KivError("Impossible de lancer l'impression");
    QtPrintSurface drawing(printer, &painter);
    PrintPlan printed = layout.Print(drawing, drawing.Page(), counted.pages);
    painter.end();
    return printed;
}

} // namespace kiv
