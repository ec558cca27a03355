#pragma once
// Printing the room table: the whole grid, on paper in landscape, measured on
// the printer itself. The window's "Imprimer tableau" comes here through the
// grid's Print.

#include "table/GridPrintLayout.h"

#include <atomic>
#include <functional>
#include <memory>

class QPainter;
class QPrinter;
class QRectF;
class QString;

namespace kiv {

class TSlotGridBase;

// Prints every cell of the grid on printer, whichever view the window shows,
// and gives where the pages went. The page is turned to landscape for this
// job only: the printer keeps the orientation it had before, so that a later
// printout of the results is not turned with it. Throws KivError "Aucune
// imprimante par défaut sélectionnée" when there is no printer.
PrintPlan PrintSlotTable(const TSlotGridBase& grid, QPrinter& printer);

// The same printout made ready on the window's thread: the printer checked
// (the same error when there is none) and the cells copied, so that the job
// may run on a thread of its own while the grid goes on changing. The job
// holds its printer; it stops at the end of a page once cancel turns true,
// and what it sent to the print queue is then withdrawn. A queue that
// refuses the job makes it throw KivError with the queue's reason.
using TablePrintJob = std::function<PrintPlan(const std::atomic<bool>& cancel)>;
TablePrintJob PrepareSlotTablePrint(const TSlotGridBase& grid, std::shared_ptr<QPrinter> printer);

// The same printout in two steps, each of which may run on a thread of its
// own: first its pages are counted, so that the window can ask before a
// printout of thousands of sheets, then they are printed.
class SlotTablePrintout {
public:
    // Made on the window's thread, as PrepareSlotTablePrint does: the same
    // error when there is no printer.
    SlotTablePrintout(const TSlotGridBase& grid, std::shared_ptr<QPrinter> printer);

    // Lays the table out on the printer without printing; gives its pages.
    // Once cancel (when given) turns true it stops at the end of a page.
    int CountPages(const std::atomic<bool>* cancel = nullptr);
    // The pages counted, 0 before CountPages.
    int CountedPages() const noexcept { return counted_.pages; }
    // Prints the table (counted first when it was not); see
    // PrepareSlotTablePrint for cancel and the queue's refusal.
    PrintPlan Print(const std::atomic<bool>& cancel);

private:
    std::shared_ptr<const PrintTable> table_;
    std::shared_ptr<QPrinter> printer_;
    bool isCounted_ = false;
    PrintPlan counted_;
};

// One landscape page that draw fills, made ready the same way: the printer
// checked (the same error when there is none), the page turned for this job
// only. draw gets the page's rectangle in the painter's coordinates.
using PageDrawing = std::function<void(QPainter& painter, const QRectF& page)>;
std::function<void(const std::atomic<bool>& cancel)> PrepareLandscapePagePrint(QPrinter& printer, const QString& docName,
                                                                                PageDrawing draw);

} // namespace kiv
