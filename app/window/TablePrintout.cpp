#include "app/window/TablePrintout.h"

#include "app/runs/PrintJobRun.h"
#include "grid/QtTablePrint.h"

#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>

namespace kiv {

TablePrintout::TablePrintout(PrintJobRun* printing, QWidget* window, const std::function<int(QDialog&)>& runModal)
    : QObject(window)
    , printing_(printing)
    , window_(window)
    , runModal_(runModal)
    , pdfDialog_(new QFileDialog(window))
{
    pdfDialog_->setObjectName(QStringLiteral("TablePdfDialog"));
    pdfDialog_->setWindowTitle(QStringLiteral("Imprimer tableau dans un fichier PDF"));
    // Qt's own dialog, in French like the rest of the window; it never
    // changes the current folder.
    pdfDialog_->setOption(QFileDialog::DontUseNativeDialog);
    pdfDialog_->setAcceptMode(QFileDialog::AcceptSave);
    pdfDialog_->setFileMode(QFileDialog::AnyFile);
    pdfDialog_->setNameFilter(QStringLiteral("PDF (*.pdf)"));
    pdfDialog_->setDefaultSuffix(QStringLiteral("pdf"));
    pdfDialog_->selectFile(QStringLiteral("tableau"));
    connect(printing_, &PrintJobRun::Finished, this, &TablePrintout::Counted);
}

void TablePrintout::ToPrinter(const TSlotGridBase& grid, std::shared_ptr<QPrinter> printer)
{
    auto printout = std::make_shared<SlotTablePrintout>(grid, std::move(printer));
    if (printing_->Start([printout](const std::atomic<bool>& cancel) { printout->CountPages(&cancel); }))
        counting_ = std::move(printout);
}

// The count is in: the printout goes on, unless it is long and the user
// does not want it.
void TablePrintout::Counted(bool counted)
{
    if (!counting_)
        return;
    const std::shared_ptr<SlotTablePrintout> printout = std::move(counting_);
    counting_.reset();
    if (!counted)
        return; // called off, or the count failed and said why
    if (printout->CountedPages() > kAskAbovePages && !AskToPrint(printout->CountedPages()))
        return;
    printing_->Start([printout](const std::atomic<bool>& cancel) { printout->Print(cancel); });
}

bool TablePrintout::AskToPrint(int pages)
{
    QMessageBox question(QMessageBox::Question, QStringLiteral("Kiv Logs"),
                         QStringLiteral("Le tableau tient sur %1 pages. Les imprimer toutes ?")
                             .arg(QLocale(QLocale::French, QLocale::France).toString(pages)),
                         QMessageBox::NoButton, window_);
    question.setObjectName(QStringLiteral("LongPrintoutQuestion"));
    QPushButton* print = question.addButton(QStringLiteral("Imprimer"), QMessageBox::AcceptRole);
    QPushButton* cancel = question.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole);
    // Enter alone must not send thousands of sheets.
    question.setDefaultButton(cancel);
    question.setEscapeButton(cancel);
    runModal_(question);
    return question.clickedButton() == print;
}

void TablePrintout::ToPdfFile(const TSlotGridBase& grid, const QPageSize& paper)
{
    if (runModal_(*pdfDialog_) != QDialog::Accepted)
        return;
    const QStringList files = pdfDialog_->selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return;
    // Offered again the next time.
    pdfDialog_->selectFile(files.front());
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(files.front());
    printer->setPageSize(paper);
    const auto job = PrepareSlotTablePrint(grid, std::move(printer));
    printing_->Start([job](const std::atomic<bool>& cancel) { job(cancel); });
}

} // namespace kiv
