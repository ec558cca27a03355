#include "app/window/Unit1.h"

#include "app/lists/RoomListModel.h"
#include "app/lists/TypedWords.h"
#include "app/lists/Unit2.h"
#include "app/lists/Unit3.h"
#include "app/lists/Unit4.h"
#include "app/lists/WordBox.h"
#include "app/period/PeriodWindow.h"
#include "app/results/ResultsOutput.h"
#include "app/results/ResultsView.h"
#include "app/runs/DayWatchRun.h"
#include "app/runs/KeywordSearchRun.h"
#include "app/runs/PrintJobRun.h"
#include "app/runs/RoomScanFeed.h"
#include "app/window/BoldLabel.h"
#include "app/window/DayDateEdit.h"
#include "app/window/KivErrorBox.h"
#include "app/window/LogFolderChoice.h"
#include "app/window/NoticeSetting.h"
#include "app/window/NothingFoundNotice.h"
#include "app/window/PrinterIcon.h"
#include "app/window/RoomErrorOnce.h"
#include "app/window/TablePrintout.h"
#include "app/window/TypedRoom.h"
#include "app/window/UserConfigFolder.h"
#include "app/window/WindowSettings.h"
#include "grid/QtTablePrint.h"
#include "grid/RoomTableLook.h"
#include "grid/TSlotGrid.h"
#include "lines/LinesEdit.h"
#include "logscan/DefaultWords.h"
#include "logscan/FileIo.h"
#include "logscan/LogFolderSetting.h"
#include "logscan/ResultFields.h"
#include "logscan/SessionParser.h"
#include "qtext/QtCp1252.h"
#include "table/OccupationTable.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QListView>
#include <QDateEdit>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kiv {
namespace {

const char* const kWordFile = "kiv.ini";
const char* const kRoomFile = "kiv_salles.txt";
const char* const kHourFile = "kiv_heures.txt";

// A list file that exists but cannot be read must be reported, so only a
// path that surely holds nothing counts as missing.
bool PathExists(const std::filesystem::path& path)
{
    std::error_code error;
    const bool exists = std::filesystem::exists(path, error);
    return exists || static_cast<bool>(error);
}

// What a list dialog opens with: the file's lines, or, while the file does
// not exist yet, the list the program uses now (OK then creates the file).
// Either comes in on the dialog's worker while the dialog opens.
template <typename InUse>
void LoadDialogList(TListDialog& dialog, InUse&& inUse)
{
    if (PathExists(dialog.FilePath()))
        dialog.LoadFile();
    else
        dialog.LoadList(inUse());
}

// Runs at the end of the scope: a list dialog's lines are freed once the
// window has taken what it needs of them.
class ReleaseWhenDone {
public:
    explicit ReleaseWhenDone(TListDialog& dialog) : dialog_(dialog) {}
    ~ReleaseWhenDone() { dialog_.ReleaseLines(); }
    ReleaseWhenDone(const ReleaseWhenDone&) = delete;
    ReleaseWhenDone& operator=(const ReleaseWhenDone&) = delete;

private:
    TListDialog& dialog_;
};

} // namespace

TForm1::TForm1(StartupPaths paths, QWidget* parent)
    : QWidget(parent)
    , paths_(std::move(paths))
{
    settings_ = new WindowSettings(paths_.configFolder, StartupWordFile(paths_), paths_.logFolder,
                                   BuiltInWatchedWords(), this);
    RunModal = [](QDialog& dialog) { return dialog.exec(); };
    HasDefaultPrinter = [] { return !QPrinterInfo::defaultPrinter().isNull(); };

    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kiv Logs"));
    setLocale(QLocale(QLocale::French, QLocale::France));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setGeometry(70, 145, 966, 559);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PageControl1);

    BuildSearchTab();
    BuildRoomTab();
    BuildHelpTab();
    // The window is laid out with the help tab in front; FormCreate brings the
    // search tab forward.
    PageControl1->setCurrentWidget(TabSheet3);
    Wire();
    FormCreate();
}

TForm1::~TForm1()
{
    // Closing the window moves the focus away while the controls still exist:
    // a date being typed may settle then, and it must not start a room scan
    // for a window on its way out.
    DateTimePicker1->disconnect(this);
    ComboBox1->disconnect(this);
}

