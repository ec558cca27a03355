// The three tabs of the main window as they were designed: each control at its
// place, named as the handlers and tests know it, in the order the Tab key
// follows. Declarative layout; what the controls do lives in Unit1.cpp.

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
#include "app/window/NothingFoundNotice.h"
#include "app/window/PrinterIcon.h"
#include "app/window/RoomErrorOnce.h"
#include "app/window/TablePrintout.h"
#include "app/window/UserConfigFolder.h"
#include "app/window/WatchErrorBox.h"
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

// A label at its designed place, as wide as its text.
QLabel* NewLabel(const char* name, const QString& text, QWidget* parent, QPoint place)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(place);
    label->adjustSize();
    return label;
}

} // namespace

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
                                   "contiennent un des mots par défaut, et les signale sur le bureau "
                                   "(menu contextuel : avis sans nom d'élève)"));
    // On a screen the class can see, a notice must name nobody: the choice
    // sits with the box, in its context menu (Menu key or Maj+F10).
    CountOnlyNotices = new QAction(Utf8("Avis sans nom : le nombre de lignes seulement"), CheckBoxWatch);
    CountOnlyNotices->setObjectName(QStringLiteral("CountOnlyNotices"));
    CountOnlyNotices->setCheckable(true);
    CheckBoxWatch->addAction(CountOnlyNotices);
    CheckBoxWatch->setContextMenuPolicy(Qt::ActionsContextMenu);

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
    SpeedButtonRapport = NewSpeedButton("SpeedButtonRapport", Utf8("Ra&pport sur un élève..."), Panel1,
                                        QRect(SpeedButton6->x(), LogFolderButton->geometry().bottom() + 11, 193, 22));
    SpeedButtonRapport->setAccessibleName(Utf8("Rapport sur un élève ou un ordinateur"));
    SpeedButtonRapport->setToolTip(Utf8("Les connexions et les mots surveillés d'un élève ou d'un ordinateur, "
                                        "sur un jour ou une période"));

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
    PopupMenu1->addSeparator();
    RapportEleve = PopupMenu1->addAction(Utf8("Rapport sur l'élève…"));
    RapportEleve->setObjectName(QStringLiteral("RapportEleve"));
    RapportOrdi = PopupMenu1->addAction(Utf8("Rapport sur l'ordinateur…"));
    RapportOrdi->setObjectName(QStringLiteral("RapportOrdi"));

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
    setTabOrder(LogFolderButton, SpeedButtonRapport);
    setTabOrder(SpeedButtonRapport, RichEdit1);

    keywordRun_ = new KeywordSearchRun(RichEdit1, ProgressBar1, this);
    connect(keywordRun_, &KeywordSearchRun::Finished, this, &TForm1::KeywordSearchEnded);
    watchRun_ = new DayWatchRun(RichEdit1, [this] { return keywordScanBusy_; }, this);
    auto* watchErrors = new WatchErrorBox(this);
    connect(watchRun_, &DayWatchRun::Failed, this, [this, watchErrors] { watchErrors->Show(watchRun_->TakeErrors()); });
    printRun_ = new PrintJobRun(this);
    tablePrintout_ = new TablePrintout(printRun_, this, RunModal);
    resultsOutput_ = new ResultsOutput(RichEdit1, this, RunModal, HasDefaultPrinter, printRun_,
                                       [this] { return settings_->ReadFiles(); });
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
    DateTimePicker1 = new DayDateEdit(Panel3);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setCalendarPopup(true);
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
    // In the room the design left after "Imprimer tableau": the table into a
    // PDF file, with or without a printer.
    SpeedButtonpdf = NewSpeedButton("SpeedButtonpdf", Utf8("PDF…"), Panel3,
                                    QRect(SpeedButtonprint->geometry().right() + 4, 8, 40, 25));
    SpeedButtonpdf->setToolTip(Utf8("Imprimer tableau dans un fichier PDF…"));
    SpeedButtonpdf->setAccessibleName(Utf8("Imprimer tableau dans un fichier PDF…"));
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
    setTabOrder(SpeedButtonprint, SpeedButtonpdf);
    setTabOrder(SpeedButtonpdf, SpeedButtonsalle);
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

} // namespace kiv
