#pragma once
// TForm1, the main window: the keyword search over the logs, the room
// occupation table and the help tab. It loads the three lists at start-up and
// opens the dialogs that edit them.

#include "app/lists/WordBox.h"
#include "app/window/DayDateEdit.h"
#include "app/window/StartupPaths.h"
#include "jobs/ScanOutcome.h"
#include "logscan/TextList.h"

#include <QWidget>

#include <cstddef>
#include <filesystem>
#include <functional>

class QAction;
class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QToolButton;

namespace kiv {

class DayWatchRun;
class KeywordSearchRun;
class LinesEdit;
class PeriodWindow;
class PrintJobRun;
class ResultsOutput;
class RoomListModel;
class ResultsView;
class RoomErrorOnce;
class RoomScanFeed;
class TOKBottomDlg;
class TOKheureDlg1;
class TOKmotDlg1;
class TSlotGrid;
class WindowSettings;
class TablePrintout;

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // Builds the window and runs FormCreate: the lists are loaded, each
    // failure shown in the error box.
    explicit TForm1(StartupPaths paths, QWidget* parent = nullptr);
    ~TForm1() override;

    // Creates the room, time-slot and word dialogs, hidden, in that order.
    void CreateListDialogs();

    // Shows a list dialog modally and gives its result; tests replace it to
    // drive the dialog.
    std::function<int(QDialog&)> RunModal;
    // Whether the system has a default printer; tests stand in for one.
    std::function<bool()> HasDefaultPrinter;

    // The folders in use now: the log folder as last chosen.
    StartupPaths Paths() const;
    // The start-up word file: "kiv.ini" beside the executable, or the
    // configuration folder's for the installed program (StartupWordFile).
    const std::filesystem::path& WordFilePath() const noexcept;
    // The default word list, searched by "Rechercher".
    const TextList& DefaultWords() const noexcept;
    // The settings the window shares with the watch and "Période…".
    WindowSettings& Settings() const noexcept { return *settings_; }
    // The words of the last keyword search: the default list or Memo3's lines.
    const TextList& SearchWords() const noexcept { return searchWords_; }
    // Set while a scan hands its results to the window.
    bool SearchBusy() const noexcept { return keywordScanBusy_ || roomScanBusy_; }
    // The scope chosen in RadioGroup1: 0 "Mois", 1 "Jour", 2 "Tout".
    int RadioGroup1ItemIndex() const;
    // The items of ComboBox1, in Windows-1252 bytes.
    TextList RoomItems() const;

    // Tab "Rechercher dans les logs".
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QFrame* Panel1 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QCheckBox* CheckBoxWatch = nullptr; // "Surveiller la journée"
    QAction* CountOnlyNotices = nullptr; // in CheckBoxWatch's context menu: notices that name nobody
    QGroupBox* RadioGroup1 = nullptr;
    QRadioButton* RadioMois = nullptr;
    QRadioButton* RadioJour = nullptr;
    QRadioButton* RadioTout = nullptr;
    WordBox* Memo3 = nullptr;
    QCalendarWidget* MonthCalendar1 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QToolButton* LogFolderButton = nullptr; // "Dossier des logs...": choose the school's log folder
    ResultsView* RichEdit1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Copier1 = nullptr;
    QAction* Rechercheordi = nullptr;
    QAction* RechercheNom = nullptr;
    QAction* RapportEleve = nullptr; // "Rapport sur l'élève…" of the caret's line
    QAction* RapportOrdi = nullptr;  // "Rapport sur l'ordinateur…"
    QToolButton* SpeedButtonRapport = nullptr; // a report on any pupil or computer
    QFrame* Panel2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusText = nullptr; // the one simple panel of StatusBar1