void TForm1::Wire()
{
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm1::SpeedButton3Click);
    connect(CheckBoxWatch, &QCheckBox::toggled, this, &TForm1::CheckBoxWatchClick);
    connect(CountOnlyNotices, &QAction::toggled, this, &TForm1::CountOnlyNoticesClick);
    connect(settings_, &WindowSettings::LogFolderChanged, this, &TForm1::RestartWatch);
    connect(settings_, &WindowSettings::DefaultWordsChanged, this, &TForm1::RestartWatch);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TForm1::SpeedButton4Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TForm1::SpeedButton5Click);
    connect(SpeedButton6, &QToolButton::clicked, this, &TForm1::SpeedButton6Click);
    connect(LogFolderButton, &QToolButton::clicked, this, &TForm1::LogFolderButtonClick);
    connect(Memo3, &QPlainTextEdit::textChanged, this, &TForm1::Memo3Change);
    connect(RichEdit1, &LinesEdit::cursorPositionChanged, this, &TForm1::RichEdit1SelectionChange);
    connect(RichEdit1, &LinesEdit::selectionChanged, this, &TForm1::RichEdit1SelectionChange);
    connect(RichEdit1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(RichEdit1->viewport()->mapToGlobal(at)); });
    connect(Copier1, &QAction::triggered, this, &TForm1::Copier1Click);
    connect(Rechercheordi, &QAction::triggered, this, &TForm1::RechercheordiClick);
    connect(RechercheNom, &QAction::triggered, this, &TForm1::RechercheNomClick);
    connect(RapportEleve, &QAction::triggered, this, &TForm1::RapportEleveClick);
    connect(RapportOrdi, &QAction::triggered, this, &TForm1::RapportOrdiClick);
    connect(SpeedButtonRapport, &QToolButton::clicked, this, &TForm1::SpeedButtonRapportClick);
    // The room scan runs on every change of the date or of the room, typed
    // or picked: once per change, and never for a text the program sets.
    // Return or leaving the box changes no text and starts none; text the
    // program sets is set with the box's signals blocked.
    connect(DateTimePicker1, &QDateEdit::dateChanged, this, &TForm1::Button1Click);
    // Enter scans the day again: a way to refresh it.
    connect(DateTimePicker1, &DayDateEdit::Confirmed, this, &TForm1::Button1Click);
    connect(ComboBox1, &QComboBox::editTextChanged, this, &TForm1::Button1Click);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(RoomFeed, &RoomScanFeed::FilesFound, this, &TForm1::FileSearch2Finish);
    connect(RoomFeed, &RoomScanFeed::Ended, this, &TForm1::RoomScanEnded);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(SpeedButtonprint, &QToolButton::clicked, this, &TForm1::SpeedButtonprintClick);
    connect(SpeedButtonpdf, &QToolButton::clicked, this, &TForm1::SpeedButtonpdfClick);
    // Both printouts go to the one printer: neither starts while one runs.
    connect(printRun_, &PrintJobRun::RunningChanged, this, [this](bool printing) {
        SpeedButton2->setEnabled(!printing);
        SpeedButtonprint->setEnabled(!printing);
        SpeedButtonpdf->setEnabled(!printing);
    });
    connect(SpeedButtonsalle, &QToolButton::clicked, this, &TForm1::SpeedButtonsalleClick);
    connect(SpeedButtonheures, &QToolButton::clicked, this, &TForm1::SpeedButtonheuresClick);
    connect(SpeedButtonperiode, &QToolButton::clicked, this, &TForm1::SpeedButtonperiodeClick);
}

void TForm1::FormCreate()
{
    // Each list is loaded on its own: one that fails is reported and keeps
    // its built-in content, and start-up goes on with the others.
    ReportErrors(this, [this] {
        if (PathExists(WordFilePath()))
            settings_->SetDefaultWords(LoadTextListFile(WordFilePath(), PathForMessage(WordFilePath())));
    });
    {
        const QSignalBlocker quiet(CountOnlyNotices);
        CountOnlyNotices->setChecked(ReadCountOnlyNotices(paths_.configFolder));
        watchRun_->SetCountOnly(CountOnlyNotices->isChecked());
    }
    MonthCalendar1->setSelectedDate(QDate::currentDate());
    keywordScanBusy_ = false;
    roomScanBusy_ = false;
    PageControl1->setCurrentWidget(TabSheet1);
    {
        // A date set by the program starts no room scan.
        const QSignalBlocker quiet(DateTimePicker1);
        DateTimePicker1->setDate(QDate::currentDate());
    }
    LogFolderButton->setToolTip(QString::fromStdU16String(settings_->LogFolder().u16string()));
    ReportErrors(this, [this] {
        if (auto rooms = roomList_->ReadFile(ListFilePath(kRoomFile), kRoomFile))
            SetRoomItems(std::move(*rooms));
    });
    ReportErrors(this, [this] { SlotGrid1->ColumnHeaders().LoadFromFile(ListFilePath(kHourFile), kHourFile); });
    ShareSlotHeaders();
}

