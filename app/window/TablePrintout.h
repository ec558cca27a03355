#pragma once
// "Imprimer tableau" and its PDF choice: the room table to the printer in one
// click, or into a PDF file that the user names. A printout to the printer
// has its pages counted first, beside the window, and one of more pages than
// a printout is ever meant to be asks before the paper runs.

#include <QObject>
#include <QPageSize>

#include <functional>
#include <memory>

class QDialog;
class QFileDialog;
class QPrinter;
class QWidget;

namespace kiv {

class PrintJobRun;
class SlotTablePrintout;
class TSlotGridBase;

class TablePrintout : public QObject {
    Q_OBJECT

public:
    // A room's day prints on a page or two and the whole school's on a few
    // dozen; a hundred sheets is more than a printer's tray holds, and a
    // table that long comes from a busy day printed with "Toutes" (14,959
    // pages in one school), which nobody means to put on paper unasked.
    static constexpr int kAskAbovePages = 100;

    // runModal shows a dialog and gives its result (the window's, so that
    // tests can answer); printing runs the printouts one at a time.
    TablePrintout(PrintJobRun* printing, QWidget* window, const std::function<int(QDialog&)>& runModal);

    // The whole table on printer. Throws KivError when there is no printer.
    void ToPrinter(const TSlotGridBase& grid, std::shared_ptr<QPrinter> printer);
    // The whole table into a PDF file chosen in a dialog, on paper of that
    // size; no printer needed.
    void ToPdfFile(const TSlotGridBase& grid, const QPageSize& paper);

    QFileDialog* PdfDialog() const { return pdfDialog_; }

private:
    void Counted(bool counted);
    bool AskToPrint(int pages);

    PrintJobRun* printing_;
    QWidget* window_;
    const std::function<int(QDialog&)>& runModal_;
    QFileDialog* pdfDialog_;
    // The printout whose pages are being counted.
    std::shared_ptr<SlotTablePrintout> counting_;
};

} // namespace kiv
