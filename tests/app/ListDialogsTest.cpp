#include "app/lists/Unit2.h"
#include "app/lists/Unit3.h"
#include "app/lists/Unit4.h"
#include "app/window/Unit1.h"
#include "grid/TSlotGrid.h"
#include "qtext/QtCp1252.h"
#include "tests/support/AppTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

using kiv::TextList;
Q_DECLARE_METATYPE(TextList)
using kivtest::ErrorCapture;
using kivtest::Folders;
using kivtest::HeaderRow;
using kivtest::kBuiltInWords;

namespace {


// A window with its dialogs over temporary folders, whose dialogs are run by
// a script instead of a modal loop.
struct Window {
    explicit Window(const Folders& folders)
        : form(std::make_unique<kiv::TForm1>(WithLogFolder(folders)))
    {
        form->CreateListDialogs();
        form->RunModal = [this](QDialog& dialog) {
            auto& list = static_cast<kiv::TListDialog&>(dialog);
            ++runs;
            if (!kivtest::WaitForList(list))
                return -1;
            shown = list.Memo1->toPlainText();
            if (!typed.isNull())
                kivtest::TypeOver(*list.Memo1, typed);
            if (pressOk)
                return kivtest::PressOk(list);
            list.CancelBtn->click();
            return dialog.result();
        };
    }

    // The log folder exists: while a list comes in, the window's own work
    // on the logs runs too, and must find nothing to report.
    static kiv::StartupPaths WithLogFolder(const Folders& folders)
    {
        std::filesystem::create_directories(folders.Paths().logFolder);
        return folders.Paths();
    }

    std::unique_ptr<kiv::TForm1> form;
    int runs = 0;
    QString shown; // what the dialog opened with
    QString typed; // what the user leaves in the text box (null: unchanged)
    bool pressOk = true;
};

} // namespace

class ListDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void roomsOkWritesTheFileAndReplacesTheRooms()
    {
        Folders folders;
        Folders::Write(folders.Config() / "kiv_salles.txt", "S514\r\nS302\r\n");
        ErrorCapture errors;
        Window window(folders);
        errors.messages.clear();
        window.form->ComboBox1->setEditText(QStringLiteral("S5"));
        QSignalSpy edits(window.form->ComboBox1, &QComboBox::editTextChanged);
        window.typed = QStringLiteral("S101\nS102");
        window.form->SpeedButtonsalle->click();

        QCOMPARE(window.runs, 1);
        QCOMPARE(window.shown, QStringLiteral("S514\nS302"));
        QCOMPARE(Folders::Read(folders.Config() / "kiv_salles.txt"), std::string("S101\r\nS102"));
        QCOMPARE(window.form->RoomItems(), (TextList{"S101", "S102", "Toutes"}));
        // The edit text stays and no room scan is started.
        QCOMPARE(window.form->ComboBox1->currentText(), QStringLiteral("S5"));
        QCOMPARE(edits.count(), 0);
        QVERIFY(errors.messages.empty());
    }

    void wordsOkKeepsSpacesAroundAnEntry()
    {
        Folders folders;
        Folders::Write(folders.Config() / "kiv.ini", "jeu");
        ErrorCapture errors;
        Window window(folders);
        errors.messages.clear();
        window.typed = QStringLiteral("jeu\n nu ");
        window.form->SpeedButton6->click();
        QCOMPARE(window.shown, QStringLiteral("jeu"));
        QCOMPARE(Folders::Read(folders.Config() / "kiv.ini"), std::string("jeu\r\n nu "));
        QCOMPARE(window.form->DefaultWords(), (TextList{"jeu", " nu "}));
        QVERIFY(errors.messages.empty());
    }

    void hoursOkReloadsAllTenLinesAsHeaders()
    {
        Folders folders;
        Folders::Write(folders.Config() / "kiv_heures.txt", "08h00");
        ErrorCapture errors;
        Window window(folders);
        window.typed = QStringLiteral("a\nb\nc\nd\ne\nf\ng\nh\ni\nj");
        window.form->SpeedButtonheures->click();
        QCOMPARE(Folders::Read(folders.Config() / "kiv_heures.txt"), std::string("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\nj"));
        QCOMPARE(window.form->SlotGrid1->ColumnHeaders().Count(), std::size_t{10});
        QCOMPARE(HeaderRow(*window.form), (std::vector<std::string>{"a", "b", "c", "d", "e", "f", "g", "h"}));
        QCOMPARE(window.form->SlotGrid1->CellText(8, 0), std::string());
    }

    void cancelChangesNothing()
    {
        Folders folders;
        Folders::Write(folders.Config() / "kiv_salles.txt", "S514");
        Folders::Write(folders.Config() / "kiv_heures.txt", "08h00");
        Folders::Write(folders.Config() / "kiv.ini", "jeu");
        ErrorCapture errors;
        Window window(folders);
        const TextList rooms = window.form->RoomItems();
        const auto headers = HeaderRow(*window.form);
        const TextList words = window.form->DefaultWords();
        window.typed = QStringLiteral("changed");
        window.pressOk = false;
        window.form->SpeedButtonsalle->click();
        window.form->SpeedButtonheures->click();
        window.form->SpeedButton6->click();
        QCOMPARE(window.runs, 3);
        QCOMPARE(Folders::Read(folders.Config() / "kiv_salles.txt"), std::string("S514"));
        QCOMPARE(Folders::Read(folders.Config() / "kiv_heures.txt"), std::string("08h00"));
        QCOMPARE(Folders::Read(folders.Config() / "kiv.ini"), std::string("jeu"));
        QCOMPARE(window.form->RoomItems(), rooms);
        QCOMPARE(HeaderRow(*window.form), headers);
        QCOMPARE(window.form->DefaultWords(), words);
        // Reopening shows the file again, not the abandoned edit.
        window.typed = QString();
        window.form->SpeedButtonsalle->click();
        QCOMPARE(window.shown, QStringLiteral("S514"));
        QVERIFY(errors.messages.empty());
    }

    void missingFileOpensWithTheListInUseAndOkCreatesIt()
    {
        Folders folders;
        ErrorCapture errors; // start-up reports the two missing lists
        Window window(folders);
        errors.messages.clear();

        window.form->SpeedButton6->click();
        QCOMPARE(window.shown, QStringLiteral("sexe\nsexy\nenculer\nbites\nseins nu\nfemme nu\nfemmes nu"));
        QCOMPARE(Folders::Read(folders.Config() / "kiv.ini"),
                 std::string("sexe\r\nsexy\r\nenculer\r\nbites\r\nseins nu\r\nfemme nu\r\nfemmes nu"));
        QCOMPARE(window.form->DefaultWords(), kBuiltInWords);

        // The design-time rooms, without the entry for all rooms.
        window.form->SpeedButtonsalle->click();
        QCOMPARE(window.shown, QStringLiteral("S514\nS302\nS502\nSPROF\nSCDI"));
        QCOMPARE(Folders::Read(folders.Config() / "kiv_salles.txt"), std::string("S514\r\nS302\r\nS502\r\nSPROF\r\nSCDI"));
        QCOMPARE(window.form->RoomItems(), (TextList{"S514", "S302", "S502", "SPROF", "SCDI", "Toutes"}));

        window.form->SpeedButtonheures->click();
        QCOMPARE(window.shown, QStringLiteral("8h25\n9h20\n10h30\n11h25\n12h35\n14h00\n15h00\n17h00"));
        QVERIFY(std::filesystem::exists(folders.Config() / "kiv_heures.txt"));
        QVERIFY(errors.messages.empty());
    }

    void roomListOfAFileEndingWithToutesKeepsIt()
    {
        Folders folders;
        Folders::Write(folders.Config() / "kiv_salles.txt", "S1\r\nToutes");
        ErrorCapture errors;
        Window window(folders);
        std::filesystem::remove(folders.Config() / "kiv_salles.txt");
        window.form->SpeedButtonsalle->click();
        QCOMPARE(window.shown, QStringLiteral("S1\nToutes"));
        QCOMPARE(window.form->RoomItems(), (TextList{"S1", "Toutes", "Toutes"}));
    }

    void unreadableFileIsReportedAndTheDialogDoesNotOpen_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("rooms") << QStringLiteral("kiv_salles.txt");
        QTest::newRow("hours") << QStringLiteral("kiv_heures.txt");
        QTest::newRow("words") << QStringLiteral("kiv.ini");
    }

    void unreadableFileIsReportedAndTheDialogDoesNotOpen()
    {
        QFETCH(QString, file);
        Folders folders;
        Folders::MakeUnreadable(folders.Config() / file.toStdString());
        ErrorCapture errors;
        Window window(folders);
        errors.messages.clear();
        const TextList rooms = window.form->RoomItems();
        if (file == "kiv_salles.txt")
            window.form->SpeedButtonsalle->click();
        else if (file == "kiv_heures.txt")
            window.form->SpeedButtonheures->click();
        else
            window.form->SpeedButton6->click();
        QCOMPARE(window.runs, 0);
        QCOMPARE(errors.messages, std::vector<std::string>{"Impossible d'ouvrir le fichier " + file.toStdString() + "."});
        QCOMPARE(window.form->RoomItems(), rooms);
    }

    void writeFailureIsReportedAndTheDialogStillEndsWithOk()
    {
        Folders folders;
        kiv::StartupPaths paths = folders.Paths();
        paths.configFolder /= "missing"; // no folder: nothing can be created in it
        ErrorCapture errors;
        kiv::TForm1 form(paths);
        form.CreateListDialogs();
        errors.messages.clear();
        QString typed = QStringLiteral("S101");
        form.RunModal = [&](QDialog& dialog) {
            auto& list = static_cast<kiv::TListDialog&>(dialog);
            if (!kivtest::WaitForList(list))
                return -1;
            kivtest::TypeOver(*list.Memo1, typed);
            return kivtest::PressOk(list);
        };

        form.SpeedButtonsalle->click();
        QCOMPARE(errors.messages, std::vector<std::string>{"Impossible de cr\xE9" "er le fichier kiv_salles.txt."});
        // The rooms follow the dialog's text all the same.
        QCOMPARE(form.RoomItems(), (TextList{"S101", "Toutes"}));

        errors.messages.clear();
        typed = QStringLiteral("jeu");
        form.SpeedButton6->click();
        QCOMPARE(errors.messages, std::vector<std::string>{"Impossible de cr\xE9" "er le fichier kiv.ini."});
        QCOMPARE(form.DefaultWords(), kBuiltInWords);

        errors.messages.clear();
        typed = QStringLiteral("07h00");
        form.SpeedButtonheures->click();
        QCOMPARE(errors.messages, std::vector<std::string>{"Impossible de cr\xE9" "er le fichier kiv_heures.txt."});
        QCOMPARE(HeaderRow(form)[0], std::string("8h25"));
    }

    void textBoxBecomesWindows1252Bytes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("accents and euro") << QString::fromUtf8("élève\n€") << QByteArray("\xE9l\xE8ve\r\n\x80");
        QTest::newRow("no-break space kept") << QString::fromUtf8("a\u00A0b") << QByteArray("a\xA0" "b");
        QTest::newRow("outside the code page") << QString::fromUtf8("a\u0141") << QByteArray("a?");
        QTest::newRow("emoji, two UTF-16 units") << QString::fromUtf8("a\U0001F600b") << QByteArray("a?b");
        QTest::newRow("final break kept") << QStringLiteral("S1\n") << QByteArray("S1\r\n");
        QTest::newRow("forced line break") << QString::fromUtf8("S1\u2028S2") << QByteArray("S1\r\nS2");
        QTest::newRow("empty") << QString() << QByteArray();
    }

    void textBoxBecomesWindows1252Bytes()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, bytes);
        Folders folders;
        kiv::TOKBottomDlg dialog(folders.Config());
        kivtest::TypeOver(*dialog.Memo1, typed);
        QCOMPARE(kivtest::PressOk(dialog), int(QDialog::Accepted));
        QCOMPARE(Folders::Read(folders.Config() / "kiv_salles.txt"), bytes.toStdString());
        // Loading the lines back shows them as they were typed.
        dialog.SetLines(dialog.MemoLines());
        QCOMPARE(dialog.MemoBytes(), bytes.endsWith("\r\n") ? bytes.chopped(2).toStdString() : bytes.toStdString());
    }

    // OK pressed while the list still comes in waits for all of it.
    void okWritesTheFileAsItWasRead_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("empty file") << QByteArray() << QByteArray();
        QTest::newRow("one line") << QByteArray("S514") << QByteArray("S514");
        QTest::newRow("lines") << QByteArray("S514\r\nS\xE9minaire\x81") << QByteArray("S514\r\nS\xE9minaire\x81");
        QTest::newRow("trailing CR LF") << QByteArray("S514\r\nS302\r\n") << QByteArray("S514\r\nS302");
        QTest::newRow("lone LF") << QByteArray("S514\nS302") << QByteArray("S514\r\nS302");
        QTest::newRow("empty entries") << QByteArray("\r\nS1\r\n\r\n\r\n") << QByteArray("\r\nS1\r\n\r\n");
        const QByteArray megabyte(1 << 20, 'x');
        QTest::newRow("line of 1 MB") << megabyte << megabyte;
        QTest::newRow("1 MB line between rooms") << "S1\r\n" + megabyte + "\r\nS2" << "S1\r\n" + megabyte + "\r\nS2";
        // The file is read a megabyte at a time: a line break across the cut.
        const QByteArray cut((1 << 20) - 1, 'x');
        QTest::newRow("CR LF across a megabyte") << cut + "\r\nS2" << cut + "\r\nS2";
        QTest::newRow("lone CR at a megabyte") << cut + "\rS2" << cut + "\r\nS2";
        QTest::newRow("NUL at the end") << QByteArray("S1\r\nS2\0", 7) << QByteArray("S1\r\nS2");
        // Unedited, what follows the NUL is kept (the dialog warned of it).
        QTest::newRow("NUL ends the list") << QByteArray("S1\r\nS2\0S3", 9) << QByteArray("S1\r\nS2\0S3", 9);
        QByteArray many = QByteArray("S514\r\n").repeated(40000);
        many.chop(2);
        QTest::newRow("40,000 rooms") << many << many;
    }

    void okWritesTheFileAsItWasRead()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, written);
        Folders folders;
        Folders::Write(folders.Config() / "kiv_salles.txt", file.toStdString());
        ErrorCapture errors;
        kiv::TOKBottomDlg dialog(folders.Config());
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        dialog.LoadFile();
        dialog.OKBtn->click();
        QVERIFY(accepted.count() == 1 || accepted.wait(10000));
        QCOMPARE(Folders::Read(folders.Config() / "kiv_salles.txt"), written.toStdString());
        // Shown as its entries: no empty line added after the last one.
        QCOMPARE(dialog.Memo1->Store().LineCount(), std::max<qsizetype>(1, written.count("\r\n") + 1));
        // The window is handed the entries as the file now gives them.
        const auto taken = dialog.TakeWritten();
        QVERIFY(taken && taken->saved);
        QCOMPARE(taken->lines, kiv::SplitTextList(written.toStdString()));
    }

    // A list ends at its first NUL byte. When more follows, the dialog says so
    // on opening, and OK without an edit leaves the file whole: the window
    // takes the entries before the NUL either way.
    void aListCutByANulByteIsWrittenOnlyOnceEdited_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("typed"); // null: unchanged
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QString>("warning"); // null: none
        QTest::addColumn<TextList>("rooms");
        const QByteArray rooms("S101\r\nS102\0S103\r\nS104\r\nS105\r\nS106\r\nSalle info\r\n", 47);
        const QString warning =
            QStringLiteral("kiv_salles.txt : la liste s'arr\u00EAte \u00E0 l'octet nul de la position %1 ; ce qui suit "
                           "sera perdu si vous validez.");
        QTest::newRow("unedited") << rooms << QString() << rooms << warning.arg(11) << TextList{"S101", "S102", "Toutes"};
        QTest::newRow("edited") << rooms << QStringLiteral("S101\nS103") << QByteArray("S101\r\nS103")
                                << warning.arg(11) << TextList{"S101", "S103", "Toutes"};
        // The list is read a megabyte at a time: the position counts every piece.
        const QByteArray big = QByteArray((1 << 20) - 1, 'x') + "\r\nS2" + QByteArray(1, '\0') + "S3";
        QTest::newRow("in the second megabyte") << big << QString() << big << warning.arg((1 << 20) + 4)
                                                << TextList{QByteArray((1 << 20) - 1, 'x').toStdString(), "S2", "Toutes"};
        QTest::newRow("nothing after it") << QByteArray("S1\0", 3) << QString() << QByteArray("S1") << QString()
                                          << TextList{"S1", "Toutes"};
    }

    void aListCutByANulByteIsWrittenOnlyOnceEdited()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, typed);
        QFETCH(QByteArray, written);
        QFETCH(QString, warning);
        QFETCH(TextList, rooms);
        Folders folders;
        Folders::Write(folders.Config() / "kiv_salles.txt", file.toStdString());
        ErrorCapture errors;
        Window window(folders);
        errors.messages.clear();
        window.typed = typed;
        window.form->SpeedButtonsalle->click();
        QCOMPARE(window.runs, 1);
        std::vector<std::string> expected;
        if (!warning.isNull())
            expected.push_back(kiv::ToCp1252(warning));
        QCOMPARE(errors.messages, expected);
        QCOMPARE(Folders::Read(folders.Config() / "kiv_salles.txt"), written.toStdString());
        QCOMPARE(window.form->RoomItems(), rooms);
    }

    // The list is written beside the window: until it is, the dialog cannot
    // be ended nor the list changed, and the window takes nothing.
    void nothingEndsTheDialogWhileItsListIsWritten()
    {
        Folders folders;
        kiv::TOKBottomDlg dialog(folders.Config());
        kivtest::TypeOver(*dialog.Memo1, QStringLiteral("S101\nS102"));
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.OKBtn->click();
        // The end of the write comes through the event loop, not yet run.
        QVERIFY(dialog.Saving());
        dialog.reject();
        dialog.CancelBtn->click();
        QVERIFY(!dialog.Memo1->isEnabled() && !dialog.OKBtn->isEnabled());
        QVERIFY(finished.isEmpty());
        QVERIFY(!dialog.TakeWritten());
        QVERIFY(finished.wait(10000));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialog.Memo1->isEnabled());
        QCOMPARE(Folders::Read(folders.Config() / "kiv_salles.txt"), std::string("S101\r\nS102"));
        QCOMPARE(dialog.TakeWritten()->lines, (TextList{"S101", "S102"}));
    }

    void dialogsAreLaidOutAsDesigned()
    {
        Folders folders;
        kiv::TOKBottomDlg rooms(folders.Config());
        kiv::TOKheureDlg1 hours(folders.Config());
        kiv::TOKmotDlg1 words(folders.Config());
        QCOMPARE(rooms.windowTitle(), QStringLiteral("Saisir les classes"));
        QCOMPARE(hours.windowTitle(), QStringLiteral("Saisir heures"));
        QCOMPARE(words.windowTitle(), QString::fromUtf8("Modifier les mots recherchés par défaut"));
        QCOMPARE(rooms.size(), QSize(313, 214));
        QCOMPARE(hours.size(), QSize(313, 249));
        QCOMPARE(words.size(), QSize(312, 464));
        for (kiv::TListDialog* dialog : {static_cast<kiv::TListDialog*>(&rooms), static_cast<kiv::TListDialog*>(&hours),
                                         static_cast<kiv::TListDialog*>(&words)}) {
            QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
            QCOMPARE(dialog->OKBtn->text(), QStringLiteral("OK"));
            QCOMPARE(dialog->CancelBtn->text(), QStringLiteral("Annuler"));
        }
        QCOMPARE(rooms.OKBtn->toolTip(), QString::fromUtf8("Permet de définir les salles"));
        QVERIFY(rooms.OKBtn->isDefault());
        QVERIFY(hours.OKBtn->isDefault());
        QVERIFY(!words.OKBtn->isDefault());
        QCOMPARE(hours.Label1->text(), QStringLiteral("format : **h**     exemple   08h00   ou   9h20"));
        QCOMPARE(hours.Label2->text(), QStringLiteral("8 lignes seulement"));
        QCOMPARE(words.Label1->text(), QString::fromUtf8("les mots acceptent les espaces avant , après  , dedans"));
        QCOMPARE(rooms.FileName(), std::string("kiv_salles.txt"));
        QCOMPARE(hours.FileName(), std::string("kiv_heures.txt"));
        QCOMPARE(words.FileName(), std::string("kiv.ini"));
    }

    // The real modal loop, driven from inside it.
    void modalDialogsTakeFocusEnterEscAndTheCloseBox()
    {
        Folders folders;
        Folders::Write(folders.Config() / "kiv_salles.txt", "S514");
        Folders::Write(folders.Config() / "kiv.ini", "jeu");
        ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        form.CreateListDialogs();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        QWidget* focused = nullptr;
        const auto whenModal = [&](std::function<void(QWidget*)> act) {
            QTimer::singleShot(0, [&, act] {
                QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
                QWidget* dialog = QApplication::activeModalWidget();
                QTRY_VERIFY(dialog->isAncestorOf(QApplication::focusWidget()));
                focused = QApplication::focusWidget();
                act(dialog);
            });
        };

        // Rooms: OK has the focus, Enter confirms.
        whenModal([&](QWidget* dialog) {
            QVERIFY(kivtest::WaitForList(*form.OKBottomDlg));
            kivtest::TypeOver(*form.OKBottomDlg->Memo1, QStringLiteral("S7"));
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        form.SpeedButtonsalle->click();
        QCOMPARE(focused, static_cast<QWidget*>(form.OKBottomDlg->OKBtn));
        QCOMPARE(Folders::Read(folders.Config() / "kiv_salles.txt"), std::string("S7"));
        QCOMPARE(form.RoomItems(), (TextList{"S7", "Toutes"}));

        // Words: the text box has the focus, Enter is a new line, Esc cancels.
        whenModal([&](QWidget* dialog) {
            QTest::keyClicks(QApplication::focusWidget(), "x");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QVERIFY(dialog->isVisible());
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        form.SpeedButton6->click();
        QCOMPARE(focused, static_cast<QWidget*>(form.OKmotDlg1->Memo1));
        QCOMPARE(Folders::Read(folders.Config() / "kiv.ini"), std::string("jeu"));
        QCOMPARE(form.DefaultWords(), kBuiltInWords);

        // Hours: the close box cancels.
        whenModal([&](QWidget* dialog) {
            kivtest::TypeOver(*form.OKheureDlg1->Memo1, QStringLiteral("07h00"));
            dialog->close();
        });
        form.SpeedButtonheures->click();
        QCOMPARE(focused, static_cast<QWidget*>(form.OKheureDlg1->OKBtn));
        QVERIFY(!std::filesystem::exists(folders.Config() / "kiv_heures.txt"));
        QCOMPARE(HeaderRow(form)[0], std::string("8h25"));
    }
};

QTEST_MAIN(ListDialogsTest)
#include "ListDialogsTest.moc"