StartupPaths TForm1::Paths() const
{
    return {paths_.exeFolder, paths_.configFolder, settings_->LogFolder()};
}

const std::filesystem::path& TForm1::WordFilePath() const noexcept
{
    return settings_->WordFile();
}

const TextList& TForm1::DefaultWords() const noexcept
{
    return settings_->DefaultWords();
}

void TForm1::CreateListDialogs()
{
    if (!OKBottomDlg)
        OKBottomDlg = new TOKBottomDlg(paths_.configFolder, this);
    if (!OKheureDlg1)
        OKheureDlg1 = new TOKheureDlg1(paths_.configFolder, this);
    if (!OKmotDlg1)
        OKmotDlg1 = new TOKmotDlg1(paths_.configFolder, this);
}

std::filesystem::path TForm1::ListFilePath(const char* bareName) const
{
    return paths_.configFolder / bareName;
}

int TForm1::RadioGroup1ItemIndex() const
{
    if (RadioMois->isChecked())
        return 0;
    if (RadioJour->isChecked())
        return 1;
    if (RadioTout->isChecked())
        return 2;
    return -1;
}

TextList TForm1::RoomItems() const
{
    return roomList_->Rows();
}

void TForm1::SetRoomItems(TextList rooms)
{
    const QSignalBlocker quiet(ComboBox1);
    const QString editText = ComboBox1->currentText();
    roomList_->SetRooms(rooms);
    ComboBox1->setEditText(editText);
    if (!rooms.empty() && rooms.back() == kAllRooms)
        rooms.pop_back();
    settings_->SetRooms(std::move(rooms));
}

void TForm1::ShareSlotHeaders()
{
    std::vector<std::string> row;
    for (int column = 0; column < kSlotColumnCount; ++column)
        row.push_back(SlotGrid1->CellText(column, 0));
    settings_->SetSlotHeaderRow(std::move(row));
}

void TForm1::SpeedButton6Click()
{
    if (!OKmotDlg1)
        return;
    ReportErrors(this, [this] {
        const std::filesystem::path path = ListFilePath(kWordFile);
        LoadDialogList(*OKmotDlg1, [this] { return settings_->DefaultWords(); });
        const ReleaseWhenDone release(*OKmotDlg1);
        if (RunModal(*OKmotDlg1) != QDialog::Accepted)
            return;
        // The list is what the file holds; when the file could not be
        // created, the list in use stays.
        if (auto written = OKmotDlg1->TakeWritten(); written && written->saved)
            settings_->SetDefaultWords(std::move(written->lines));
        else if (PathExists(path))
            settings_->SetDefaultWords(LoadTextListFile(path, kWordFile));
    });
}

void TForm1::SpeedButtonsalleClick()
{
    if (!OKBottomDlg)
        return;
    ReportErrors(this, [this] {
        LoadDialogList(*OKBottomDlg, [this] {
            TextList rooms = RoomItems();
            if (!rooms.empty() && rooms.back() == kAllRooms)
                rooms.pop_back();
            return rooms;
        });
        const ReleaseWhenDone release(*OKBottomDlg);
        if (RunModal(*OKBottomDlg) != QDialog::Accepted)
            return;
        // Taken from the dialog, so the rooms follow the edit even when the
        // file could not be written.
        if (auto written = OKBottomDlg->TakeWritten())
            SetRoomItems(std::move(written->lines));
    });
}

