// The room tab's day box typed as a date box of the desktop: digits replace
// the part clicked, the year takes four digits, Ctrl+A and a whole date
// works, Tab leaves the box. Each change of the day scans once; Enter scans
// again.

#include "app/runs/RoomScanFeed.h"
#include "app/window/DayDateEdit.h"
#include "tests/support/AppTestSupport.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using kivtest::Folders;

namespace {

// Where a click puts the caret before the character at position.
QPoint PointBefore(QLineEdit& edit, int position)
{
    for (int x = 0; x < edit.width(); ++x)
        if (edit.cursorPositionAt(QPoint(x, edit.height() / 2)) == position + 1)
            return QPoint(x - 1, edit.height() / 2);
    return QPoint();
}

} // namespace

class DayDateBoxTest : public QObject {
    Q_OBJECT

private slots:
    void typedAsInAnyDateBox_data()
    {
        QTest::addColumn<int>("click"); // the character clicked; -1: Ctrl+A, -2: the box reached by Tab
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("scans"); // started by the day box
        QTest::addColumn<QString>("room");  // what the room box holds afterwards
        const QDate start(2026, 12, 7);
        QTest::newRow("the day clicked, 15 typed") << 1 << "15" << QDate(2026, 12, 15) << 1 << "";
        QTest::newRow("the day clicked at its start") << 0 << "15" << QDate(2026, 12, 15) << 1 << "";
        QTest::newRow("the month clicked, 3 typed then left") << 4 << "3\t" << QDate(2026, 3, 7) << 1 << "";
        QTest::newRow("the year clicked, four digits") << 8 << "2025" << QDate(2025, 12, 7) << 1 << "";
        QTest::newRow("the year clicked, two digits then left") << 8 << "03\t" << start << 0 << "";
        QTest::newRow("Ctrl+A and a whole date") << -1 << "01/12/2026" << QDate(2026, 12, 1) << 1 << "";
        QTest::newRow("Ctrl+A and its digits alone") << -1 << "24122025" << QDate(2025, 12, 24) << 2 << "";
        QTest::newRow("a day of 4 or more takes one digit") << 1 << "9/1\t" << QDate(2026, 1, 9) << 2 << "";
        QTest::newRow("the 31st of a month of 30 is its last day") << -1 << "31/11" << QDate(2026, 11, 30) << 2 << "";
        QTest::newRow("Tab leaves the box for the room") << -2 << "\tS514" << start << 0 << "S514";
        QTest::newRow("Enter scans the day again") << 1 << "\r" << start << 1 << "";
        QTest::newRow("a day 00 is no day") << 1 << "00" << start << 0 << "";
    }
    void typedAsInAnyDateBox()
    {
        QFETCH(int, click);
        QFETCH(QString, typed);
        QFETCH(QDate, date);
        QFETCH(int, scans);
        QFETCH(QString, room);
        Folders folders;
        kivtest::ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        form.PageControl1->setCurrentWidget(form.TabSheet2);
        {
            const QSignalBlocker quiet(form.DateTimePicker1);
            form.DateTimePicker1->setDate(QDate(2026, 12, 7));
        }
        {
            const QSignalBlocker quiet(form.ComboBox1);
            form.ComboBox1->setEditText(QString());
        }
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QSignalSpy started(form.RoomFeed, &kiv::RoomScanFeed::Started);
        QLineEdit* edit = form.DateTimePicker1->findChild<QLineEdit*>();
        QVERIFY(edit);
        if (click == -2) {
            form.DateTimePicker1->setFocus(Qt::TabFocusReason);
        } else {
            form.DateTimePicker1->setFocus(Qt::OtherFocusReason);
            if (click == -1) {
                QTest::keyClick(form.DateTimePicker1, Qt::Key_A, Qt::ControlModifier);
            } else {
                const QPoint at = PointBefore(*edit, click);
                QVERIFY(!at.isNull());
                QTest::mouseClick(edit, Qt::LeftButton, {}, at);
                QCOMPARE(edit->cursorPosition(), click);
            }
        }
        for (const QChar c : typed) {
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.DateTimePicker1;
            if (c == u'\t')
                QTest::keyClick(target, Qt::Key_Tab);
            else if (c == u'\r')
                QTest::keyClick(target, Qt::Key_Return);
            else
                QTest::keyClicks(target, QString(c));
        }
        QCOMPARE(form.DateTimePicker1->date(), date);
        QCOMPARE(edit->text(), date.toString(QStringLiteral("dd/MM/yyyy")).left(edit->text().size()));
        QCOMPARE(started.count(), scans + room.size()); // each typed letter of a room scans too
        QCOMPARE(form.ComboBox1->currentText(), room);
        if (typed.endsWith(u'\t'))
            QVERIFY(!form.DateTimePicker1->hasFocus());
    }

    // Once the box is left, it shows its date whole, whatever was typed.
    void leavingTheBoxShowsTheDateWhole()
    {
        Folders folders;
        kivtest::ErrorCapture errors;
        kiv::TForm1 form(folders.Paths());
        form.PageControl1->setCurrentWidget(form.TabSheet2);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.DateTimePicker1->setFocus(Qt::OtherFocusReason);
        QLineEdit* edit = form.DateTimePicker1->findChild<QLineEdit*>();
        QTest::mouseClick(edit, Qt::LeftButton, {}, PointBefore(*edit, 8));
        QTest::keyClicks(form.DateTimePicker1, QStringLiteral("20"));
        QCOMPARE(edit->text().mid(6), QStringLiteral("20"));
        form.ComboBox1->setFocus(Qt::TabFocusReason);
        QCOMPARE(edit->text(), form.DateTimePicker1->date().toString(QStringLiteral("dd/MM/yyyy")));

        // A day picked in the calendar while a part is half typed ends it:
        // Enter then keeps the day picked.
        form.DateTimePicker1->setFocus(Qt::OtherFocusReason);
        QTest::mouseClick(edit, Qt::LeftButton, {}, PointBefore(*edit, 0));
        QTest::keyClicks(form.DateTimePicker1, QStringLiteral("2"));
        form.DateTimePicker1->setDate(QDate(2026, 11, 5));
        QTest::keyClick(form.DateTimePicker1, Qt::Key_Return);
        QCOMPARE(form.DateTimePicker1->date(), QDate(2026, 11, 5));
    }
};

QTEST_MAIN(DayDateBoxTest)
#include "DayDateBoxTest.moc"
