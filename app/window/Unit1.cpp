#include "app/runs/DayWatchRun.h"
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
#include "app/runs/KeywordSearchRun.h"
#include "app/runs/PrintJobRun.h"
#include "app/runs/RoomScanFeed.h"
#include "app/window/BoldLabel.h"
#include "app/window/KivErrorBox.h"
#include "app/window/LogFolderChoice.h"
#include "app/window/NothingFoundNotice.h"
#include "app/window/PrinterIcon.h"
#include "app/window/RoomErrorOnce.h"
#include "app/window/UserConfigFolder.h"
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

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

QWidget* NewTab(QTabWidget* pages, const char* name, const QString& caption)
{
    auto* tab = new QWidget;
    tab->setObjectName(QLatin1String(name));
    pages->addTab(tab, caption);
    return tab;
}

QFrame* NewPanel(const char* name, QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return panel;
}

// A flat button: raised only under the mouse, reached with the Tab key.
QToolButton* NewSpeedButton(const char* name, const QString& caption, QWidget* parent, const QRect& geometry)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setFocusPolicy(Qt::TabFocus);
    // The designed size, widened where the system font needs more room.
    button->setGeometry(QRect(geometry.topLeft(), geometry.size().expandedTo(button->sizeHint())));
    return button;
}

QToolButton* NewPictureButton(const char* name, const QIcon& icon, const QString& hint, QWidget* parent,
                              const QRect& geometry)
{
    QToolButton* button = NewSpeedButton(name, hint, parent, geometry);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setIcon(icon);
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setGeometry(geometry);
    return button;
}

// The lines of a word box: one word per line, a final line break adding none.
QLabel* NewLabel(const char* name, const QString& text, QWidget* parent, QPoint place)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(place);
    label->adjustSize();
    return label;
}

} // namespace