    // Tab "Occupation des salles".
    QFrame* Panel3 = nullptr;
    QLabel* Label1 = nullptr;
    DayDateEdit* DateTimePicker1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QToolButton* SpeedButtonprint = nullptr;
    QToolButton* SpeedButtonpdf = nullptr; // "Imprimer tableau" into a PDF file
    QToolButton* SpeedButtonsalle = nullptr;
    QToolButton* SpeedButtonheures = nullptr;
    QToolButton* SpeedButtonperiode = nullptr; // "Période…": the room use over a period
    TSlotGrid* SlotGrid1 = nullptr;
    LinesEdit* Memo4 = nullptr;
    QProgressBar* ProgressBar2 = nullptr;
    // The room scan in progress, started by Button1Click.
    RoomScanFeed* RoomFeed = nullptr;
    // Shows the room scans' errors once, never over the typing.
    RoomErrorOnce* RoomErrors = nullptr;

    // The list dialogs, children of the window.
    TOKBottomDlg* OKBottomDlg = nullptr;
    TOKheureDlg1* OKheureDlg1 = nullptr;
    TOKmotDlg1* OKmotDlg1 = nullptr;

public slots:
    void SpeedButton1Click();
    void SpeedButton3Click();
    void CheckBoxWatchClick(bool ticked);
    void CountOnlyNoticesClick(bool countOnly);
    void SpeedButton2Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void LogFolderButtonClick();
    // When the log folder does not exist (a share mounted elsewhere), offers
    // to choose it; the chosen folder is used and remembered. Run once the
    // window shows.
    void OfferLogFolderChoice();
    void Memo3Change();
    void RichEdit1SelectionChange();
    void Copier1Click();
    void RechercheordiClick();
    void RechercheNomClick();
    void RapportEleveClick();
    void RapportOrdiClick();
    void SpeedButtonRapportClick();
    void Button1Click();
    void FileSearch2Finish(std::size_t fileCount);
    void Button2Click();
    void SpeedButtonprintClick();
    void SpeedButtonpdfClick();
    void SpeedButtonsalleClick();
    void SpeedButtonheuresClick();
    void SpeedButtonperiodeClick();

private:
    void BuildSearchTab();
    void BuildRoomTab();
    void BuildHelpTab();
    void Wire();
    void FormCreate();
    void RoomScanEnded(const ScanOutcome& outcome);

    // The keyword search with the words given, on the date and scope set on
    // the tab; nothing while one runs.
    void StartKeywordSearch(TextList words);
    void KeywordSearchEnded(const ScanOutcome& outcome);
    void RunPopupSearch(const std::string& word);
    void PopupSearchesFollowCaret();
    // Asks who and when (prefilled with subject and name), then opens the
    // report in a window of its own (Unit1Report.cpp).
    void OpenReport(bool pupil, const std::string& name);

    std::filesystem::path ListFilePath(const char* bareName) const;
    void SetLogFolder(const std::filesystem::path& folder);
    // Replaces the rooms of ComboBox1 and appends "Toutes"; the edit text
    // stays and no search starts.
    void SetRoomItems(TextList rooms);
    // The slot headers as the table now shows them, for whoever shares them.
    void ShareSlotHeaders();
    // The watch follows the log folder and the default words as they change.
    void RestartWatch();

    StartupPaths paths_; // as given at start-up: the log folder in use is the settings'
    RoomListModel* roomList_ = nullptr; // the rooms ComboBox1 offers
    WindowSettings* settings_ = nullptr;
    // A keyword search and a room scan can run side by side: the results
    // view stays quiet until both have ended.
    bool keywordScanBusy_ = false;
    bool roomScanBusy_ = false;
    TextList searchWords_;
    KeywordSearchRun* keywordRun_ = nullptr;
    DayWatchRun* watchRun_ = nullptr;
    ResultsOutput* resultsOutput_ = nullptr;
    PrintJobRun* printRun_ = nullptr;
    TablePrintout* tablePrintout_ = nullptr;
    PeriodWindow* periodWindow_ = nullptr; // made on the first "Période…"
};

} // namespace kiv
