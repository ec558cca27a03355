#include "app/runs/RoomScanFeed.h"
#include "jobs/OccupationJob.h"
#include "logscan/SessionText.h"
#include "table/OccupationTable.h"
#include "tests/support/AppTestSupport.h"

#include <QAccessible>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLineEdit>
#include "lines/LinesEdit.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <memory>

using kivtest::ErrorCapture;
using kivtest::Folders;

namespace {

const QDate kDay(2026, 12, 1);
const kiv::TextList kHeaders{"08h25", "09h20", "10h30", "11h25", "12h35", "14h00", "15h00", "17h00"};

// A login of pupil n in room at hhmm, and, for every other pupil, a logout.
std::string LoginLines(int pupils, const char* room, int firstHour = 7)
{
    std::string text;
    for (int n = 0; n < pupils; ++n) {
        const int hour = firstHour + n % 12;
        const std::string user = "eleve" + std::to_string(n);
        char time[8];
        std::snprintf(time, sizeof time, "%02d%02d33", hour, (n * 7) % 60);
        text += std::string(room) + "-PC" + std::to_string(n % 30) + ":" + user + ":011226:" + time + ":login:B:C:D:T" +
                std::to_string(n) + "\r\n";
        if (n % 2 == 0)
            text += std::string(room) + "-PC" + std::to_string(n % 30) + ":" + user + ":011226:235959:logout:B:C:D:E\r\n";
    }
    return text;
}

// The window over temporary folders with two-digit slot headers.
struct RoomWindow {
    RoomWindow()
    {
        std::filesystem::create_directories(Logs());
        Folders::Write(folders.Config() / "kiv_salles.txt", "S514\r\nS302\r\nSCDI");
        Folders::Write(folders.Config() / "kiv_heures.txt", "08h25\r\n09h20\r\n10h30\r\n11h25\r\n12h35\r\n14h00\r\n15h00\r\n17h00");
        form = std::make_unique<kiv::TForm1>(folders.Paths());
        form->PageControl1->setCurrentWidget(form->TabSheet2);
        form->show();
    }
    std::filesystem::path Logs() const { return folders.Paths().logFolder; }
    void Write(const std::string& name, const std::string& bytes) const { Folders::Write(Logs() / name, bytes); }

    QStringList TextLines() const { return form->Memo4->toPlainText().split(u'\n', Qt::SkipEmptyParts); }
    // The window shows what the engine finds for the room, and only that.
    void CheckShows(const std::string& room) const
    {
        QStringList lines;
        kiv::CellStore cells;
        kiv::OccupationTable table(cells);
        table.ColumnHeaders().Assign(kHeaders);
        kiv::OccupationEvents events;
        events.onSessions = [&](std::vector<kiv::SessionEntry>&& batch) {
            for (const kiv::SessionEntry& session : batch) {
                lines << QString::fromLatin1(kiv::SessionLine(session));
                table.Place(session);
            }
        };
        kiv::RunOccupationJob({Logs(), {2026, 12, 1}, room}, events);
        QVERIFY(!lines.isEmpty());
        QCOMPARE(TextLines(), lines);
        for (int c = 0; c < 8; ++c)
            QCOMPARE(form->SlotGrid1->CellText(c, 1), table.SessionCell(c));
    }

    Folders folders;
    ErrorCapture errors;
    std::unique_ptr<kiv::TForm1> form;
};

} // namespace

class RoomScanTest : public QObject {
    Q_OBJECT

private slots:
    void aScanFillsTheTextViewAndTheCellsAsTheEngineSays()
    {
        RoomWindow w;
        w.Write("connexr011226.log", LoginLines(40, "S514") + LoginLines(30, "S302", 9) + "S514-PC1:late:011226:173000:login:B:C:D:E\r\n");
        QSignalSpy ended(w.form->RoomFeed, &kiv::RoomScanFeed::Ended);
        bool busyWhileListed = false;
        QObject::connect(w.form->RoomFeed, &kiv::RoomScanFeed::FilesFound, [&] {
            busyWhileListed = w.form->SearchBusy() && w.form->ProgressBar2->isVisible();
        });
        w.form->DateTimePicker1->setFocus();
        w.form->DateTimePicker1->setDate(kDay.addDays(1));
        QTest::keyClick(w.form->DateTimePicker1, Qt::Key_Down); // back to the day, as a user steps it
        QVERIFY(ended.wait());
        QCOMPARE(ended.count(), 1);

        w.CheckShows("Toutes");
        // A screen reader reads the text view as the user sees it.
        QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(w.form->Memo4)->textInterface();
        QVERIFY(text);
        QCOMPARE(text->text(0, text->characterCount()), w.form->Memo4->toPlainText());
        // The last slot takes every login from its header on.
        QVERIFY(w.form->SlotGrid1->CellText(7, 1).find("\rS514PC1 17h30- late E") != std::string::npos);
        QVERIFY(busyWhileListed);
        QVERIFY(w.form->ProgressBar2->isHidden());
        QVERIFY(!w.form->SearchBusy());
        QVERIFY(w.errors.messages.empty());
        QVERIFY(w.form->Memo4->isHidden()); // the table stays the view in front
        QVERIFY(!w.form->Memo4->IsUndoAvailable()); // a scan's lines are no edit to undo
    }

