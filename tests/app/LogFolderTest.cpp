// The school's log folder: offered for choice when the one given is missing,
// used and remembered once chosen, changed later from the window; --logs
// still comes first.

#include "app/runs/KeywordSearchRun.h"
#include "app/runs/RoomScanFeed.h"
#include "app/window/CommandLine.h"
#include "app/window/LogFolderChoice.h"
#include "lines/LinesEdit.h"
#include "tests/support/AppTestSupport.h"

#include <QDateEdit>
#include <QFileDialog>
#include <QMessageBox>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <memory>
#include <optional>

using kivtest::ErrorCapture;
using kivtest::Folders;

namespace {

// A log folder named absolutely, as each system names one.
#ifdef _WIN32
const std::string kAbsoluteLogs = "C:\\srv\\logs";
#else
const std::string kAbsoluteLogs = "/srv/logs";
#endif

// Answers the dialogs as a member of staff would and notes what was asked.
struct Staff {
    std::optional<int> questionAnswer; // none: no question expected
    std::optional<std::filesystem::path> folderPicked; // none: the folder dialog is cancelled
    QStringList asked;

    int operator()(QDialog& dialog)
    {
        if (auto* question = qobject_cast<QMessageBox*>(&dialog)) {
            asked << question->text();
            return questionAnswer.value_or(QMessageBox::No);
        }
        auto* folders = qobject_cast<QFileDialog*>(&dialog);
        if (!folders)
            return QDialog::Rejected;
        asked << folders->windowTitle();
        if (!folderPicked)
            return QDialog::Rejected;
        folders->setDirectory(QString::fromStdU16String(folderPicked->u16string()));
        return QDialog::Accepted;
    }
};

} // namespace

