#include "app/window/CommandLine.h"
#include "logscan/FileIo.h"
#include "logscan/LogMask.h"

#include <QtTest>

using kiv::CommandLine;

Q_DECLARE_METATYPE(CommandLine::Action)

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void parses_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<CommandLine::Action>("action");
        QTest::addColumn<QString>("logs");
        QTest::addColumn<QString>("config");
        QTest::addColumn<QString>("error");
        using A = CommandLine::Action;
        QTest::newRow("nothing") << QStringList{} << A::Run << "" << "" << "";
        QTest::newRow("both folders") << QStringList{"--logs", "/srv/logs", "--config", "/etc/kiv"} << A::Run
                                      << "/srv/logs" << "/etc/kiv" << "";
        QTest::newRow("with equals") << QStringList{"--config=cfg", "--logs=l"} << A::Run << "l" << "cfg" << "";
        QTest::newRow("help wins") << QStringList{"--logs", "x", "--help", "--bad"} << A::Help << "" << "" << "";
        QTest::newRow("short help") << QStringList{"-h"} << A::Help << "" << "" << "";
        QTest::newRow("version wins") << QStringList{"--logs", "x", "--version", "--bad"} << A::Version << ""
                                      << "" << "";
        QTest::newRow("qt options pass") << QStringList{"-platform", "offscreen", "-reverse", "--config", "c"}
                                         << A::Run << "" << "c" << "";
        QTest::newRow("unknown option") << QStringList{"--logs", "x", "--verbose"} << A::UsageError << "" << ""
                                        << "option inconnue : --verbose";
        QTest::newRow("missing value") << QStringList{"--logs"} << A::UsageError << "" << ""
                                       << "l'option --logs attend un dossier";
        QTest::newRow("empty value") << QStringList{"--config="} << A::UsageError << "" << ""
                                     << "l'option --config attend un dossier";
        QTest::newRow("stray argument") << QStringList{"logs"} << A::UsageError << "" << ""
                                        << "argument inattendu : logs";
    }

    void parses()
    {
        QFETCH(QStringList, args);
        QFETCH(CommandLine::Action, action);
        QFETCH(QString, logs);
        QFETCH(QString, config);
        QFETCH(QString, error);
        std::vector<std::string> raw;
        for (const QString& arg : args)
            raw.push_back(arg.toStdString());
        const CommandLine parsed = kiv::ParseCommandLine(raw);
        QCOMPARE(parsed.action, action);
        QCOMPARE(QString::fromStdString(parsed.error), error);
        if (action != CommandLine::Action::Run)
            return;
        QCOMPARE(parsed.logFolder ? QString::fromStdU16String(parsed.logFolder->u16string()) : QString(), logs);
        QCOMPARE(parsed.configFolder ? QString::fromStdU16String(parsed.configFolder->u16string()) : QString(),
                 config);
    }

    // A folder whose name is not UTF-8 (an old Latin-1 share) is taken as
    // the system names it, and shown with "?" where Windows-1252 cannot say.
    void windowTakesFoldersAsTheSystemGaveThem()
    {
        char program[] = "kivlogs", config[] = "--config", folder[] = "cfg\xe9", logs[] = "--logs=\xc3\x89l\xc3\xa8ves";
        char* argv[] = {program, config, folder, logs, nullptr};
#ifdef _WIN32
        QSKIP("on Windows the window reads the process's own wide command line, not argv");
#endif
        const CommandLine parsed = kiv::WindowCommandLine(4, argv);
        QCOMPARE(parsed.action, CommandLine::Action::Run);
#ifndef _WIN32
        QCOMPARE(parsed.configFolder->native(), std::string("cfg\xe9"));
        QCOMPARE(kiv::PathForMessage(*parsed.configFolder), std::string("cfg?"));
        QCOMPARE(kiv::PathForMessage(*parsed.logFolder), std::string("\xc9l\xe8ves"));
#endif
    }

    void foldersDefaultToTheShareAndTheCurrentFolder()
    {
        const std::filesystem::path exe = "/opt/kiv/bin";
        const std::filesystem::path current = "/home/prof";
        const kiv::StartupPaths defaults = kiv::ResolveStartupPaths(kiv::ParseCommandLine({}), exe, current);
        QCOMPARE(defaults.exeFolder, exe);
        QCOMPARE(defaults.configFolder, current);
        QCOMPARE(defaults.logFolder, kiv::PathFromBytes(kiv::DefaultLogFolder()));
#ifndef _WIN32
        QCOMPARE(defaults.logFolder.string(), std::string("/mnt/Torvel/Services/logs/"));
#endif

        const kiv::StartupPaths given =
            kiv::ResolveStartupPaths(kiv::ParseCommandLine({"--config", "cfg", "--logs", "/srv/logs"}), exe, current);
        QCOMPARE(given.configFolder, current / "cfg");
        QCOMPARE(given.logFolder, std::filesystem::path("/srv/logs"));
    }

    void usageIsFrenchAndNamesTheOptions()
    {
        const QString usage = QString::fromStdString(kiv::UsageText());
        QVERIFY(usage.startsWith("Usage : kivlogs [--logs DOSSIER] [--config DOSSIER | --user-config]\n"));
        QVERIFY(usage.contains("--logs DOSSIER"));
        QVERIFY(usage.contains("--config DOSSIER"));
        QVERIFY(usage.contains("--help"));
        QVERIFY(usage.endsWith('\n'));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