    void userChangesStartOneScanEachAndProgramChangesNone()
    {
        RoomWindow w;
        QSignalSpy started(w.form->RoomFeed, &kiv::RoomScanFeed::Started);
        QComboBox* box = w.form->ComboBox1;
        box->setFocus();
        box->lineEdit()->selectAll();

        QTest::keyClicks(box, "S514");
        QCOMPARE(started.count(), 4); // one per typed character
        QTest::keyClick(box, Qt::Key_Return);
        w.form->DateTimePicker1->setFocus(); // leaving the box
        QCOMPARE(started.count(), 4);
        QTest::keyClick(box, Qt::Key_Down); // the next item, picked with the keyboard
        QCOMPARE(started.count(), 5);
        QCOMPARE(box->currentText(), QStringLiteral("S302"));

        // Through accessibility, as a screen reader sets the room and the day.
        QAccessibleInterface* roomEdit = QAccessible::queryAccessibleInterface(box->lineEdit());
        QVERIFY(roomEdit && roomEdit->editableTextInterface());
        roomEdit->editableTextInterface()->replaceText(0, box->currentText().size(), QStringLiteral("SCDI"));
        QCOMPARE(started.count(), 6);
        QAccessibleInterface* date = QAccessible::queryAccessibleInterface(w.form->DateTimePicker1);
        QVERIFY(date && date->editableTextInterface());
        date->editableTextInterface()->replaceText(0, 10, QStringLiteral("02/12/2026"));
        QCOMPARE(started.count(), 7);
        QCOMPARE(w.form->DateTimePicker1->date(), QDate(2026, 12, 2));
        QCOMPARE(date->textInterface()->text(0, 10), QStringLiteral("02/12/2026"));
        QCOMPARE(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Value), QStringLiteral("SCDI"));
        for (QWidget* control : {static_cast<QWidget*>(w.form->Memo4), static_cast<QWidget*>(w.form->DateTimePicker1),
                                 static_cast<QWidget*>(box)})
            QVERIFY(!QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty());