void TForm1::SpeedButtonheuresClick()
{
    if (!OKheureDlg1)
        return;
    ReportErrors(this, [this] {
        const std::filesystem::path path = ListFilePath(kHourFile);
        LoadDialogList(*OKheureDlg1, [this] { return SlotGrid1->ColumnHeaders().Items(); });
        const ReleaseWhenDone release(*OKheureDlg1);
        if (RunModal(*OKheureDlg1) != QDialog::Accepted)
            return;
        if (auto written = OKheureDlg1->TakeWritten(); written && written->saved)
            SlotGrid1->ColumnHeaders().Assign(std::move(written->lines));
        else if (PathExists(path))
            SlotGrid1->ColumnHeaders().LoadFromFile(path, kHourFile);
    });
    ShareSlotHeaders();
}

void TForm1::Memo3Change()
{
    // Any character counts, a lone space or line break included; no second
    // search while one runs.
    SpeedButton3->setEnabled(!Memo3->document()->isEmpty() && !keywordRun_->Running());
}

void TForm1::OfferLogFolderChoice()
{
    std::error_code ec;
    if (std::filesystem::is_directory(settings_->LogFolder(), ec))
        return;
    if (const auto chosen = kiv::OfferLogFolderChoice(this, settings_->LogFolder(), RunModal))
        SetLogFolder(*chosen);
}

void TForm1::LogFolderButtonClick()
{
    if (const auto chosen = ChooseLogFolder(this, settings_->LogFolder(), RunModal))
        SetLogFolder(*chosen);
}

// The next scans read the chosen folder, and so do the next starts.
void TForm1::SetLogFolder(const std::filesystem::path& folder)
{
    LogFolderButton->setToolTip(QString::fromStdU16String(folder.u16string()));
    ReportErrors(this, [&] { WriteLogFolderSetting(paths_.configFolder, folder); });
    settings_->SetLogFolder(folder);
}

void TForm1::Button2Click()
{
    SlotGrid1->setHidden(!SlotGrid1->isHidden());
    Memo4->setHidden(!Memo4->isHidden());
}

void TForm1::SpeedButton1Click()
{
    StartKeywordSearch(settings_->DefaultWords());
}

void TForm1::SpeedButton3Click()
{
    TypedWords typed = WordsOfBox(*Memo3);
    ShowKivErrors(this, typed.refusals);
    if (!typed.words.empty())
        StartKeywordSearch(std::move(typed.words));
}

// The day's logs with the words of "Rechercher", whatever date the calendar shows.
void TForm1::CheckBoxWatchClick(bool ticked)
{
    if (ticked)
        RestartWatch();
    else
        watchRun_->Stop();
}

// Remembered with the log folder: the screen stays where it is.
void TForm1::CountOnlyNoticesClick(bool countOnly)
{
    watchRun_->SetCountOnly(countOnly);
    ReportErrors(this, [&] { WriteCountOnlyNotices(paths_.configFolder, countOnly); });
}

void TForm1::RestartWatch()
{
    if (CheckBoxWatch->isChecked())
        watchRun_->Start({settings_->LogFolder(), settings_->DefaultWords(), std::nullopt, false});
}

void TForm1::SpeedButton2Click()
{
    ReportErrors(this, [this] { resultsOutput_->Print(); });
}

void TForm1::SpeedButton4Click()
{
    RichEdit1->clear();
}

void TForm1::SpeedButton5Click()
{
    ReportErrors(this, [this] { resultsOutput_->Save(); });
}

void TForm1::RichEdit1SelectionChange()
{
    // The search's own appends move the caret; they are not the user's.
    if (SearchBusy())
        return;
    const int line = RichEdit1->SelectionStartLine();
    StatusText->setText(QStringLiteral("ligne %1  ").arg(line + 1));
    PopupSearchesFollowCaret();
}

// The popup's searches are offered on a line that has something to search.
void TForm1::PopupSearchesFollowCaret()
{
    const bool onResult = !RichEdit1->LineText(RichEdit1->SelectionStartLine()).empty();
    Rechercheordi->setEnabled(onResult);
    RechercheNom->setEnabled(onResult);
    RapportEleve->setEnabled(onResult);
    RapportOrdi->setEnabled(onResult);
}

void TForm1::Copier1Click()
{
    RichEdit1->copy();
}

void TForm1::RechercheordiClick()
{
    RunPopupSearch(ComputerField(RichEdit1->LineText(RichEdit1->SelectionStartLine())));
}

void TForm1::RechercheNomClick()
{
    RunPopupSearch(PupilField(RichEdit1->LineText(RichEdit1->SelectionStartLine())));
}

