#include "grid/QtTablePrint.h"

#include "grid/GridFonts.h"
#include "grid/PrintQueue.h"
#include "grid/TSlotGridBase.h"
#include "grid/detail/QtPrintSurface.h"
#include "logscan/KivError.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace kiv {

namespace {

// The grid as printing reads it, copied: its texts, and the fonts of each
// cell's look on paper (the screen fonts, headers in the bold fixed font),
// sized in points as the screen reports them.
class GridTable : public PrintTable {
public:
    explicit GridTable(const TSlotGridBase& grid)
        : cols_(grid.ColCount()), rows_(grid.RowCount()), multiLine_(grid.Multilinecells())
    {
        const int screenDpi = grid.logicalDpiY() > 0 ? grid.logicalDpiY() : 96;
        for (int row = 0; row < rows_; ++row) {
            for (int col = 0; col < cols_; ++col) {
                texts_.emplace_back(grid.CellView(col, row));
                const kiv::CellFont font = grid.CellAppearance(col, row, true).font;
                fonts_.push_back(
                    {font.name, static_cast<int>(std::lround(std::abs(font.height) * 72.0 / screenDpi)), font.bold});
            }
        }
    }

    int ColCount() const override { return cols_; }
    int RowCount() const override { return rows_; }
    std::string_view CellText(int col, int row) const override { return texts_[Index(col, row)]; }
    PrintFontSize CellFont(int col, int row) const override { return fonts_[Index(col, row)]; }
    bool MultiLine() const override { return multiLine_; }

private:
    std::size_t Index(int col, int row) const { return static_cast<std::size_t>(row * cols_ + col); }

    int cols_;
    int rows_;
    bool multiLine_;
    std::vector<std::string> texts_;
    std::vector<PrintFontSize> fonts_;
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

SlotTablePrintout::SlotTablePrintout(const TSlotGridBase& grid, std::shared_ptr<QPrinter> printer)
    : printer_(std::move(printer))
{
    if (!HasPrinter(*printer_))
        throw KivError("Aucune imprimante par d\xE9" "faut s\xE9lectionn\xE9" "e");
    RegisterWindowFonts();
    table_ = std::make_shared<const GridTable>(grid);
}

int SlotTablePrintout::CountPages(const std::atomic<bool>* cancel)
{
    const OrientationKept orientation(*printer_);
    UsePrintableArea(*printer_, QPageLayout::Landscape);
    const GridPrintLayout layout(*table_);
    QtPrintSurface measuring(*printer_, nullptr, cancel);
    counted_ = layout.Count(measuring, measuring.Page());
    isCounted_ = true;
    return counted_.pages;
}

PrintPlan SlotTablePrintout::Print(const std::atomic<bool>& cancel)
{
    if (!isCounted_)
        CountPages();
    const OrientationKept orientation(*printer_);
    UsePrintableArea(*printer_, QPageLayout::Landscape);
    printer_->setDocName(QString());
    const GridPrintLayout layout(*table_);
    PrintQueueJob queued(*printer_);
    QPainter painter;
    if (!painter.begin(printer_.get()))
        throw KivError("Impossible de lancer l'impression");
    QtPrintSurface drawing(*printer_, &painter, &cancel);
    PrintPlan printed = layout.Print(drawing, drawing.Page(), counted_.pages);
    queued.End(painter, cancel.load());
    return printed;
}

TablePrintJob PrepareSlotTablePrint(const TSlotGridBase& grid, std::shared_ptr<QPrinter> printer)
{
    auto printout = std::make_shared<SlotTablePrintout>(grid, std::move(printer));
    return [printout](const std::atomic<bool>& cancel) { return printout->Print(cancel); };
}

std::function<void(const std::atomic<bool>& cancel)> PrepareLandscapePagePrint(QPrinter& printer, const QString& docName,
                                                                                PageDrawing draw)
{
    if (!HasPrinter(printer))
        throw KivError("Aucune imprimante par d\xE9" "faut s\xE9lectionn\xE9" "e");
    RegisterWindowFonts();
    return [&printer, docName, draw = std::move(draw)](const std::atomic<bool>&) {
        const OrientationKept orientation(printer);
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setDocName(docName);
        QPainter painter;
        if (!painter.begin(&printer))
            throw KivError("Impossible de lancer l'impression");
        const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
        draw(painter, QRectF(QPointF(0, 0), page.size()));
        painter.end();
    };
}

PrintPlan PrintSlotTable(const TSlotGridBase& grid, QPrinter& printer)
{
    const std::atomic<bool> never{false};
    return PrepareSlotTablePrint(grid, std::shared_ptr<QPrinter>(&printer, [](QPrinter*) {}))(never);
}

} // namespace kiv
