#include "app/lists/Unit2.h"
#include "app/lists/Unit3.h"
#include "app/lists/Unit4.h"
#include "app/results/ResultsView.h"
#include "app/window/Unit1.h"
#include "grid/TSlotGrid.h"
#include "logscan/FileIo.h"
#include "qtext/QtCp1252.h"
#include "table/OccupationTable.h"
#include "tests/support/AppTestSupport.h"

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
            expected.push_back("Impossible d'ouvrir le fichier " + kiv::PathForMessage(folders.Exe() / "kiv.ini") + ".");
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
        // The box's edit holds 32767 characters: a longer room is offered as
        // much of it as the edit can take.
        QTest::newRow("room longer than the edit") << QByteArray(40000, 'x') << QStringList{QString(32767, u'x'), "Toutes"};
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

    // More than a megabyte of rooms is read beside the window, then offered
    // as a list read at once is: the typed room stays and no scan starts.
    void aLargeRoomListReachesTheBoxFromBesideTheWindow()
    {
        // Appended piece by piece: GCC 12 misreads "S" + std::string&& as an
        // overlapping copy (-Wrestrict, -Wstringop-overflow) in optimised builds.
        std::string content;
        for (int room = 0; room < 200000; ++room) {
            content += 'S';
            content += std::to_string(room);
            content += "\r\n";
        }
        Folders folders;
        Folders::Write(folders.Config() / "kiv_salles.txt", content);
        Folders::Write(folders.Config() / "kiv_heures.txt", "");
        ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        QSignalSpy read(form.ComboBox1->model(), &QAbstractItemModel::modelReset);
        QSignalSpy typed(form.ComboBox1, &QComboBox::editTextChanged);
        QVERIFY(read.wait(10000));
        QCOMPARE(form.ComboBox1->count(), 200001);
        QCOMPARE(form.ComboBox1->itemText(0), QStringLiteral("S0"));
        QCOMPARE(form.ComboBox1->itemText(199999), QStringLiteral("S199999"));
        QCOMPARE(form.ComboBox1->itemText(200000), QStringLiteral("Toutes"));
        QCOMPARE(form.ComboBox1->currentText(), QStringLiteral("Toutes"));
        QCOMPARE(typed.count(), 0);
        QVERIFY(errors.messages.empty());
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
        const QList<QAction*> menu = form.PopupMenu1->actions();
        QCOMPARE(menu.size(), 8);
        QVERIFY(menu[1]->isSeparator() && menu[3]->isSeparator() && menu[5]->isSeparator());
        QStringList help;
        for (const QLabel* label : form.TabSheet3->findChildren<QLabel*>())
            help.append(label->text());
        // What staff read: every caption and hint, in the window's order.
        const std::pair<QString, const char*> texts[] = {
            {form.PageControl1->tabText(0).remove('&'), "Rechercher dans les logs"},
            {form.PageControl1->tabText(1).remove('&'), "Occupation des salles"},
            {form.PageControl1->tabText(2).remove('&'), "Aide"},
            {form.SpeedButton5->toolTip(), "Enregistrer"},
            {form.SpeedButton4->toolTip(), "Effacer"},
            {form.SpeedButton2->toolTip(), "Imprimer"},
            {form.SpeedButton1->text(), "Rechercher"},
            {form.SpeedButton1->toolTip(), "Recherche \u00e0 partir des mots du fichier KIV.INI"},
            {form.SpeedButton3->text(), "Rechercher avec ces mots -->"},
            {form.SpeedButton6->text(), "Modifier mots recherch\u00e9s par d\u00e9faut"},
            {form.RadioGroup1->title(), "Faire une recherche seulement sur "},
            {form.RadioMois->text(), "Mois"},
            {form.RadioTout->text(), "Tout"},
            {menu[0]->text(), "Copier ctrl + C"},
            {menu[2]->text(), "Recherche sur l'ordinateur"},
            {menu[4]->text(), "Recherche sur l'\u00e9l\u00e8ve"},
            {menu[6]->text(), "Rapport sur l'\u00e9l\u00e8ve\u2026"},
            {menu[7]->text(), "Rapport sur l'ordinateur\u2026"},
            {form.Label1->text().remove('&'), "Date : "},
            {form.Label2->text().remove('&'), "Salle :"},
            {form.DateTimePicker1->displayFormat(), "dd/MM/yyyy"},
            {form.Button1->text(), "Lancer la recherche"},
            {form.Button2->text(), "Tableau <---> Texte"},
            {form.SpeedButtonprint->text(), "Imprimer tableau"},
            {form.SpeedButtonsalle->text(), "D\u00e9finir salles"},
            {form.SpeedButtonheures->text(), "D\u00e9finir heures"},
            {help.join('|'), "Fonctionne en mode adminsta|Onglet : recherche dans les logs|"
                             "clic droit permet  de faire une recherche sur l'utilisateur ou sur l'ordinateur|"
                             "Onglet : Occupation des salles|Vous pouvez d\u00e9finir les heures et les sallles"},
        };
        for (const auto& [shown, expected] : texts)
            QCOMPARE(shown, QString::fromUtf8(expected));
        // The sizes the layout was designed around, and what shows at start.
        const std::pair<int, int> sizes[] = {
            {form.RichEdit1->font().pixelSize(), 13}, {form.SlotGrid1->ColCount(), 8},
            {form.SlotGrid1->RowCount(), 3},          {form.SlotGrid1->FixedRows(), 1},
            {form.SlotGrid1->ColWidths(4), 54},       {form.SlotGrid1->RowHeights(1), 649},
        };
        for (const auto& [size, designed] : sizes)
            QCOMPARE(size, designed);
        QVERIFY(form.ProgressBar1->isHidden() && form.ProgressBar2->isHidden() && form.Button1->isHidden() &&
                form.Memo4->isHidden() && !form.SlotGrid1->isHidden());
        QVERIFY(form.ComboBox1->isEditable());
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