        // The rooms dialog puts its list in: the text stays and nothing starts.
        w.form->RunModal = [](QDialog&) { return int(QDialog::Accepted); };
        w.form->CreateListDialogs();
        w.form->SpeedButtonsalleClick();
        QCOMPARE(started.count(), 7);
        QCOMPARE(box->currentText(), QStringLiteral("SCDI"));
    }

    void aChangeDuringAScanLeavesOnlyTheLastChangesResults_data()
    {
        QTest::addColumn<bool>("afterFirstRows");
        QTest::newRow("before anything was shown") << false;
        QTest::newRow("after the first rows were shown") << true;
    }
    void aChangeDuringAScanLeavesOnlyTheLastChangesResults()
    {
        QFETCH(bool, afterFirstRows);
        RoomWindow w;
        w.Write("connexr011226.log", LoginLines(60000, "S514") + LoginLines(300, "S302"));
        QSignalSpy ended(w.form->RoomFeed, &kiv::RoomScanFeed::Ended);
        w.form->DateTimePicker1->setDate(kDay.addDays(-1));
        w.form->DateTimePicker1->setDate(kDay);
        if (afterFirstRows)
            QVERIFY(QSignalSpy(w.form->Memo4, &kiv::LinesEdit::textChanged).wait());
        w.form->Button2Click(); // the text view in front while it fills
        w.form->ComboBox1->setFocus();
        w.form->ComboBox1->lineEdit()->selectAll();
        QTest::keyClicks(w.form->ComboBox1, "S302");
        QVERIFY(ended.wait());
        QCOMPARE(ended.count(), 1);
        QVERIFY(!ended.at(0).at(0).value<kiv::ScanOutcome>().cancelled);
        w.CheckShows("S302");
        QVERIFY(w.form->SlotGrid1->isHidden() && !w.form->Memo4->isHidden());
    }

    void unreadableLogsAreListedInOneBoxAfterTheRest()
    {
        RoomWindow w;
        w.Write("aconnexr011226.log", "S514-PC1:a:011226:080000:login\r\n\t\tindented too deep\r\n");
        w.Write("bconnexr011226.log", LoginLines(10, "S514"));
        w.Write("cconnexr011226.log", "x\r\n\t\ty\r\n");
        // What the user sees behind the box: everything read, the bar gone.
        std::vector<std::string> boxes;
        qsizetype linesBehind = 0;
        kiv::ErrorBoxHook = [&](QWidget*, const std::string& text) {
            boxes.push_back(text);
            linesBehind = w.TextLines().size();
            QVERIFY(w.form->ProgressBar2->isHidden());
        };
        QSignalSpy ended(w.form->RoomFeed, &kiv::RoomScanFeed::Ended);
        w.form->DateTimePicker1->setDate(kDay.addDays(1));
        w.form->DateTimePicker1->setDate(kDay);
        QVERIFY(ended.wait());
        QCOMPARE(boxes.size(), std::size_t(1));
        const QStringList shown = QString::fromLatin1(boxes[0]).split(u'\n');
        QCOMPARE(shown, (QStringList{QString::fromLatin1("Niveau incorrect (2) pour l'\xE9l\xE9ment \"indented too deep\""),
                                     QString::fromLatin1("Niveau incorrect (2) pour l'\xE9l\xE9ment \"y\"")}));
        QCOMPARE(linesBehind, 11); // the lines before a refused one are scanned
        QVERIFY(!w.form->SearchBusy());
    }

    // A share that is not mounted: every letter starts a scan that fails the
    // same way. The letters all reach the room box, and the error is shown
    // once the typing is over, once, and again only for a new date.
    void aMissingFolderLetsTheRoomBeTypedAndSaysSoOnce()
    {
        RoomWindow w;
        std::filesystem::remove_all(w.Logs());
        std::vector<std::string> boxes;
        kiv::ErrorBoxHook = [&](QWidget*, const std::string& text) { boxes.push_back(text); };
        QSignalSpy ended(w.form->RoomFeed, &kiv::RoomScanFeed::Ended);
        w.form->activateWindow();
        w.form->ComboBox1->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        w.form->ComboBox1->lineEdit()->selectAll();
        for (const char* letter : {"S", "5", "1", "4"}) {
            QTest::keyClicks(w.form->ComboBox1->lineEdit(), QString::fromLatin1(letter));
            QVERIFY(ended.wait());
            QVERIFY(boxes.empty()); // nothing over the typing
        }
        QCOMPARE(w.form->ComboBox1->currentText(), QStringLiteral("S514"));
        w.form->Button2->setFocus(); // the focus leaves the room box
        QCoreApplication::processEvents();
        QCOMPARE(boxes.size(), std::size_t(1));
        QVERIFY(QString::fromLatin1(boxes[0]).startsWith(QStringLiteral("Impossible d'ouvrir le dossier ")));

        const std::vector<std::pair<std::function<void()>, std::size_t>> changes{
            {[&] { w.form->ComboBox1->setEditText(QStringLiteral("S302")); }, 1}, // same folder, date and error
            {[&] { w.form->DateTimePicker1->setDate(kDay.addDays(3)); }, 2},      // a new date
        };
        for (const auto& [change, expected] : changes) {
            change();
            QVERIFY(ended.wait());
            QCOMPARE(boxes.size(), expected);
        }
    }

    // A room with a character no log can hold is not searched with "?" in
    // its place: it finds nothing, and says which character, once the
    // typing is done.
    void aTypedRoomThatNoLogCanHoldFindsNothingAndSaysWhy()
    {
        RoomWindow w;
        w.Write("connexr011226.log", LoginLines(4, "S514") + LoginLines(3, "?ROOM", 9));
        w.form->DateTimePicker1->setDate(kDay);
        QSignalSpy ended(w.form->RoomFeed, &kiv::RoomScanFeed::Ended);
        w.form->ComboBox1->setEditText(QStringLiteral("S514"));
        QVERIFY(ended.wait());
        QVERIFY(!w.TextLines().isEmpty());
        w.errors.messages.clear();
        w.form->ComboBox1->setEditText(QStringLiteral("\u03A9ROOM"));
        QVERIFY(ended.wait());
        QVERIFY(w.TextLines().isEmpty());
        for (int c = 0; c < 8; ++c)
            QCOMPARE(w.form->SlotGrid1->CellText(c, 1), std::string());
        QVERIFY(w.form->ProgressBar2->isHidden() && !w.form->SearchBusy());
        QCOMPARE(w.errors.messages,
                 std::vector<std::string>{"La salle \xAB ?ROOM \xBB contient un caract\xE8re (U+03A9) que les logs ne "
                                          "peuvent pas contenir."});
    }

    void closingTheWindowDuringAScanCancelsItAndWaits()
    {
        RoomWindow w;
        w.Write("connexr011226.log", LoginLines(60000, "S514"));
        QSignalSpy found(w.form->RoomFeed, &kiv::RoomScanFeed::FilesFound);
        QSignalSpy ended(w.form->RoomFeed, &kiv::RoomScanFeed::Ended);
        w.form->DateTimePicker1->setDate(kDay.addDays(1));
        w.form->DateTimePicker1->setDate(kDay);
        QVERIFY(found.wait());
        QVERIFY(w.form->close());
        QVERIFY(!w.form->RoomFeed->Running());
        const int shown = w.TextLines().size();
        QCoreApplication::processEvents();
        QCOMPARE(w.TextLines().size(), shown); // nothing arrives after the close
        QCOMPARE(ended.count(), 0);
    }
};

QTEST_MAIN(RoomScanTest)
#include "RoomScanTest.moc"
