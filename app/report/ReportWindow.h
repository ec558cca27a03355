#pragma once
// The report on one pupil or one computer, in a window of its own beside the
// main one (several may be open, one for each pupil being looked into): the
// lines of the report with their bold words, the period and the words above
// them, and "Imprimer", "Enregistrer", "Copier". The report is read beside the
// window, day after day, with its progress and a way to call it off.

#include "app/results/SaveTarget.h"
#include "app/runs/WorkerRun.h"
#include "app/results/ResultsView.h"
#include "jobs/SubjectReport.h"

#include <QWidget>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QFileDialog;
class QLabel;
class QPrinter;
class QProgressBar;
class QPushButton;

namespace kiv {

class PrintJobRun;

class ReportWindow : public QWidget {
    Q_OBJECT

public:
    // What the window shares with the main window: the one printout run, the
    // printer the staff chose last, the files saving must not replace, the
    // modal dialogs' runner and whether there is a printer (tests replace both).
    struct Shared {
        PrintJobRun* printing = nullptr;
        std::function<std::shared_ptr<QPrinter>()> newJobPrinter;
        std::function<ProgramFiles()> programFiles;
        std::function<int(QDialog&)> runModal;
        std::function<bool()> hasPrinter;
    };

    // Starts reading the report at once.
    ReportWindow(Shared shared, SubjectReportRequest request, QWidget* parent);
    ~ReportWindow() override;

    bool Running() const noexcept { return run_.Running(); }
    // "Élève eleve12, du 01/12/2026 au 05/12/2026".
    QString Title() const;

    // Writes the report as the results are saved: Windows-1252, CR LF after
    // every line. Throws KivError when path is a log or a list file, or
    // cannot be written.
    void SaveTo(const std::filesystem::path& path) const;
    // Starts printing the report on printer: portrait, the title and the page
    // number on each page. False when another printout runs.
    bool PrintOn(std::shared_ptr<QPrinter> printer);

    QLabel* TitleLabel = nullptr;
    QLabel* WordsLabel = nullptr;
    ResultsView* View = nullptr;
    QProgressBar* Progress = nullptr;
    QPushButton* CancelButton = nullptr;
    QLabel* Status = nullptr;
    QPushButton* PrintButton = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* CopyButton = nullptr;

public slots:
    void CancelReport();
    void Print();
    void Save();
    void Copy();

signals:
    // The report has ended (or was called off) and the view shows it.
    void Finished(const kiv::ScanOutcome& outcome);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // What the job hands over: a day's lines, or how far it got.
    struct Piece {
        std::optional<ResultsView::Lines> lines;
        std::size_t daysDone = 0;
        std::size_t dayCount = 0;
    };
    using Run = WorkerRun<Piece, SubjectReportResult>;

    void Build();
    void Take(std::deque<Piece>& pieces);
    void Ended(Run::Ending ending);
    void ShowIdle(const QString& status);

    Shared shared_;
    SubjectReportRequest request_;
    QFileDialog* saveDialog_ = nullptr;
    Run run_;
};

} // namespace kiv
