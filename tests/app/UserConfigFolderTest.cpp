#include "app/lists/Unit4.h"
#include "app/window/CommandLine.h"
#include "app/window/UserConfigFolder.h"
#include "logscan/FileIo.h"
#include "tests/support/AppTestSupport.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>


using kivtest::ErrorCapture;
using kivtest::Folders;
namespace fs = std::filesystem;

namespace {

// An installed program in a temporary root: <root>/usr/bin for the program,
// <root>/usr/share/kivlogs with the school's default lists.
struct InstalledRoot {
    Folders folders; // its exe/ stays a program folder without shared lists
    fs::path root = folders.Config().parent_path() / "root";
    fs::path bin = root / "usr" / "bin";
    fs::path shared = root / "usr" / "share" / "kivlogs";

    InstalledRoot()
    {
        fs::create_directories(bin);
        fs::create_directories(shared);
        Folders::Write(shared / "kiv.ini", "sexe\r\nseins nu");
        Folders::Write(shared / "kiv_salles.txt", "S514\r\nS302");
        Folders::Write(shared / "kiv_heures.txt", "08h25\r\n09h20");
    }
};

// Sets an environment variable (unset for a null value) for the life of the object.
class EnvironmentValue {
public:
    EnvironmentValue(const char* name, const QByteArray& value) : name_(name), old_(qgetenv(name))
    {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    ~EnvironmentValue() { old_.isNull() ? qunsetenv(name_) : qputenv(name_, old_); }

private:
    const char* name_;
    QByteArray old_;
};

} // namespace

class UserConfigFolderTest : public QObject {
    Q_OBJECT

private slots:
    void aFirstStartCopiesTheDefaultListsAndLaterStartsKeepTheUsersOwn()
    {
        InstalledRoot installed;
        const fs::path mine = installed.root / "home" / ".config" / "kivlogs";
        QVERIFY(kiv::FillConfigFolder(mine, installed.shared).empty());
        for (const char* name : {"kiv.ini", "kiv_salles.txt", "kiv_heures.txt"})
            QCOMPARE(Folders::Read(mine / name), Folders::Read(installed.shared / name));

        // The user's words stay, and a list they lost comes back.
        Folders::Write(mine / "kiv.ini", "jeux");
        fs::remove(mine / "kiv_heures.txt");
        QVERIFY(kiv::FillConfigFolder(mine, installed.shared).empty());
        QCOMPARE(Folders::Read(mine / "kiv.ini"), std::string("jeux"));
        QCOMPARE(Folders::Read(mine / "kiv_heures.txt"), std::string("08h25\r\n09h20"));
    }

    void aFolderThatCannotBeMadeIsReportedAndMissingDefaultsAreNot()
    {
        InstalledRoot installed;
        Folders::Write(installed.root / "plain-file", "x");
        const fs::path blocked = installed.root / "plain-file" / "kivlogs";
        const std::vector<std::string> errors = kiv::FillConfigFolder(blocked, installed.shared);
        QCOMPARE(errors.size(), std::size_t(1));
        QCOMPARE(errors[0], "Impossible de cr\xE9""er le dossier " + kiv::PathForMessage(blocked));

        // Run from its build folder there are no defaults: the folder is made,
        // and the missing lists are reported later, when the window reads them.
        const fs::path fresh = installed.root / "fresh";
        QVERIFY(kiv::FillConfigFolder(fresh, installed.root / "no-share").empty());
        QVERIFY(fs::is_directory(fresh));
        QVERIFY(fs::is_empty(fresh));
    }

    void theUsersFolderFollowsTheEnvironment_data()
    {
        QTest::addColumn<QByteArray>("xdg");
        QTest::addColumn<QByteArray>("home");
        QTest::addColumn<QString>("folder");
        QTest::newRow("XDG_CONFIG_HOME") << QByteArray("/x/cfg") << QByteArray("/home/prof") << "/x/cfg/kivlogs";
        QTest::newRow("relative: HOME") << QByteArray("cfg") << QByteArray("/home/prof")
                                        << "/home/prof/.config/kivlogs";
        QTest::newRow("neither") << QByteArray() << QByteArray() << "";
    }

