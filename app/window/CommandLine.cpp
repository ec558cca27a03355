#include "app/window/CommandLine.h"

#include "jobs/ConfigFolder.h"
#include "logscan/FileIo.h"
#include "logscan/LogMask.h"

#include <array>
#include <string>
#include <vector>

#ifdef _WIN32
#include <QCoreApplication>
#include <QStringList>
#endif
#include <string_view>

namespace kiv {
namespace {

// Qt's own options, taken by QApplication before the window sees them.
constexpr std::array<std::string_view, 9> kQtOptionsWithValue{
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry",
    "-qwindowicon", "-qwindowtitle", "-style", "-stylesheet"};
constexpr std::array<std::string_view, 2> kQtFlags{"-reverse", "-widgetcount"};

template <std::size_t N>
bool IsOneOf(std::string_view arg, const std::array<std::string_view, N>& names)
{
    for (const std::string_view name : names)
        if (arg == name)
            return true;
    return false;
}

CommandLine Usage(std::string error)
{
    CommandLine result;
    result.action = CommandLine::Action::UsageError;
    result.error = std::move(error);
    return result;
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            result.action = CommandLine::Action::Help;
            return result;
        }
        if (arg == "--version") {
            result.action = CommandLine::Action::Version;
            return result;
        }
        std::optional<std::filesystem::path>* target = nullptr;
        std::string_view name = arg;
        std::optional<std::string> inlineValue;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
            name = std::string_view(arg).substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        if (name == "--logs")
            target = &result.logFolder;
        else if (name == "--config")
            target = &result.configFolder;

        if (arg == "--user-config") {
            result.userConfigFolder = true;
        } else if (target) {
            std::string value;
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return Usage("l'option " + std::string(name) + " attend un dossier");
            }
            if (value.empty())
                return Usage("l'option " + std::string(name) + " attend un dossier");
            *target = PathFromBytes(value);
        } else if (IsOneOf(arg, kQtOptionsWithValue)) {
            ++i; // Qt's option and its value
        } else if (IsOneOf(arg, kQtFlags)) {
            // Qt's option
        } else if (arg.starts_with("-")) {
            return Usage("option inconnue : " + arg);
        } else {
            return Usage("argument inattendu : " + arg);
        }
    }
    if (result.userConfigFolder && result.configFolder)
        return Usage("les options --config et --user-config s'excluent");
    return result;
}

std::string UsageText()
{
    return "Usage : kivlogs [--logs DOSSIER] [--config DOSSIER | --user-config]\n"
           "  --logs DOSSIER    dossier des logs du serveur ; par défaut celui choisi avec\n"
           "                    « Dossier des logs... » et retenu dans kivlogs.conf du dossier\n"
           "                    de configuration, sinon " + DefaultLogFolder() + "\n"
           "  --config DOSSIER  dossier de configuration : les listes kiv.ini, kiv_salles.txt,\n"
           "                    kiv_heures.txt et kivlogs.conf (par défaut le dossier courant)\n"
#ifdef _WIN32
           "  --user-config     dossier de configuration de l'utilisateur, %APPDATA%\\kivlogs,\n"
           "                    créé au premier lancement avec les listes par défaut\n"
#else
           "  --user-config     dossier de configuration de l'utilisateur, $XDG_CONFIG_HOME/kivlogs\n"
           "                    (~/.config/kivlogs), créé au premier lancement avec les listes par défaut\n"
#endif
           "  --help            affiche cette aide\n"
           "  --version         affiche la version\n";
}

CommandLine WindowCommandLine(int argc, char* argv[])
{
#ifdef _WIN32
    (void)argc;
    (void)argv;
    std::vector<std::string> args;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(arguments[i].toStdString());
    return ParseCommandLine(args);
#else
    return ParseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
#endif
}

StartupPaths ResolveStartupPaths(const CommandLine& commandLine, const std::filesystem::path& exeFolder,
                                 const std::filesystem::path& currentFolder)
{
    const auto absolute = [&](const std::filesystem::path& p) {
        return p.is_absolute() ? p : currentFolder / p;
    };
    StartupPaths paths;
    paths.exeFolder = exeFolder;
    paths.configFolder = ChooseConfigFolder(commandLine.configFolder, false, currentFolder, exeFolder).folder;
    paths.logFolder = commandLine.logFolder ? absolute(*commandLine.logFolder) : PathFromBytes(DefaultLogFolder());
    return paths;
}

} // namespace kiv
