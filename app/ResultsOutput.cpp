#include "ResultsOutput.h"

#include "FileIo.h"
#include "KivError.h"
#include "LogFolder.h"
#include "PrintJobRun.h"
#include "ResultsPrinting.h"
#include "ResultsView.h"

#include <QFileDialog>
#include <QPrintDialog>

#include <utility>

namespace kiv {
namespace {

std::filesystem::path PathOf(const QString& file)
{
    return std::filesystem::path(file.toStdU16String());
}

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

void ResultsOutput::Print()
{
    if (!hasPrinter_())
        throw KivError("Aucune imprimante par d\xE9" "faut s\xE9" "lectionn\xE9" "e");
    if (!printDialog_) {
        printDialog_ = new QPrintDialog(&printer_, window_);
        printDialog_->setObjectName(QStringLiteral("PrintDialog1"));
    }
    // Only the print-to-file box is offered, and it starts unticked.
    printDialog_->setOptions(QAbstractPrintDialog::PrintToFile);
    printer_.setOutputFileName(QString());
    printer_.setOutputFormat(QPrinter::NativeFormat);
    if (runModal_(*printDialog_) != QDialog::Accepted)
        return;
    if (!printer_.outputFileName().isEmpty()) {
        // Printing to a file saves the plain text, as "Enregistrer" does.
        printer_.setOutputFileName(QString());
        printer_.setOutputFormat(QPrinter::NativeFormat);
        saveDialog_->setWindowTitle(QStringLiteral("Impression dans le fichier: "));
        Save();
        return;
    }
    printer_.setDocName(QString());
    // The printout takes the text as it is now; staff may go on editing.
    printing_->Start([lines = view_->Store(), font = view_->font(), this](const std::atomic<bool>& cancel) {
        PrintResults(lines, font, printer_, &cancel);
    });
}

} // namespace kiv
