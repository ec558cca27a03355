// kivlogs: the window of Kiv Logs.

#include "app/window/CommandLine.h"
#include "app/window/FrenchLook.h"
#include "app/window/KivErrorBox.h"
#include "app/window/LogFolderChoice.h"
#include "app/window/Unit1.h"
#include "app/window/UserConfigFolder.h"
#include "logscan/FileIo.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::filesystem::path PathOf(const QString& folder)
{
    return std::filesystem::path(folder.toStdU16String());
}

} // namespace

int main(int argc, char* argv[])
{
    kiv::FailWritesBeyondFileSizeLimit();
    // Options are checked before the window system is opened, so that --help
    // and a wrong option answer on a terminal without a display.
    const kiv::CommandLine early = kiv::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (early.action == kiv::CommandLine::Action::Help) {
        std::fputs(kiv::UsageText().c_str(), stdout);
        return 0;
    }
    if (early.action == kiv::CommandLine::Action::Version) {
        std::fputs("kivlogs " KIVLOGS_VERSION "\n", stdout);
        return 0;
    }
    if (early.action == kiv::CommandLine::Action::UsageError) {
        std::fprintf(stderr, "kivlogs : %s\n%s", early.error.c_str(), kiv::UsageText().c_str());
        return 2;
    }

    kiv::AskFrenchSystemDates();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kiv Logs"));
    QGuiApplication::setDesktopFileName(QStringLiteral("kivlogs"));
    kiv::UseFrenchLook(app);

    const kiv::CommandLine commandLine = kiv::WindowCommandLine(argc, argv);
    kiv::StartupPaths paths = kiv::ResolveStartupPaths(
        commandLine, PathOf(QCoreApplication::applicationDirPath()), std::filesystem::current_path());
    if (commandLine.userConfigFolder)
        for (const std::string& error : kiv::UseUserConfigFolder(paths))
            kiv::ShowKivError(nullptr, error);

    for (const std::string& error : kiv::UseRememberedLogFolder(paths, commandLine.logFolder.has_value()))
        kiv::ShowKivError(nullptr, error);

    kiv::TForm1 form(paths);
    form.CreateListDialogs();
    form.showMaximized();
    // Asked over the window, once it shows: a share that is not mounted here.
    QTimer::singleShot(0, &form, &kiv::TForm1::OfferLogFolderChoice);
    return app.exec();
}