    void theUsersFolderFollowsTheEnvironment()
    {
#ifdef _WIN32
        QSKIP("the user's folder is %APPDATA%\\kivlogs on Windows");
#endif
        QFETCH(QByteArray, xdg);
        QFETCH(QByteArray, home);
        QFETCH(QString, folder);
        const EnvironmentValue xdgValue("XDG_CONFIG_HOME", xdg);
        const EnvironmentValue homeValue("HOME", home);
        QCOMPARE(QString::fromStdString(kiv::UserConfigFolder().string()), folder);
        if (folder.isEmpty()) {
            // Nowhere to keep the lists: said once, and the current folder stays.
            kiv::StartupPaths paths{"/usr/bin", "/srv/current", "/srv/logs"};
            QCOMPARE(kiv::UseUserConfigFolder(paths).size(), std::size_t(1));
            QCOMPARE(paths.configFolder, fs::path("/srv/current"));
        }
    }

    void theStartupWordFileIsTheConfigurationFoldersOnlyForTheInstalledProgram()
    {
        InstalledRoot installed;
        const fs::path config = installed.folders.Config();
        QCOMPARE(kiv::StartupWordFile({installed.bin, config, {}}), config / "kiv.ini");
        // A program run from its own folder, as before.
        const fs::path exe = installed.folders.Exe();
        QCOMPARE(kiv::StartupWordFile({exe, config, {}}), exe / "kiv.ini");
        // A kiv.ini put beside the installed program still wins.
        Folders::Write(installed.bin / "kiv.ini", "site");
        QCOMPARE(kiv::StartupWordFile({installed.bin, config, {}}), installed.bin / "kiv.ini");
    }

    void wordsSavedFromTheDialogAreTheWordsOfTheNextStart()
    {
        InstalledRoot installed;
        const fs::path config = installed.root / "cfg" / "kivlogs";
#ifdef _WIN32
        const char* userFolderBase = "APPDATA";
#else
        const char* userFolderBase = "XDG_CONFIG_HOME";
#endif
        const EnvironmentValue xdgValue(userFolderBase, QByteArray((installed.root / "cfg").string().c_str()));
        QCOMPARE(kiv::ParseCommandLine({"--user-config", "--config", "c"}).action, kiv::CommandLine::Action::UsageError);
        kiv::CommandLine commandLine = kiv::ParseCommandLine({"--user-config"});
        QCOMPARE(commandLine.action, kiv::CommandLine::Action::Run);
        QVERIFY(commandLine.userConfigFolder);
        kiv::StartupPaths paths = kiv::ResolveStartupPaths(commandLine, installed.bin, "/");
        QVERIFY(kiv::UseUserConfigFolder(paths).empty());
        QCOMPARE(paths.configFolder, config);

        ErrorCapture errors;
        {
            kiv::TForm1 first(paths);
            QCOMPARE(first.DefaultWords(), (kiv::TextList{"sexe", "seins nu"}));
            QCOMPARE(first.RoomItems(), (kiv::TextList{"S514", "S302", "Toutes"}));
            first.CreateListDialogs();
            first.RunModal = [](QDialog& dialog) {
                auto& words = static_cast<kiv::TOKmotDlg1&>(dialog);
                if (!kivtest::WaitForList(words))
                    return -1;
                kivtest::TypeOver(*words.Memo1, QStringLiteral("jeux\npoker"));
                return kivtest::PressOk(words);
            };
            first.SpeedButton6->click();
        }
        kiv::TForm1 next(paths);
        QCOMPARE(next.DefaultWords(), (kiv::TextList{"jeux", "poker"}));
        QVERIFY(errors.messages.empty());
    }
};

QTEST_MAIN(UserConfigFolderTest)
#include "UserConfigFolderTest.moc"