class LogFolderTest : public QObject {
    Q_OBJECT

private slots:
    void aMissingFolderIsOfferedForChoiceAndTheChoiceKept_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("picks");
        QTest::addColumn<int>("dialogsShown");
        QTest::addColumn<bool>("changed");
        QTest::newRow("found: nothing asked") << true << int(QMessageBox::Yes) << true << 0 << false;
        QTest::newRow("missing, chosen") << false << int(QMessageBox::Yes) << true << 2 << true;
        QTest::newRow("missing, declined") << false << int(QMessageBox::No) << true << 1 << false;
        QTest::newRow("missing, dialog cancelled") << false << int(QMessageBox::Yes) << false << 2 << false;
    }

    void aMissingFolderIsOfferedForChoiceAndTheChoiceKept()
    {
        QFETCH(bool, folderExists);
        QFETCH(int, answer);
        QFETCH(bool, picks);
        QFETCH(int, dialogsShown);
        QFETCH(bool, changed);
        Folders folders;
        ErrorCapture errors;
        const kiv::StartupPaths given = folders.Paths();
        if (folderExists)
            std::filesystem::create_directories(given.logFolder);
        const std::filesystem::path share = given.logFolder.parent_path() / "partage";
        std::filesystem::create_directories(share);
        Folders::Write(share / "connexr011226.log", "S514-PC03:eleve12:011226:082533:login:B:C:D:E\r\n");

        Staff staff{answer, picks ? std::optional(share) : std::nullopt, {}};
        kiv::TForm1 form(given);
        form.RunModal = std::ref(staff);
        errors.messages.clear(); // the lists this test does not write
        form.OfferLogFolderChoice();

        QCOMPARE(staff.asked.size(), dialogsShown);
        if (dialogsShown > 0)
            QCOMPARE(staff.asked.front(), QStringLiteral("Le dossier des logs ") + QString::fromStdU16String(std::filesystem::path(given.logFolder).make_preferred().u16string())
                                              + QStringLiteral(" est introuvable.\nChoisir le dossier des logs ?"));
        QCOMPARE(form.Paths().logFolder, changed ? share : given.logFolder);
        QCOMPARE(std::filesystem::exists(folders.Config() / "kivlogs.conf"), changed);
        QVERIFY(errors.messages.empty());
        if (!changed) {
            // The question answered "Non": a search says where to choose the folder.
            if (folderExists)
                return;
            auto* run = form.findChild<kiv::KeywordSearchRun*>();
            QSignalSpy searched(run, &kiv::KeywordSearchRun::Finished);
            form.SpeedButton1->click();
            QVERIFY(searched.count() > 0 || searched.wait());
            QCOMPARE(errors.messages,
                     std::vector<std::string>{"Impossible d'ouvrir le dossier " + kiv::PathForMessage(given.logFolder)
                                              + ".\nChoisissez le dossier des logs avec le bouton \xAB Dossier des "
                                                "logs... \xBB (Alt+L)"});
            return;
        }

        // The chosen folder is the one scanned...
        QSignalSpy ended(form.RoomFeed, &kiv::RoomScanFeed::Ended);
        form.DateTimePicker1->setDate(QDate(2026, 12, 1));
        QVERIFY(ended.wait());
        QCOMPARE(form.Memo4->toPlainText(), QStringLiteral("S514  PC03  08h25 -      eleve12    E\n"));
        // ...and the one of the next start, unless --logs names another.
        for (const auto& [args, expected] : std::vector<std::pair<std::vector<std::string>, std::filesystem::path>>{
                 {{"--config", folders.Config().string()}, share},
                 {{"--config", folders.Config().string(), "--logs", kAbsoluteLogs}, kAbsoluteLogs}}) {
            const kiv::CommandLine commandLine = kiv::ParseCommandLine(args);
            kiv::StartupPaths next = kiv::ResolveStartupPaths(commandLine, folders.Exe(), folders.Exe());
            QVERIFY(kiv::UseRememberedLogFolder(next, commandLine.logFolder.has_value()).empty());
            QCOMPARE(next.logFolder, expected);
        }
    }

    // Changed later from the window's own button, by keyboard as by mouse.
    void theButtonChangesTheFolderAndKeepsTheOtherSettings()
    {
        Folders folders;
        ErrorCapture errors;
        kiv::StartupPaths given = folders.Paths();
        std::filesystem::create_directories(given.logFolder);
        Folders::Write(folders.Config() / "kivlogs.conf", "logs=/ancien\nautre=1\n");
        const std::filesystem::path share = given.logFolder.parent_path() / "partage";
        std::filesystem::create_directories(share);
        Staff staff{std::nullopt, share, {}};
        kiv::TForm1 form(given);
        form.RunModal = std::ref(staff);
        errors.messages.clear(); // the lists this test does not write
        QVERIFY(!form.LogFolderButton->accessibleName().isEmpty());
        QCOMPARE(form.LogFolderButton->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
        form.LogFolderButton->click();
        QCOMPARE(staff.asked, QStringList{QStringLiteral("Choisir le dossier des logs")});
        QCOMPARE(form.Paths().logFolder, share);
        QCOMPARE(Folders::Read(folders.Config() / "kivlogs.conf"), "logs=" + std::filesystem::path(share).make_preferred().string() + "\nautre=1\n");
        QVERIFY(errors.messages.empty());
    }

    // A settings file too large to be ours is never cut short: the folder
    // chosen is used, and the file stays as it is.
    void aSettingsFileTooLargeIsNotRewritten()
    {
        Folders folders;
        ErrorCapture errors;
        kiv::StartupPaths given = folders.Paths();
        std::filesystem::create_directories(given.logFolder);
        const std::filesystem::path settings = folders.Config() / "kivlogs.conf";
        std::string big = "autre=1\n";
        big.append(20000, 'x');
        big += '\n';
        Folders::Write(settings, big);
        const std::filesystem::path share = given.logFolder.parent_path() / "partage";
        std::filesystem::create_directories(share);
        Staff staff{std::nullopt, share, {}};
        kiv::TForm1 form(given);
        form.RunModal = std::ref(staff);
        errors.messages.clear();
        form.LogFolderButton->click();
        QCOMPARE(form.Paths().logFolder, share);
        QCOMPARE(Folders::Read(settings), big);
        QCOMPARE(errors.messages, std::vector<std::string>{"Fichier trop volumineux : " + kiv::PathForMessage(settings) + "."});
    }
};

QTEST_MAIN(LogFolderTest)
#include "LogFolderTest.moc"
