#include "AppTestSupport.h"
#include "PathText.h"
#include "ResultsView.h"
#include "QtCp1252.h"
#include "OccupationTable.h"
#include "TSlotGrid.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using kiv::TextList;
using kivtest::ErrorCapture;
using kivtest::Folders;
using kivtest::HeaderRow;
using kivtest::kBuiltInWords;

namespace {

const TextList kDesignRooms{"S514", "S302", "S502", "SPROF", "SCDI", "Toutes"};

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void withAllThreeListsInPlace()
    {
        Folders folders;
        Folders::Write(folders.Exe() / "kiv.ini", "jeu\r\n casino \r\n");
        Folders::Write(folders.Config() / "kiv.ini", "other\r\n");
        Folders::Write(folders.Config() / "kiv_salles.txt", "S101\r\nS102\r\n");
        Folders::Write(folders.Config() / "kiv_heures.txt", "08h00\r\n9h20\\nM1\r\n10h30");
        ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());

        QVERIFY(errors.messages.empty());
        QCOMPARE(form.windowTitle(), QStringLiteral("Kiv Logs"));
        // The start-up word list is the one beside the executable.
        QCOMPARE(form.DefaultWords(), (TextList{"jeu", " casino "}));
        QCOMPARE(form.WordFilePath(), folders.Exe() / "kiv.ini");
        QCOMPARE(form.RoomItems(), (TextList{"S101", "S102", "Toutes"}));
        QCOMPARE(form.ComboBox1->currentText(), QStringLiteral("Toutes"));
        QCOMPARE(HeaderRow(form), (std::vector<std::string>{"08h00", "9h20\rM1", "10h30", "11h25", "12h35", "14h00",
                                                            "15h00", "17h00"}));
        QCOMPARE(form.PageControl1->currentWidget(), form.TabSheet1);
        QCOMPARE(form.MonthCalendar1->selectedDate(), QDate::currentDate());
        QCOMPARE(form.DateTimePicker1->date(), QDate::currentDate());
        QCOMPARE(form.RadioGroup1ItemIndex(), 1);
        QVERIFY(!form.SpeedButton3->isEnabled());
        QVERIFY(!form.SearchBusy());
    }

    void withoutAnyListFile()
    {
        Folders folders;
        ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());

        // No kiv.ini beside the executable is silent; each missing list is
        // reported once and the others still load.
        QCOMPARE(errors.messages, (std::vector<std::string>{"Impossible d'ouvrir le fichier kiv_salles.txt.",
                                                            "Impossible d'ouvrir le fichier kiv_heures.txt."}));
        QCOMPARE(form.DefaultWords(), kBuiltInWords);
        QCOMPARE(form.RoomItems(), kDesignRooms);
        QCOMPARE(form.ComboBox1->currentText(), QStringLiteral("Toutes"));
        QCOMPARE(HeaderRow(form), kiv::InitialSlotHeaders());
        QCOMPARE(form.PageControl1->currentWidget(), form.TabSheet1);
        QCOMPARE(form.DateTimePicker1->date(), QDate::currentDate());
    }

    void aFailingListDoesNotStopTheOthers_data()
    {
        QTest::addColumn<bool>("wordsUnreadable");
        QTest::addColumn<bool>("roomsPresent");
        QTest::addColumn<bool>("hoursPresent");
        QTest::newRow("rooms missing, hours loaded") << false << false << true;
        QTest::newRow("hours missing, rooms loaded") << false << true << false;
        QTest::newRow("kiv.ini unreadable, lists loaded") << true << true << true;
    }

    void aFailingListDoesNotStopTheOthers()
    {
        QFETCH(bool, wordsUnreadable);
        QFETCH(bool, roomsPresent);
        QFETCH(bool, hoursPresent);
        Folders folders;
        if (wordsUnreadable)
            Folders::MakeUnreadable(folders.Exe() / "kiv.ini");
        if (roomsPresent)
            Folders::Write(folders.Config() / "kiv_salles.txt", "S101");
        if (hoursPresent)
            Folders::Write(folders.Config() / "kiv_heures.txt", "07h00");
        ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());

        std::vector<std::string> expected;
        if (wordsUnreadable)
            expected.push_back("Impossible d'ouvrir le fichier " + kiv::PathToCp1252(folders.Exe() / "kiv.ini") + ".");
        if (!roomsPresent)
            expected.push_back("Impossible d'ouvrir le fichier kiv_salles.txt.");
        if (!hoursPresent)
            expected.push_back("Impossible d'ouvrir le fichier kiv_heures.txt.");
        QCOMPARE(errors.messages, expected);
        QCOMPARE(form.DefaultWords(), kBuiltInWords);
        QCOMPARE(form.RoomItems(), roomsPresent ? (TextList{"S101", "Toutes"}) : kDesignRooms);
        QCOMPARE(form.SlotGrid1->CellText(0, 0), std::string(hoursPresent ? "07h00" : "8h25"));
        QCOMPARE(form.SlotGrid1->CellText(1, 0), std::string("9h20"));
        QCOMPARE(form.PageControl1->currentWidget(), form.TabSheet1);
        QCOMPARE(form.MonthCalendar1->selectedDate(), QDate::currentDate());
    }

    void roomFileLines_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("final break adds no item") << QByteArray("S101\r\nS102\r\n") << QStringList{"S101", "S102", "Toutes"};
        QTest::newRow("empty line inside is an item") << QByteArray("S101\r\n\r\nS102") << QStringList{"S101", "", "S102", "Toutes"};
        QTest::newRow("Toutes in the file shows twice") << QByteArray("S101\nToutes\n") << QStringList{"S101", "Toutes", "Toutes"};
        QTest::newRow("empty file leaves Toutes alone") << QByteArray("") << QStringList{"Toutes"};
        QTest::newRow("accented room") << QByteArray("Salle \xE9t\xE9\r") << QStringList{QString::fromUtf8("Salle été"), "Toutes"};
    }

    void roomFileLines()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, items);
        Folders folders;
        Folders::Write(folders.Config() / "kiv_salles.txt", content.toStdString());
        Folders::Write(folders.Config() / "kiv_heures.txt", "");
        ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        QVERIFY(errors.messages.empty());
        QStringList shown;
        for (int i = 0; i < form.ComboBox1->count(); ++i)
            shown.append(form.ComboBox1->itemText(i));
        QCOMPARE(shown, items);
        QCOMPARE(form.ComboBox1->currentText(), QStringLiteral("Toutes"));
        // An empty hour file leaves the header row as it was.
        QCOMPARE(HeaderRow(form), kiv::InitialSlotHeaders());
    }

    void emptyWordFileEmptiesTheDefaultList()
    {
        Folders folders;
        Folders::Write(folders.Exe() / "kiv.ini", "");
        ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        QVERIFY(form.DefaultWords().empty());
    }

    void wordFileOnlyInTheConfigurationFolderIsNotReadAtStartUp()
    {
        Folders folders;
        Folders::Write(folders.Config() / "kiv.ini", "jeu");
        ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        QCOMPARE(form.DefaultWords(), kBuiltInWords);
    }

    void startUpStartsNoRoomScan()
    {
        // The room scan listens to these signals; the program's own changes
        // must not raise them.
        Folders folders;
        Folders::Write(folders.Config() / "kiv_salles.txt", "S101");
        ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        QSignalSpy dates(form.DateTimePicker1, &QDateEdit::dateChanged);
        QSignalSpy rooms(form.ComboBox1, &QComboBox::editTextChanged);
        form.CreateListDialogs();
        QCOMPARE(dates.count(), 0);
        QCOMPARE(rooms.count(), 0);
    }

    void controlsCarryTheirFrenchTexts()
    {
        Folders folders;
        ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        QCOMPARE(form.PageControl1->count(), 3);
        QCOMPARE(form.PageControl1->tabText(0).remove('&'), QStringLiteral("Rechercher dans les logs"));
        QCOMPARE(form.PageControl1->tabText(1).remove('&'), QStringLiteral("Occupation des salles"));
        QCOMPARE(form.PageControl1->tabText(2).remove('&'), QStringLiteral("Aide"));
        QCOMPARE(form.SpeedButton5->toolTip(), QStringLiteral("Enregistrer"));
        QCOMPARE(form.SpeedButton4->toolTip(), QStringLiteral("Effacer"));
        QCOMPARE(form.SpeedButton2->toolTip(), QStringLiteral("Imprimer"));
        QCOMPARE(form.SpeedButton1->text(), QStringLiteral("Rechercher"));
        QCOMPARE(form.SpeedButton1->toolTip(), QString::fromUtf8("Recherche à partir des mots du fichier KIV.INI"));
        QCOMPARE(form.SpeedButton3->text(), QStringLiteral("Rechercher avec ces mots -->"));
        QCOMPARE(form.SpeedButton6->text(), QString::fromUtf8("Modifier mots recherchés par défaut"));
        QCOMPARE(form.RadioGroup1->title(), QStringLiteral("Faire une recherche seulement sur "));
        QCOMPARE(form.RadioMois->text(), QStringLiteral("Mois"));
        QCOMPARE(form.RadioTout->text(), QStringLiteral("Tout"));
        const QList<QAction*> menu = form.PopupMenu1->actions();
        QCOMPARE(menu.size(), 5);
        QCOMPARE(menu[0]->text(), QStringLiteral("Copier ctrl + C"));
        QVERIFY(menu[1]->isSeparator());
        QCOMPARE(menu[2]->text(), QStringLiteral("Recherche sur l'ordinateur"));
        QVERIFY(menu[3]->isSeparator());
        QCOMPARE(menu[4]->text(), QString::fromUtf8("Recherche sur l'élève"));
        QCOMPARE(form.RichEdit1->font().pixelSize(), 13);
        QVERIFY(form.ProgressBar1->isHidden());
        QCOMPARE(form.ProgressBar1->maximum(), 100);
        QCOMPARE(form.Label1->text().remove('&'), QStringLiteral("Date : "));
        QCOMPARE(form.Label2->text().remove('&'), QStringLiteral("Salle :"));
        QCOMPARE(form.DateTimePicker1->displayFormat(), QStringLiteral("dd/MM/yyyy"));
        QVERIFY(form.ComboBox1->isEditable());
        QVERIFY(form.Button1->isHidden());
        QCOMPARE(form.Button1->text(), QStringLiteral("Lancer la recherche"));
        QCOMPARE(form.Button2->text(), QStringLiteral("Tableau <---> Texte"));
        QCOMPARE(form.SpeedButtonprint->text(), QStringLiteral("Imprimer tableau"));
        QCOMPARE(form.SpeedButtonsalle->text(), QString::fromUtf8("Définir salles"));
        QCOMPARE(form.SpeedButtonheures->text(), QString::fromUtf8("Définir heures"));
        QVERIFY(form.ProgressBar2->isHidden());
        QVERIFY(form.Memo4->isHidden());
        QVERIFY(!form.SlotGrid1->isHidden());
        QCOMPARE(form.SlotGrid1->ColCount(), 8);
        QCOMPARE(form.SlotGrid1->RowCount(), 3);
        QCOMPARE(form.SlotGrid1->FixedRows(), 1);
        QCOMPARE(form.SlotGrid1->ColWidths(4), 54);
        QCOMPARE(form.SlotGrid1->RowHeights(1), 649);
        QStringList help;
        for (const QLabel* label : form.TabSheet3->findChildren<QLabel*>())
            help.append(label->text());
        QCOMPARE(help, (QStringList{"Fonctionne en mode adminsta", "Onglet : recherche dans les logs",
                                    "clic droit permet  de faire une recherche sur l'utilisateur ou sur l'ordinateur",
                                    "Onglet : Occupation des salles",
                                    QString::fromUtf8("Vous pouvez définir les heures et les sallles")}));
        // Every control the handlers work with can be found by its name.
        for (const char* name : {"PageControl1", "SpeedButton1", "Memo3", "MonthCalendar1", "RichEdit1", "StatusBar1",
                                 "DateTimePicker1", "ComboBox1", "SlotGrid1", "Memo4", "ProgressBar2"})
            QVERIFY2(form.findChild<QWidget*>(QLatin1String(name)) != nullptr, name);
    }

    void memo3EnablesTheTypedWordsSearch()
    {
        Folders folders;
        ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        const struct {
            const char* text;
            bool enabled;
        } steps[] = {{"jeu", true}, {"", false}, {" ", true}, {"\n", true}, {"", false}};
        for (const auto& step : steps) {
            form.Memo3->setPlainText(QString::fromUtf8(step.text));
            QVERIFY2(form.SpeedButton3->isEnabled() == step.enabled, step.text);
        }
        QTest::keyClicks(form.Memo3, "x");
        QVERIFY(form.SpeedButton3->isEnabled());
    }

    void button2SwitchesBetweenTableAndText()
    {
        Folders folders;
        ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        form.show();
        form.PageControl1->setCurrentWidget(form.TabSheet2);
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.SlotGrid1->isVisible());
        QVERIFY(!form.Memo4->isVisible());
        const QRect tableArea = form.SlotGrid1->geometry();
        QTest::mouseClick(form.Button2, Qt::LeftButton);
        QVERIFY(!form.SlotGrid1->isVisible());
        QVERIFY(form.Memo4->isVisible());
        // The text view takes the table's place.
        QTRY_COMPARE(form.Memo4->geometry(), tableArea);
        QTest::mouseClick(form.Button2, Qt::LeftButton);
        QVERIFY(form.SlotGrid1->isVisible());
        QVERIFY(!form.Memo4->isVisible());
    }

    void dialogsAreCreatedHiddenInOrder()
    {
        Folders folders;
        ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        QVERIFY(form.OKBottomDlg == nullptr);
        form.CreateListDialogs();
        QVERIFY(form.OKBottomDlg && form.OKheureDlg1 && form.OKmotDlg1);
        QVERIFY(form.OKBottomDlg->isHidden());
        QVERIFY(form.OKheureDlg1->isHidden());
        QVERIFY(form.OKmotDlg1->isHidden());
        const QList<kiv::TListDialog*> dialogs = form.findChildren<kiv::TListDialog*>();
        QCOMPARE(dialogs.size(), 3);
        QCOMPARE(dialogs[0], form.OKBottomDlg);
        QCOMPARE(dialogs[1], form.OKheureDlg1);
        QCOMPARE(dialogs[2], form.OKmotDlg1);
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