TForm1::TForm1(StartupPaths paths, QWidget* parent)
    : QWidget(parent)
    , paths_(std::move(paths))
    , defaultWords_(BuiltInWatchedWords())
{
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

void TForm1::BuildSearchTab()
{
    TabSheet1 = NewTab(PageControl1, "TabSheet1", QStringLiteral("&Rechercher dans les logs"));
    auto* layout = new QVBoxLayout(TabSheet1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = NewPanel("Panel1", TabSheet1);
    Panel1->setFixedHeight(193);
    layout->addWidget(Panel1);

    QStyle* look = style();
    SpeedButton5 = NewPictureButton("SpeedButton5", look->standardIcon(QStyle::SP_DialogSaveButton),
                                    QStringLiteral("Enregistrer"), Panel1, QRect(32, 16, 41, 41));
    SpeedButton4 = NewPictureButton("SpeedButton4", look->standardIcon(QStyle::SP_TrashIcon),
                                    QStringLiteral("Effacer"), Panel1, QRect(96, 16, 41, 41));
    SpeedButton2 = NewPictureButton("SpeedButton2", PrinterIcon(), QStringLiteral("Imprimer"), Panel1,
                                    QRect(152, 16, 41, 41));
    SpeedButton1 = NewSpeedButton("SpeedButton1", QStringLiteral("Rechercher"), Panel1, QRect(96, 72, 97, 41));
    SpeedButton1->setToolTip(Utf8("Recherche à partir des mots du fichier KIV.INI"));
    SpeedButton3 = NewSpeedButton("SpeedButton3", QStringLiteral("Rechercher avec ces mots -->"), Panel1,
                                  QRect(96, 128, 161, 41));
    SpeedButton3->setToolTip(Utf8("Recherche à partir des mots situés à droite de ce bouton"));
    SpeedButton3->setEnabled(false);
    // Under the search buttons, in the panel's free strip: nothing designed moves.
    CheckBoxWatch = new QCheckBox(Utf8("Surveiller la journée"), Panel1);
    CheckBoxWatch->setObjectName(QStringLiteral("CheckBoxWatch"));
    CheckBoxWatch->setGeometry(96, 171, 177, 20);
    CheckBoxWatch->setAccessibleName(Utf8("Surveiller la journée"));
    CheckBoxWatch->setToolTip(Utf8("Ajoute aux résultats, dès qu'elles sont écrites, les lignes du jour qui "
                                   "contiennent un des mots par défaut, et les signale sur le bureau"));

    RadioGroup1 = new QGroupBox(QStringLiteral("Faire une recherche seulement sur "), Panel1);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(280, 8, 209, 81);
    auto* radios = new QVBoxLayout(RadioGroup1);
    radios->setContentsMargins(8, 2, 8, 2);
    radios->setSpacing(0);
    RadioMois = new QRadioButton(QStringLiteral("Mois"), RadioGroup1);
    RadioMois->setObjectName(QStringLiteral("RadioMois"));
    RadioJour = new QRadioButton(QStringLiteral("Jour"), RadioGroup1);
    RadioJour->setObjectName(QStringLiteral("RadioJour"));
    RadioTout = new QRadioButton(QStringLiteral("Tout"), RadioGroup1);
    RadioTout->setObjectName(QStringLiteral("RadioTout"));
    radios->addWidget(RadioMois);
    radios->addWidget(RadioJour);
    radios->addWidget(RadioTout);
    RadioJour->setChecked(true);

    Memo3 = new WordBox(Panel1);
    Memo3->setObjectName(QStringLiteral("Memo3"));
    Memo3->setGeometry(280, 96, 209, 81);
    Memo3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo3->setTabChangesFocus(true);
    Memo3->setAccessibleName(Utf8("Mots recherchés"));
    Memo3->setToolTip(Utf8("Les mots de « Rechercher avec ces mots --> », un par ligne"));

    MonthCalendar1 = new QCalendarWidget(Panel1);
    MonthCalendar1->setObjectName(QStringLiteral("MonthCalendar1"));
    MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    MonthCalendar1->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    MonthCalendar1->setGridVisible(false);
    MonthCalendar1->setGeometry(QRect(QPoint(537, 9), MonthCalendar1->sizeHint().expandedTo(QSize(184, 160))));
    MonthCalendar1->setSelectedDate(QDate(2006, 2, 4));
    MonthCalendar1->setAccessibleName(QStringLiteral("Date de la recherche"));

    SpeedButton6 = NewSpeedButton("SpeedButton6", Utf8("Modifier mots recherchés par défaut"), Panel1,
                                  QRect(std::max(752, MonthCalendar1->geometry().right() + 16), 88, 193, 22));
    // Below the word button, in the panel's free corner: nothing designed moves.
    LogFolderButton = NewSpeedButton("LogFolderButton", Utf8("Dossier des &logs..."), Panel1,
                                     QRect(SpeedButton6->x(), SpeedButton6->geometry().bottom() + 11, 193, 22));
    LogFolderButton->setAccessibleName(QStringLiteral("Choisir le dossier des logs"));

    // Nothing is cut when the window shrinks: it stops at the panel's width.
    Panel1->setMinimumWidth(Panel1->childrenRect().right() + 16);

    RichEdit1 = new ResultsView(TabSheet1);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAccessibleName(Utf8("Résultats de la recherche"));
    RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
    RichEdit1->setMinimumHeight(80);
    layout->addWidget(RichEdit1, 1);

    PopupMenu1 = new QMenu(RichEdit1);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Copier1 = PopupMenu1->addAction(QStringLiteral("Copier ctrl + C"));
    Copier1->setObjectName(QStringLiteral("Copier1"));
    PopupMenu1->addSeparator();
    Rechercheordi = PopupMenu1->addAction(QStringLiteral("Recherche sur l'ordinateur"));
    Rechercheordi->setObjectName(QStringLiteral("Rechercheordi"));
    PopupMenu1->addSeparator();
    RechercheNom = PopupMenu1->addAction(Utf8("Recherche sur l'élève"));
    RechercheNom->setObjectName(QStringLiteral("RechercheNom"));

    Panel2 = NewPanel("Panel2", TabSheet1);
    Panel2->setFrameStyle(QFrame::NoFrame);
    Panel2->setFixedHeight(29);
    auto* bottom = new QVBoxLayout(Panel2);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(0);
    ProgressBar1 = new QProgressBar(Panel2);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setFixedHeight(24);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();
    StatusBar1 = new QStatusBar(Panel2);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setAccessibleName(QStringLiteral("Ligne du curseur"));
    StatusText = new QLabel(StatusBar1);
    StatusText->setObjectName(QStringLiteral("StatusText"));
    StatusText->setTextFormat(Qt::PlainText);
    StatusBar1->addWidget(StatusText, 1);
    ProgressBar1->setAccessibleName(QStringLiteral("Progression de la recherche"));
    bottom->addWidget(ProgressBar1);
    bottom->addWidget(StatusBar1, 1);
    layout->addWidget(Panel2);

    setTabOrder(SpeedButton5, SpeedButton4);
    setTabOrder(SpeedButton4, SpeedButton2);
    setTabOrder(SpeedButton2, SpeedButton1);
    setTabOrder(SpeedButton1, SpeedButton3);
    setTabOrder(SpeedButton3, CheckBoxWatch);
    setTabOrder(CheckBoxWatch, RadioMois);
    setTabOrder(RadioMois, Memo3);
    setTabOrder(Memo3, MonthCalendar1);
    setTabOrder(MonthCalendar1, SpeedButton6);
    setTabOrder(SpeedButton6, LogFolderButton);
    setTabOrder(LogFolderButton, RichEdit1);

    keywordRun_ = new KeywordSearchRun(RichEdit1, ProgressBar1, this);
    connect(keywordRun_, &KeywordSearchRun::Finished, this, &TForm1::KeywordSearchEnded);
    watchRun_ = new DayWatchRun(RichEdit1, [this] { return keywordScanBusy_; }, this);
    connect(watchRun_, &DayWatchRun::Failed, this, [this] { ShowKivErrors(this, watchRun_->TakeErrors()); });
    printRun_ = new PrintJobRun(this);
    resultsOutput_ = new ResultsOutput(RichEdit1, this, RunModal, HasDefaultPrinter, printRun_, [this] {
        return ProgramFiles{{wordFilePath_, ListFilePath("kiv.ini"), ListFilePath("kiv_salles.txt"),
                             ListFilePath("kiv_heures.txt")},
                            paths_.logFolder};
    });
}

void TForm1::BuildRoomTab()
{
    TabSheet2 = NewTab(PageControl1, "TabSheet2", QStringLiteral("&Occupation des salles"));
    auto* layout = new QVBoxLayout(TabSheet2);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel3 = NewPanel("Panel3", TabSheet2);
    Panel3->setFixedHeight(41);
    layout->addWidget(Panel3);

    Label1 = NewLabel("Label1", QStringLiteral("&Date : "), Panel3, QPoint(16, 12));
    DateTimePicker1 = new QDateEdit(Panel3);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    DateTimePicker1->setDate(QDate(2007, 6, 12));
    DateTimePicker1->setGeometry(std::max(56, Label1->geometry().right() + 4), 10, 186, 23);
    DateTimePicker1->setAccessibleName(QStringLiteral("Date"));
    Label1->setBuddy(DateTimePicker1);

    Label2 = NewLabel("Label2", QStringLiteral("&Salle :"), Panel3, QPoint(256, 12));
    ComboBox1 = new QComboBox(Panel3);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    // Typing a room filters the scan; it does not add the text to the list.
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    // The room is the text as typed: "S5" takes every room of the fifth floor,
    // so no completion may turn it into "S514" behind the user's back.
    ComboBox1->setCompleter(nullptr);
    ComboBox1->setAccessibleName(QStringLiteral("Salle"));
    roomList_ = new RoomListModel(ComboBox1);
    connect(roomList_, &RoomListModel::FileRead, this, [this](const std::string& failure) {
        if (failure.empty())
            SetRoomItems(roomList_->TakeReadRooms());
        else
            ShowKivError(this, failure);
    });
    roomList_->SetRooms(TextList{"S514", "S302", "S502", "SPROF", "SCDI"});
    ComboBox1->setModel(roomList_);
    // A school may list thousands of rooms: the box neither measures every
    // one of them nor lays out its drop-down list row by row.
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto* list = qobject_cast<QListView*>(ComboBox1->view()))
        list->setUniformItemSizes(true);
    ComboBox1->setEditText(FromCp1252(kAllRooms));
    ComboBox1->setGeometry(std::max(296, Label2->geometry().right() + 4), 10, 145, 23);
    Label2->setBuddy(ComboBox1);

    Button1 = new QPushButton(QStringLiteral("Lancer la recherche"), Panel3);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(256, 8, 65, 25);
    Button1->hide();
    Button2 = new QPushButton(QStringLiteral("Tableau <---> Texte"), Panel3);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(ComboBox1->geometry().right() + 8, 8, 129, 25);
    SpeedButtonprint = NewSpeedButton("SpeedButtonprint", QStringLiteral("Imprimer tableau"), Panel3,
                                      QRect(Button2->geometry().right() + 8, 8, 97, 25));
    SpeedButtonsalle = NewSpeedButton("SpeedButtonsalle", Utf8("Définir salles"), Panel3,
                                      QRect(SpeedButtonprint->geometry().right() + 48, 8, 81, 22));
    SpeedButtonheures = NewSpeedButton("SpeedButtonheures", Utf8("Définir heures"), Panel3,
                                       QRect(SpeedButtonsalle->geometry().right() + 8, 8, 73, 22));
    // After the designed buttons, so that none of them moves.
    SpeedButtonperiode = NewSpeedButton("SpeedButtonperiode", Utf8("Période…"), Panel3,
                                        QRect(SpeedButtonheures->geometry().right() + 8, 8, 73, 22));
    Panel3->setMinimumWidth(Panel3->childrenRect().right() + 8);

    // The table and its text view share the area below the panel; one shows.
    SlotGrid1 = new TSlotGrid(TabSheet2);
    SlotGrid1->setObjectName(QStringLiteral("SlotGrid1"));
    SetUpRoomTable(*SlotGrid1);
    SlotGrid1->setAccessibleName(Utf8("Tableau d'occupation des salles"));
    SlotGrid1->ColumnHeaders().Assign(InitialSlotHeaders());
    layout->addWidget(SlotGrid1, 1);

    // Hundreds of thousands of sessions on a busy day: a view that draws
    // only the lines on screen, with no undo record of what a scan appends.
    Memo4 = new LinesEdit(TabSheet2);
    Memo4->setObjectName(QStringLiteral("Memo4"));
    Memo4->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo4->setAccessibleName(QStringLiteral("Connexions"));
    Memo4->hide();
    layout->addWidget(Memo4, 1);

    ProgressBar2 = new QProgressBar(TabSheet2);
    ProgressBar2->setObjectName(QStringLiteral("ProgressBar2"));
    ProgressBar2->setRange(0, 100);
    ProgressBar2->setValue(0);
    ProgressBar2->setFixedHeight(24);
    ProgressBar2->setTextVisible(false);
    ProgressBar2->hide();
    layout->addWidget(ProgressBar2);

    RoomFeed = new RoomScanFeed(Memo4, SlotGrid1, ProgressBar2, this);
    RoomErrors = new RoomErrorOnce({DateTimePicker1, ComboBox1}, this);

    setTabOrder(DateTimePicker1, ComboBox1);
    setTabOrder(ComboBox1, Button2);
    setTabOrder(Button2, SpeedButtonprint);
    setTabOrder(SpeedButtonprint, SpeedButtonsalle);
    setTabOrder(SpeedButtonsalle, SpeedButtonheures);
    setTabOrder(SpeedButtonheures, SpeedButtonperiode);
    setTabOrder(SpeedButtonperiode, SlotGrid1);
    setTabOrder(SlotGrid1, Memo4);
}

void TForm1::BuildHelpTab()
{
    TabSheet3 = NewTab(PageControl1, "TabSheet3", QStringLiteral("&Aide"));

    QLabel* title = new BoldLabel(QStringLiteral("Fonctionne en mode adminsta"), TabSheet3);
    title->setObjectName(QStringLiteral("Label3"));
    title->move(328, 24);
    QFont bold = title->font();
    bold.setPointSize(10);
    bold.setBold(true);
    title->setFont(bold);
    title->adjustSize();
    NewLabel("Label4", QStringLiteral("Onglet : recherche dans les logs"), TabSheet3, QPoint(272, 64));
    NewLabel("Label5", QStringLiteral("clic droit permet  de faire une recherche sur l'utilisateur ou sur l'ordinateur"),
             TabSheet3, QPoint(352, 88));
    NewLabel("Label6", QStringLiteral("Onglet : Occupation des salles"), TabSheet3, QPoint(272, 144));
    NewLabel("Label7", Utf8("Vous pouvez définir les heures et les sallles"), TabSheet3, QPoint(376, 168));
    for (QLabel* label : TabSheet3->findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
}

void TForm1::Wire()
{
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm1::SpeedButton3Click);
    connect(CheckBoxWatch, &QCheckBox::toggled, this, &TForm1::CheckBoxWatchClick);
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
    // The room scan runs on every change of the date or of the room, typed
    // or picked: once per change, and never for a text the program sets.
    // Return or leaving the box changes no text and starts none; text the
    // program sets is set with the box's signals blocked.
    connect(DateTimePicker1, &QDateEdit::dateChanged, this, &TForm1::Button1Click);
    connect(ComboBox1, &QComboBox::editTextChanged, this, &TForm1::Button1Click);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(RoomFeed, &RoomScanFeed::FilesFound, this, &TForm1::FileSearch2Finish);
    connect(RoomFeed, &RoomScanFeed::Ended, this, &TForm1::RoomScanEnded);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(SpeedButtonprint, &QToolButton::clicked, this, &TForm1::SpeedButtonprintClick);
    // Both printouts go to the one printer: neither starts while one runs.
    connect(printRun_, &PrintJobRun::RunningChanged, this, [this](bool printing) {
        SpeedButton2->setEnabled(!printing);
        SpeedButtonprint->setEnabled(!printing);
    });
    connect(SpeedButtonsalle, &QToolButton::clicked, this, &TForm1::SpeedButtonsalleClick);
    connect(SpeedButtonheures, &QToolButton::clicked, this, &TForm1::SpeedButtonheuresClick);
    connect(SpeedButtonperiode, &QToolButton::clicked, this, &TForm1::SpeedButtonperiodeClick);
}

void TForm1::FormCreate()
{
    wordFilePath_ = StartupWordFile(paths_);
    // Each list is loaded on its own: one that fails is reported and keeps
    // its built-in content, and start-up goes on with the others.
    ReportErrors(this, [this] {
        if (PathExists(wordFilePath_))
            defaultWords_ = LoadTextListFile(wordFilePath_, PathForMessage(wordFilePath_));
    });
    MonthCalendar1->setSelectedDate(QDate::currentDate());
    keywordScanBusy_ = false;
    roomScanBusy_ = false;
    PageControl1->setCurrentWidget(TabSheet1);
    {
        // A date set by the program starts no room scan.
        const QSignalBlocker quiet(DateTimePicker1);
        DateTimePicker1->setDate(QDate::currentDate());
    }
    LogFolderButton->setToolTip(QString::fromStdU16String(paths_.logFolder.u16string()));
    ReportErrors(this, [this] {
        if (auto rooms = roomList_->ReadFile(ListFilePath(kRoomFile), kRoomFile))
            SetRoomItems(std::move(*rooms));
    });
    ReportErrors(this, [this] { SlotGrid1->ColumnHeaders().LoadFromFile(ListFilePath(kHourFile), kHourFile); });
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
    roomList_->SetRooms(std::move(rooms));
    ComboBox1->setEditText(editText);
}

void TForm1::SpeedButton6Click()
{
    if (!OKmotDlg1)
        return;
    ReportErrors(this, [this] {
        const std::filesystem::path path = ListFilePath(kWordFile);
        LoadDialogList(*OKmotDlg1, [this] { return defaultWords_; });
        const ReleaseWhenDone release(*OKmotDlg1);
        if (RunModal(*OKmotDlg1) != QDialog::Accepted)
            return;
        // The list is what the file holds; when the file could not be
        // created, the list in use stays.
        if (auto written = OKmotDlg1->TakeWritten(); written && written->saved)
            defaultWords_ = std::move(written->lines);
        else if (PathExists(path))
            defaultWords_ = LoadTextListFile(path, kWordFile);
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
    if (std::filesystem::is_directory(paths_.logFolder, ec))
        return;
    if (const auto chosen = kiv::OfferLogFolderChoice(this, paths_.logFolder, RunModal))
        SetLogFolder(*chosen);
}

void TForm1::LogFolderButtonClick()
{
    if (const auto chosen = ChooseLogFolder(this, paths_.logFolder, RunModal))
        SetLogFolder(*chosen);
}

// The next scans read the chosen folder, and so do the next starts.
void TForm1::SetLogFolder(const std::filesystem::path& folder)
{
    paths_.logFolder = folder;
    LogFolderButton->setToolTip(QString::fromStdU16String(folder.u16string()));
    ReportErrors(this, [&] { WriteLogFolderSetting(paths_.configFolder, folder); });
}

void TForm1::Button2Click()
{
    SlotGrid1->setHidden(!SlotGrid1->isHidden());
    Memo4->setHidden(!Memo4->isHidden());
}

void TForm1::SpeedButton1Click()
{
    StartKeywordSearch(defaultWords_);
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
        watchRun_->Start({paths_.logFolder, defaultWords_, std::nullopt, false});
    else
        watchRun_->StopAndWait();
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
    const bool onResult = !RichEdit1->LineText(line).empty();
    Rechercheordi->setEnabled(onResult);
    RechercheNom->setEnabled(onResult);
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
    request.logFolder = paths_.logFolder;
    request.date = LogDate{date.year(), date.month(), date.day()};
    const int scope = RadioGroup1ItemIndex();
    request.scope = scope == 0 ? SearchScope::Mois : scope == 1 ? SearchScope::Jour : SearchScope::Tout;
    request.words = searchWords_;
    if (!keywordRun_->Start(std::move(request)))
        return;
    keywordScanBusy_ = true;
    popupSearchesEnabled_[0] = Rechercheordi->isEnabled();
    popupSearchesEnabled_[1] = RechercheNom->isEnabled();
    for (QToolButton* button : {SpeedButton1, SpeedButton3})
        button->setEnabled(false);
    Rechercheordi->setEnabled(false);
    RechercheNom->setEnabled(false);
}

void TForm1::KeywordSearchEnded(const ScanOutcome& outcome)
{
    keywordScanBusy_ = false;
    watchRun_->AppendHeld();
    SpeedButton1->setEnabled(true);
    Memo3Change();
    Rechercheordi->setEnabled(popupSearchesEnabled_[0]);
    RechercheNom->setEnabled(popupSearchesEnabled_[1]);
    // Every file that could not be read, in one box at the end, one a line.
    ShowKivErrors(this, outcome.errors);
    if (!keywordRun_->FoundAny() && outcome.errors.empty())
        ShowNothingFound(RichEdit1);
}

void TForm1::Button1Click()
{
    const QDate day = DateTimePicker1->date();
    OccupationRequest request{paths_.logFolder, LogDate{day.year(), day.month(), day.day()},
                              ToCp1252(ComboBox1->currentText())};
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
    RoomErrors->Report(PathBytes(paths_.logFolder) + '\n' + DateTimePicker1->date().toString(Qt::ISODate).toStdString(),
                       outcome.errors);
}

// The table prints whichever of the table and its text view is showing.
void TForm1::SpeedButtonprintClick()
{
    ReportErrors(this, [this] { printRun_->Start(PrepareSlotTablePrint(*SlotGrid1, resultsOutput_->NewJobPrinter())); });
}

void TForm1::SpeedButtonperiodeClick()
{
    if (!periodWindow_)
        periodWindow_ = new PeriodWindow(
            {paths_.logFolder, &resultsOutput_->Printer(), printRun_, [this](QDialog& dialog) { return RunModal(dialog); }},
            this);
    TextList rooms = RoomItems();
    if (!rooms.empty() && rooms.back() == kAllRooms)
        rooms.pop_back();
    std::vector<std::string> headerRow;
    for (int column = 0; column < kSlotColumnCount; ++column)
        headerRow.push_back(SlotGrid1->CellText(column, 0));
    periodWindow_->Open(DateTimePicker1->date(), ComboBox1->currentText(), rooms, std::move(headerRow));
}

} // namespace kiv
