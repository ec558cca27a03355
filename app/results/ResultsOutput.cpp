#include "app/results/ResultsOutput.h"

#include "app/results/ResultsPrinting.h"
#include "app/results/ResultsView.h"
#include "app/runs/PrintJobRun.h"
#include "jobs/LogFolder.h"
#include "logscan/FileIo.h"
#include "logscan/KivError.h"

#include <QFileDialog>
#include <QEvent>
#include <QPrintDialog>

#include <utility>

namespace kiv {
namespace {

std::filesystem::path PathOf(const QString& file)
{
    return std::filesystem::path(file.toStdU16String());
}

// The dialog offers no part of the text: no page range (which Qt shows for
// print queues even when not asked, each time the dialog opens), no current
// page, no selection, no odd or even pages. The whole text is printed.
class WholeTextOnly : public QObject {
public:
    explicit WholeTextOnly(QPrintDialog& dialog) : QObject(&dialog), dialog_(dialog)
    {
        dialog.setOptions(QAbstractPrintDialog::PrintToFile);
        dialog.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            for (const char* name : {"gbPrintRange", "pageSetCombo", "pageSetLabel"})
                if (auto* widget = dialog_.findChild<QWidget*>(QLatin1String(name)))
                    widget->hide();
        return QObject::eventFilter(watched, event);
    }

private:
    QPrintDialog& dialog_;
};

} // namespace

void SaveResultsFile(const ResultsView& view, const std::filesystem::path& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw KivError(CannotCreateMessage(PathForMessage(path)));
    FileReplacement file(path);
    if (!file.IsOpen())
        throw KivError(CannotCreateMessage(PathForMessage(path)));
    const bool written = view.WriteFileText([&file](std::string_view piece) { return file.Write(piece); });
    if (!written || !file.Commit())
        throw KivError("Erreur \xE0 l'enregistrement du flux");
}

ResultsOutput::ResultsOutput(ResultsView* view, QWidget* window, const std::function<int(QDialog&)>& runModal,
                             const std::function<bool()>& hasPrinter, PrintJobRun* printing,
                             std::function<ProgramFiles()> programFiles)
    : QObject(window)
    , view_(view)
    , window_(window)
    , runModal_(runModal)
    , hasPrinter_(hasPrinter)
    , printing_(printing)
    , programFiles_(std::move(programFiles))
    , saveDialog_(new QFileDialog(window))
{
    saveDialog_->setObjectName(QStringLiteral("SaveDialog2"));
    // Qt's own dialog, in French like the rest of the window; it never
    // changes the current folder, so the list files stay where they are read.
    saveDialog_->setOption(QFileDialog::DontUseNativeDialog);
    saveDialog_->setAcceptMode(QFileDialog::AcceptSave);
    saveDialog_->setFileMode(QFileDialog::AnyFile);
    saveDialog_->setNameFilter(QStringLiteral("Texte (*.txt)"));
    saveDialog_->setDefaultSuffix(QStringLiteral("txt"));
    saveDialog_->setOption(QFileDialog::DontConfirmOverwrite);
    saveDialog_->selectFile(QStringLiteral("kiv_log"));
}

std::optional<std::filesystem::path> ResultsOutput::AskSavePath()
{
    if (runModal_(*saveDialog_) != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = saveDialog_->selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return std::nullopt;
    // Offered again the next time, by either command.
    saveDialog_->selectFile(files.front());
    return PathOf(files.front());
}

void ResultsOutput::Save()
{
    if (const auto path = AskSavePath()) {
        RefuseSavingOverProgramFile(*path, programFiles_());
        SaveResultsFile(*view_, *path);
    }
}

std::shared_ptr<QPrinter> ResultsOutput::NewJobPrinter() const
{
    // At the printer's own resolution: the fonts come out at their exact
    // sizes, not rounded to the screen's pixels.
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    if (chosen_.outputFormat() == QPrinter::PdfFormat) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(chosen_.outputFileName());
    } else if (!chosen_.printerName().isEmpty()) {
        printer->setPrinterName(chosen_.printerName());
    }
    printer->setPageSize(chosen_.pageLayout().pageSize());
    return printer;
}

void ResultsOutput::Print()
{
    // The dialog opens printer or not: it always offers a PDF file. Each job
    // starts afresh: copies, collation or pages chosen for one job
    // never reach another.
    std::shared_ptr<QPrinter> printer = NewJobPrinter();
    printer->setOutputFileName(QString());
    printer->setOutputFormat(QPrinter::NativeFormat);
    {
        QPrintDialog dialog(printer.get(), window_);
        dialog.setObjectName(QStringLiteral("PrintDialog1"));
        new WholeTextOnly(dialog);
        if (runModal_(dialog) != QDialog::Accepted)
            return;
    }
    // Neither a file nor a queue: nothing can take the printout.
    if (printer->outputFileName().isEmpty() && printer->printerName().isEmpty() && !hasPrinter_())
        throw KivError("Aucune imprimante par d\xE9" "faut s\xE9" "lectionn\xE9" "e");
    // The printer chosen here is the one the next printouts use.
    if (printer->outputFileName().isEmpty())
        chosen_.setPrinterName(printer->printerName());
    chosen_.setPageSize(printer->pageLayout().pageSize());
    printer->setDocName(QString());
    // The printout takes the text as it is now; staff may go on editing. A
    // file asked for in the dialog gets the printout itself, as a PDF laid
    // out as on paper.
    printing_->Start([lines = view_->Store(), font = view_->font(), printer](const std::atomic<bool>& cancel) {
        PrintResults(lines, font, *printer, &cancel);
    });
}

} // namespace kiv
