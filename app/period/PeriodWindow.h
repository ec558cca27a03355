#pragma once
// "Période…" of the room tab: how much each room was used in each teaching
// hour over a period, as a heat map. The period is counted beside the window
// (a year of busy days takes seconds); a change of date or room starts it
// again, and the map can be printed on one page, saved as the command line's
// summary, or copied for a spreadsheet.

#include "app/runs/WorkerRun.h"
#include "jobs/PeriodJob.h"

#include <QDate>
#include <QWidget>

#include <cstddef>
#include <filesystem>
#include <functional>

class QComboBox;
class QDateEdit;
class QDialog;
class QFileDialog;
class QLabel;
class QPrinter;
class QProgressBar;
class QPushButton;

namespace kiv {

class HeatMap;
class WindowSettings;
class PrintJobRun;

class PeriodWindow : public QWidget {
    Q_OBJECT

public:
    // What the window shares with the main window: its settings (the log
    // folder, slot headers and rooms, followed as they change), the one
    // printer and its printout run, and the modal dialogs' runner (which
    // tests replace).
    struct Shared {
        WindowSettings* settings = nullptr;
        QPrinter* printer = nullptr;
        PrintJobRun* printing = nullptr;
        std::function<int(QDialog&)> runModal;
    };

    PeriodWindow(Shared shared, QWidget* parent);
    ~PeriodWindow() override;

    // Shows the window for the room tab as it stands: the period from the
    // first of the day's month to the day, the tab's room text, and the
    // settings' rooms (their order is the order of the map's rows) and slot
    // headers. Counts at once, and again whenever the settings change.
    void Open(QDate day, const QString& room);

    // Writes the map as kivlogs-cli's summary writes it (Windows-1252).
    // Throws KivError when the file cannot be written, or is one the program
    // reads (a log or a list file).
    void SaveTo(const std::filesystem::path& path) const;
    // The map as tab-separated lines, as "Copier" puts it on the clipboard.
    QString TabSeparated() const;
    // "Occupation des salles du 01/12/2026 au 05/12/2026, salle : Toutes"
    QString Title() const;
    bool Running() const noexcept { return run_.Running(); }

    QDateEdit* DateFrom = nullptr;
    QDateEdit* DateTo = nullptr;
    QComboBox* Room = nullptr;
    HeatMap* Map = nullptr;
    QProgressBar* Progress = nullptr;
    QPushButton* CancelButton = nullptr;
    QLabel* Status = nullptr;
    QLabel* Legend = nullptr;
    QPushButton* PrintButton = nullptr;
    QPushButton* PdfButton = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* CopyButton = nullptr;

public slots:
    // Counts the period anew; the count still running is called off.
    void Restart();
    void CancelCount();
    void Print();
    // The map into a PDF file the staff name: no printer needed.
    void PrintToPdf();
    void Save();
    void Copy();

signals:
    // A count has ended and the map shows it (or nothing, when cancelled).
    void Finished(const kiv::ScanOutcome& outcome);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // How far the count got: days done of the period's days.
    struct DaysCounted {
        std::size_t daysDone = 0;
        std::size_t dayCount = 0;
    };
    using Run = WorkerRun<DaysCounted, PeriodResult>;

    void Ended(Run::Ending ending);
    void ShowIdle(const QString& status);
    // The room box offers the settings' rooms; its text stays.
    void OfferRooms();
    // Neither date lets the period reach a hundred years: the logs' names
    // would repeat.
    void BoundDates();
    void DatesChanged();
    void SettingsChanged();

    Shared shared_;
    QFileDialog* saveDialog_ = nullptr;
    QFileDialog* pdfDialog_ = nullptr;
    // A change of date or room restarts the count on the same thread without
    // waiting for the one called off.
    Run run_;
};

} // namespace kiv
