#include "CliOptions.h"

#include "AsciiCase.h"
#include "FileIo.h"

#include <charconv>
#include <filesystem>
#include <system_error>

namespace kiv::cli {
namespace {

bool AllDigits(std::string_view text)
{
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return !text.empty();
}

int ToInt(std::string_view digits)
{
    int value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

LogDate ParseDate(const std::string& text)
{
    // YYYY-MM-DD exactly: scripts pass ISO dates, and a date that does not
    // exist (2006-02-30) must not silently become another day.
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !AllDigits(text.substr(0, 4))
        || !AllDigits(text.substr(5, 2)) || !AllDigits(text.substr(8, 2)))
        throw UsageError("date invalide : " + text + " (attendu : AAAA-MM-JJ)");
    const LogDate date{ToInt(text.substr(0, 4)), ToInt(text.substr(5, 2)), ToInt(text.substr(8, 2))};
    if (!IsValidDate(date))
        throw UsageError("date inexistante : " + text);
    return date;
}

SearchScope ParseScope(const std::string& text)
{
    const std::string upper = AsciiUpperCopy(text);
    if (upper == "JOUR")
        return SearchScope::Jour;
    if (upper == "MOIS")
        return SearchScope::Mois;
    if (upper == "TOUT")
        return SearchScope::Tout;
    throw UsageError("port\xC3\xA9" "e inconnue : " + text + " (Jour, Mois ou Tout)");
}

Encoding ParseEncoding(const std::string& text)
{
    if (text == "utf8")
        return Encoding::Utf8;
    if (text == "cp1252")
        return Encoding::Cp1252;
    throw UsageError("encodage inconnu : " + text + " (utf8 ou cp1252)");
}

OccupationFormat ParseFormat(const std::string& text)
{
    if (text == "text")
        return OccupationFormat::Text;
    if (text == "cells")
        return OccupationFormat::Cells;
    if (text == "csv")
        return OccupationFormat::Csv;
    throw UsageError("format inconnu : " + text + " (text, cells ou csv)");
}

} // namespace

std::string UsageText()
{
    // The folders and files are named with the words of the window's --help.
    return "Usage :\n"
           "  kivlogs-cli search     [--logs DOSSIER] [--config DOSSIER] [--date AAAA-MM-JJ] [--scope Jour|Mois|Tout]\n"
           "                         [--words FICHIER | --word TEXTE ...] [--with-word]\n"
           "                         [--encoding utf8|cp1252] [--output FICHIER]\n"
           "  kivlogs-cli occupation [--logs DOSSIER] [--config DOSSIER] [--date AAAA-MM-JJ] [--room TEXTE]\n"
           "                         [--slots FICHIER] [--format text|cells|csv]\n"
           "                         [--encoding utf8|cp1252] [--output FICHIER]\n"
           "  kivlogs-cli --help | --version\n"
           "\n"
           "search      lignes des logs qui contiennent un des mots surveill\xC3\xA9s, r\xC3\xA9\xC3\xA9" "crites\n"
           "occupation  connexions du jour (salle, poste, \xC3\xA9l\xC3\xA8ve, heures), par cr\xC3\xA9neau\n"
           "\n"
           "  --logs DOSSIER    dossier des logs du serveur (par d\xC3\xA9" "faut " + DefaultLogFolder() + ")\n"
           "  --config DOSSIER  dossier des listes kiv.ini, kiv_salles.txt et kiv_heures.txt\n"
           "                    (par d\xC3\xA9" "faut le dossier courant ; sans --config, kiv.ini est lu\n"
           "                    \xC3\xA0 c\xC3\xB4t\xC3\xA9 du programme) ; un dossier absent est une erreur d'usage\n"
           "  --output FICHIER  remplace le fichier une fois l'\xC3\xA9" "criture termin\xC3\xA9" "e :\n"
           "                    search : comme \"Enregistrer\" de la fen\xC3\xAAtre, en Windows-1252,\n"
           "                    chaque ligne suivie de CR LF (--encoding n'y change rien) ;\n"
           "                    occupation : ce que la sortie standard recevrait (--encoding, LF)\n"
           "\n"
           "Par d\xC3\xA9" "faut : --date aujourd'hui, --scope Jour, --room Toutes, --encoding utf8.\n"
           "Code de sortie : 0 tous les fichiers lus, 1 un fichier ou le dossier des logs illisible,\n"
           "2 erreur d'usage.\n";
}

void CheckFolders(const CliOptions& options)
{
    // A misspelt --config in a scheduled task would otherwise scan with the
    // built-in words and slots, and nobody would notice.
    if (!options.config)
        return;
    std::error_code ec;
    if (!std::filesystem::is_directory(PathFromBytes(*options.config), ec))
        throw UsageError("dossier de configuration introuvable : " + *options.config);
}

CliOptions ParseCommandLine(const std::vector<std::string>& args, LogDate today)
{
    CliOptions options;
    options.date = today;
    if (args.empty())
        throw UsageError("commande manquante (search ou occupation)");

    const std::string& first = args[0];
    if (first == "--help" || first == "-h") {
        options.command = Command::Help;
        return options;
    }
    if (first == "--version") {
        options.command = Command::Version;
        return options;
    }
    if (first == "search")
        options.command = Command::Search;
    else if (first == "occupation")
        options.command = Command::Occupation;
    else
        throw UsageError("commande inconnue : " + first);

    const bool search = options.command == Command::Search;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--help" || option == "-h") {
            options.command = Command::Help;
            return options;
        }
        if (option == "--with-word" && search) {
            options.withWord = true;
            continue;
        }
        const bool takesValue = option == "--logs" || option == "--config" || option == "--date"
            || option == "--encoding" || option == "--output"
            || (search && (option == "--scope" || option == "--words" || option == "--word"))
            || (!search && (option == "--room" || option == "--slots" || option == "--format"));
        if (!takesValue)
            throw UsageError("option inconnue : " + option);
        if (i + 1 >= args.size())
            throw UsageError("valeur manquante apr\xC3\xA8s " + option);
        const std::string& value = args[++i];

        if (option == "--logs")
            options.logs = value;
        else if (option == "--config")
            options.config = value;
        else if (option == "--date")
            options.date = ParseDate(value);
        else if (option == "--encoding")
            options.encoding = ParseEncoding(value);
        else if (option == "--output")
            options.output = value;
        else if (option == "--scope")
            options.scope = ParseScope(value);
        else if (option == "--words")
            options.wordsFile = value;
        else if (option == "--word")
            options.words.push_back(value);
        else if (option == "--room")
            options.room = value;
        else if (option == "--slots")
            options.slotsFile = value;
        else if (option == "--format")
            options.format = ParseFormat(value);
    }
    if (options.wordsFile && !options.words.empty())
        throw UsageError("--words et --word ne vont pas ensemble");
    return options;
}

} // namespace kiv::cli
