// Dates in French everywhere: Qt's own dialogs take theirs from the system's
// locale, which the program asks French for before Qt starts, then gives the
// environment and the C library's locale back as the user had them.

#include "app/window/FrenchLook.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QFileSystemModel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <fstream>
#include <string>

namespace {
std::string userCLocale;
bool userHadTimeLocale = false;
} // namespace

class FrenchDatesTest : public QObject {
    Q_OBJECT

private slots:
    void qtsOwnDialogsAndTheDateWidgetsWriteDatesInFrench()
    {
        const QDateTime when(QDate(2026, 12, 7), QTime(10, 0));
        QCOMPARE(QLocale::system().toString(when.date(), QLocale::ShortFormat), QStringLiteral("07/12/2026"));

        // The file list of the save dialog.
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("kiv_log.txt"));
        std::ofstream(file.toStdString()) << "x";
        QFile handle(file);
        QVERIFY(handle.open(QIODevice::ReadWrite));
        QVERIFY(handle.setFileTime(when, QFileDevice::FileModificationTime));
        handle.close();
        QFileSystemModel model;
        QSignalSpy loaded(&model, &QFileSystemModel::directoryLoaded);
        model.setRootPath(dir.path());
        QVERIFY(loaded.wait());
        const QModelIndex date = model.index(file).siblingAtColumn(3);
        QVERIFY2(model.data(date).toString().startsWith(QStringLiteral("07/12/2026")), qPrintable(model.data(date).toString()));

        // The calendar's day names and the date pop-up's.
        QCalendarWidget calendar;
        QDateEdit picker;
        picker.setCalendarPopup(true);
        for (const QLocale& locale : {calendar.locale(), picker.locale(), picker.calendarWidget()->locale()})
            QCOMPARE(locale.dayName(1, QLocale::ShortFormat), QStringLiteral("lun."));

        // Nothing else of the user's settings changed.
        QCOMPARE(std::string(std::setlocale(LC_ALL, nullptr)), userCLocale);
        QCOMPARE(qEnvironmentVariableIsSet("LC_TIME"), userHadTimeLocale);
    }
};

int main(int argc, char* argv[])
{
    qunsetenv("LC_ALL");
    userCLocale = std::setlocale(LC_ALL, "");
    userHadTimeLocale = qEnvironmentVariableIsSet("LC_TIME");
    kiv::AskFrenchSystemDates();
    QApplication app(argc, argv);
    kiv::UseFrenchLook(app);
    FrenchDatesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "FrenchDatesTest.moc"
