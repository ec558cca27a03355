#pragma once
// "Enregistrer" and "Imprimer" of the results: the save dialog shared by both
// (its title and last path carry over from one use to the next), the print
// dialog, and the results file, written as Windows-1252 with CR LF after
// every line.

#include "app/results/SaveTarget.h"

#include <QObject>
#include <QPrinter>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QFileDialog;
class QPrintDialog;
class QWidget;

namespace kiv {

class PrintJobRun;
class ResultsView;

// Writes the view's text to path, replacing any file there. A failed write
// (a full disk, a share that went away) leaves the file that was there as it
// was. Throws KivError: "Impossible de créer le fichier %s" when the file
// cannot be created, "Erreur à l'enregistrement du flux" when it cannot be
// written whole.
void SaveResultsFile(const ResultsView& view, const std::filesystem::path& path);

class ResultsOutput : public QObject {
    Q_OBJECT

public:
    // runModal shows a dialog and gives its result; hasPrinter tells whether
    // the system has a default printer. Both are the window's, so that tests
    // can stand in for the user and the printer. The printout itself runs
    // through printing. programFiles names the files that saving must not
    // replace, as they are when the user saves.
    ResultsOutput(ResultsView* view, QWidget* window, const std::function<int(QDialog&)>& runModal,
                  const std::function<bool()>& hasPrinter, PrintJobRun* printing,
                  std::function<ProgramFiles()> programFiles);

    void Save();
    void Print();

    QFileDialog* SaveDialog() const { return saveDialog_; }
    // The printer that the print dialog chose last (at first the system's
    // default), and where its output goes.
    QPrinter& Printer() { return chosen_; }
    // A printer for one job, on the chosen printer with its paper, and
    // nothing else of an earlier job: all pages, one copy.
    std::shared_ptr<QPrinter> NewJobPrinter() const;

private:
    std::optional<std::filesystem::path> AskSavePath();

    ResultsView* view_;
    QWidget* window_;
    const std::function<int(QDialog&)>& runModal_;
    const std::function<bool()>& hasPrinter_;
    PrintJobRun* printing_;
    std::function<ProgramFiles()> programFiles_;
    QFileDialog* saveDialog_;
    QPrinter chosen_;
};

} // namespace kiv