void TForm1::RunPopupSearch(const std::string& word)
{
    if (word.empty() || keywordRun_->Running())
        return;
    Memo3->setPlainText(FromCp1252(word));
    SpeedButton3Click();
}

void TForm1::StartKeywordSearch(TextList words)
{
    if (keywordRun_->Running())
        return;
    searchWords_ = std::move(words);
    const QDate date = MonthCalendar1->selectedDate();
    KeywordSearchRequest request;
    request.logFolder = settings_->LogFolder();
    request.date = LogDate{date.year(), date.month(), date.day()};
    const int scope = RadioGroup1ItemIndex();
    request.scope = scope == 0 ? SearchScope::Mois : scope == 1 ? SearchScope::Jour : SearchScope::Tout;
    request.words = searchWords_;
    if (!keywordRun_->Start(std::move(request)))
        return;
    keywordScanBusy_ = true;
    RichEdit1->FollowAppends(true);
    for (QToolButton* button : {SpeedButton1, SpeedButton3})
        button->setEnabled(false);
    Rechercheordi->setEnabled(false);
    RechercheNom->setEnabled(false);
}

void TForm1::KeywordSearchEnded(const ScanOutcome& outcome)
{
    keywordScanBusy_ = false;
    RichEdit1->FollowAppends(false);
    watchRun_->AppendHeld();
    SpeedButton1->setEnabled(true);
    Memo3Change();
    // The appends moved the caret without telling the popup: its searches
    // follow the line the caret is on now (the status line waits for the
    // user's next move).
    PopupSearchesFollowCaret();
    // Every file that could not be read, in one box at the end, one a line.
    ShowKivErrors(this, WithLogFolderHint(outcome.errors, settings_->LogFolder()));
    if (!keywordRun_->FoundAny() && outcome.errors.empty())
        ShowNothingFound(RichEdit1);
}

void TForm1::Button1Click()
{
    TypedRoom room = RoomOfBox(ComboBox1->currentText());
    if (room.refusal) {
        RoomFeed->StartRefused(std::move(*room.refusal));
        return;
    }
    const QDate day = DateTimePicker1->date();
    OccupationRequest request{settings_->LogFolder(), LogDate{day.year(), day.month(), day.day()}, std::move(room.room)};
    std::vector<std::string> headers;
    for (int column = 0; column < kSlotColumnCount; ++column)
        headers.push_back(SlotGrid1->Table().Header(column));
    RoomFeed->Start(std::move(request), headers);
}

// The day's connection logs are listed: the sessions come next.
void TForm1::FileSearch2Finish(std::size_t fileCount)
{
    roomScanBusy_ = true;
    ProgressBar2->setValue(0);
    ProgressBar2->show();
    if (fileCount > 0)
        ProgressBar2->setMaximum(std::max(1, static_cast<int>(fileCount - 1))); // 0 to 0 would be a busy marquee
}

// Whatever ended the scan, the bar goes and the flag clears; the logs that
// could not be read are named together, once the rest is shown.
void TForm1::RoomScanEnded(const ScanOutcome& outcome)
{
    ProgressBar2->setValue(0);
    ProgressBar2->hide();
    roomScanBusy_ = false;
    RoomErrors->Report(PathBytes(settings_->LogFolder()) + '\n' + DateTimePicker1->date().toString(Qt::ISODate).toStdString(),
                       WithLogFolderHint(outcome.errors, settings_->LogFolder()));
}

// The table prints whichever of the table and its text view is showing.
void TForm1::SpeedButtonprintClick()
{
    ReportErrors(this, [this] { tablePrintout_->ToPrinter(*SlotGrid1, resultsOutput_->NewJobPrinter()); });
}

void TForm1::SpeedButtonpdfClick()
{
    ReportErrors(this, [this] { tablePrintout_->ToPdfFile(*SlotGrid1, resultsOutput_->Printer().pageLayout().pageSize()); });
}

void TForm1::SpeedButtonperiodeClick()
{
    if (!periodWindow_)
        periodWindow_ = new PeriodWindow(
            {settings_, &resultsOutput_->Printer(), printRun_, [this](QDialog& dialog) { return RunModal(dialog); }},
            this);
    periodWindow_->Open(DateTimePicker1->date(), ComboBox1->currentText());
}

} // namespace kiv
