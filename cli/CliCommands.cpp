// The commands of kivlogs-cli and their options, each with the help a member
// of staff reads in a terminal. The parser, the usage lines and the help are
// read from this table, so a new option is a new row here and a field of
// CliOptions that its command reads. A new command also needs a value of
// Command, a file of its own that runs it, and its case in main.cpp.

#include "cli/CliOptions.h"
#include "jobs/PeriodJob.h"
#include "jobs/SubjectReport.h"

#include <charconv>
#include <cstdio>
#include <tuple>

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
    if (const std::optional<SearchScope> scope = ScopeFromText(text))
        return *scope;
    throw UsageError("portée inconnue : " + text + " (Jour, Mois ou Tout)");
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
    if (text == "summary")
        return OccupationFormat::Summary;
    throw UsageError("format inconnu : " + text + " (text, cells, csv ou summary)");
}

std::vector<OptionSpec> Join(std::vector<OptionSpec> first, const std::vector<OptionSpec>& then)
{
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

// Where every command reads from.
std::vector<OptionSpec> FolderOptions()
{
    return {
        {"--logs", "DOSSIER",
         "dossier des logs du serveur (par défaut celui que la fenêtre a retenu\n"
         "dans kivlogs.conf du dossier de configuration, sinon " + DefaultLogFolder() + ")",
         [](CliOptions& o, const std::string& v) { o.logs = v; }},
        {"--config", "DOSSIER",
         "dossier de configuration : kiv.ini, kiv_salles.txt, kiv_heures.txt et\n"
         "kivlogs.conf y sont lus (par défaut le dossier courant ; kiv.ini est\n"
         "aussi cherché à côté du programme) ; un dossier absent est une erreur d'usage",
         [](CliOptions& o, const std::string& v) { o.config = v; }},
        {"--user-config", "",
         "le dossier de configuration de la fenêtre installée, celui de\n"
         "kivlogs --user-config : $XDG_CONFIG_HOME/kivlogs (~/.config/kivlogs),\n"
         "créé au premier usage avec les listes par défaut",
         [](CliOptions& o, const std::string&) { o.userConfig = true; }},
    };
}

// The options every scan takes, before and after its own.
std::vector<OptionSpec> FolderAndDateOptions()
{
    std::vector<OptionSpec> options = FolderOptions();
    options.push_back({"--date", "AAAA-MM-JJ", "jour des logs lus (par défaut aujourd'hui)",
                       [](CliOptions& o, const std::string& v) {
                           o.date = ParseDate(v);
                           o.dayGiven = true; // a period's summary takes no day
                       }});
    return options;
}

unsigned ParseInterval(const std::string& text)
{
    // Up to an hour: a longer pause is no watch.
    if (!AllDigits(text) || text.size() > 7 || ToInt(text) < 1 || ToInt(text) > 3'600'000)
        throw UsageError("intervalle invalide : " + text + " (millisecondes, de 1 à 3600000)");
    return static_cast<unsigned>(ToInt(text));
}

OptionSpec EncodingOption()
{
    return {"--encoding", "utf8|cp1252",
            "utf8 (par défaut) : la sortie, les mots et la salle tapés en UTF-8 ;\n"
            "cp1252 : les octets des logs tels quels (Windows-1252)",
            [](CliOptions& o, const std::string& v) { o.encoding = ParseEncoding(v); }};
}

// The watched words and how the lines found are written: a search's and a watch's.
std::vector<OptionSpec> WordOptions()
{
    return {
        {"--words", "FICHIER", "fichier des mots surveillés, un par ligne, lu comme kiv.ini",
         [](CliOptions& o, const std::string& v) { o.wordsFile = v; }},
        {"--word", "TEXTE",
         "un mot surveillé ; répéter l'option pour plusieurs mots.\n"
         "Sans --word ni --words : kiv.ini du dossier --config, sinon celui\n"
         "à côté du programme, sinon les sept mots intégrés",
         [](CliOptions& o, const std::string& v) { o.words.push_back(v); }},
        {"--with-word", "", "écrit devant chaque ligne le mot trouvé, tel que la liste l'écrit,\net une tabulation",
         [](CliOptions& o, const std::string&) { o.withWord = true; }},
        EncodingOption(),
    };
}

// What a keyword search is asked.
std::vector<OptionSpec> SearchOptions()
{
    std::vector<OptionSpec> options{
        {"--scope", "Jour|Mois|Tout",
         "logs lus : ceux du jour de --date, de son mois, ou tous\n"
         "(par défaut Jour ; majuscules ou minuscules)",
         [](CliOptions& o, const std::string& v) { o.scope = ParseScope(v); }},
    };
    options = Join(std::move(options), WordOptions());
    options.push_back({"--output", "FICHIER",
                       "enregistre les résultats comme « Enregistrer » de la fenêtre :\n"
                       "Windows-1252, chaque ligne suivie de CR LF (--encoding n'y change rien) ;\n"
                       "le fichier est remplacé une fois l'écriture terminée",
                       [](CliOptions& o, const std::string& v) { o.output = v; }});
    return options;
}

// How the day is watched.
std::vector<OptionSpec> WatchOptions()
{
    return {
        {"--date", "AAAA-MM-JJ",
         "surveille ce jour seul, sans passer au suivant (par défaut le jour\n"
         "courant, puis le suivant à minuit)",
         [](CliOptions& o, const std::string& v) {
             o.date = ParseDate(v);
             o.dayGiven = true;
         }},
        {"--interval", "MS",
         "millisecondes entre deux regards sur la taille des logs (par défaut 1000)",
         [](CliOptions& o, const std::string& v) { o.intervalMs = ParseInterval(v); }},
        {"--catch-up", "", "écrit d'abord les résultats de la journée jusque-là, puis la suit",
         [](CliOptions& o, const std::string&) { o.catchUp = true; }},
        {"--count-only", "",
         "n'écrit pas les lignes trouvées, qui nomment l'élève, mais une ligne par\n"
         "regard qui en a trouvé : leur nombre (« 3 lignes avec un mot surveillé »),\n"
         "pour un écran que d'autres voient",
         [](CliOptions& o, const std::string&) { o.countOnly = true; }},
    };
}

std::vector<OptionSpec> OccupationOptions()
{
    return {
        {"--room", "TEXTE",
         "salle montrée, écrite comme dans la liste des salles de la fenêtre\n"
         "(par défaut Toutes : toutes les salles)",
         [](CliOptions& o, const std::string& v) { o.room = v; }},
        {"--slots", "FICHIER",
         "liste des créneaux, lue comme kiv_heures.txt (par défaut kiv_heures.txt\n"
         "du dossier de configuration, sinon les huit créneaux initiaux)",
         [](CliOptions& o, const std::string& v) { o.slotsFile = v; }},
        {"--format", "text|cells|csv|summary",
         "text (par défaut) : une ligne par connexion, comme la vue texte ;\n"
         "cells : pour chaque colonne, #c, son créneau puis ses connexions ;\n"
         "csv : un en-tête puis une ligne par connexion, séparée par « ; » ;\n"
         "summary : du --from au --to, le nombre de connexions de chaque salle\n"
         "dans chaque créneau, séparé par « ; », et les totaux",
         [](CliOptions& o, const std::string& v) { o.format = ParseFormat(v); }},
        {"--from", "AAAA-MM-JJ", "premier jour de la période (--format summary seulement)",
         [](CliOptions& o, const std::string& v) { o.from = ParseDate(v); }},
        {"--to", "AAAA-MM-JJ",
         "dernier jour de la période, compris (--format summary seulement) ;\n"
         "moins de cent ans après --from : les noms des logs n'ont que deux\n"
         "chiffres pour l'année",
         [](CliOptions& o, const std::string& v) { o.to = ParseDate(v); }},
        EncodingOption(),
        {"--output", "FICHIER",
         "écrit ce que la sortie standard recevrait (--encoding, LF) ;\n"
         "le fichier est remplacé une fois l'écriture terminée",
         [](CliOptions& o, const std::string& v) { o.output = v; }},
    };
}

void CheckWordSources(const CliOptions& options)
{
    if (options.wordsFile && !options.words.empty())
        throw UsageError("--words et --word ne vont pas ensemble");
}

// The period belongs to the summary alone, and the summary needs both of its days.
// A log's name holds only two digits of the year: a period of a hundred years
// or more would read the same files once per century.
void CheckPeriodLength(LogDate from, LogDate to)
{
    if (PeriodWithinLimit(from, to))
        return;
    const LogDate last = LastDayOfPeriodFrom(from);
    char shown[16];
    std::snprintf(shown, sizeof shown, "%04d-%02d-%02d", last.year, last.month, last.day);
    throw UsageError(std::string("période de cent ans ou plus : les noms des logs n'ont que deux chiffres pour "
                                 "l'année ; depuis --from, --to va au plus jusqu'au ")
                     + shown);
}

void CheckPeriod(const CliOptions& options)
{
    if (options.format != OccupationFormat::Summary) {
        if (options.from || options.to)
            throw UsageError("--from et --to vont avec --format summary seulement");
        return;
    }
    if (!options.from || !options.to)
        throw UsageError("--format summary demande --from et --to");
    if (options.dayGiven)
        throw UsageError("--date ne va pas avec --format summary : la période va de --from à --to");
    const auto day = [](const LogDate& d) { return std::tuple(d.year, d.month, d.day); };
    if (day(*options.from) > day(*options.to))
        throw UsageError("--from est après --to");
    CheckPeriodLength(*options.from, *options.to);
}

ReportFormat ParseReportFormat(const std::string& text)
{
    if (text == "text")
        return ReportFormat::Text;
    if (text == "csv")
        return ReportFormat::Csv;
    if (text == "html")
        return ReportFormat::Html;
    throw UsageError("format inconnu : " + text + " (text, csv ou html)");
}

// One pupil or one computer, on a day or over a period, with the watched words.
std::vector<OptionSpec> ReportOptions()
{
    std::vector<OptionSpec> options{
        {"--user", "NOM", "l'élève : son identifiant, champ entier (eleve12 n'est pas eleve121)",
         [](CliOptions& o, const std::string& v) { o.reportUser = v; }},
        {"--computer", "NOM", "l'ordinateur : son nom (PC03), ou sa salle et son nom (S514-PC03)",
         [](CliOptions& o, const std::string& v) { o.reportComputer = v; }},
        {"--date", "AAAA-MM-JJ", "le jour du rapport (par défaut aujourd'hui)",
         [](CliOptions& o, const std::string& v) {
             o.date = ParseDate(v);
             o.reportDateGiven = true;
         }},
        {"--from", "AAAA-MM-JJ", "premier jour de la période (avec --to, au lieu de --date)",
         [](CliOptions& o, const std::string& v) { o.from = ParseDate(v); }},
        {"--to", "AAAA-MM-JJ", "dernier jour de la période, compris",
         [](CliOptions& o, const std::string& v) { o.to = ParseDate(v); }},
    };
    for (OptionSpec& option : WordOptions())
        if (option.name != "--with-word")
            options.push_back(std::move(option));
    options.push_back({"--format", "text|csv|html",
                       "text (par défaut) : le rapport comme la fenêtre le montre ;\n"
                       "csv : un en-tête puis une ligne par connexion ou mot trouvé, séparée par « ; » ;\n"
                       "html : une page autonome à envoyer ou imprimer, les mots en gras",
                       [](CliOptions& o, const std::string& v) { o.reportFormat = ParseReportFormat(v); }});
    options.push_back({"--output", "FICHIER",
                       "écrit ce que la sortie standard recevrait ;\n"
                       "le fichier est remplacé une fois l'écriture terminée",
                       [](CliOptions& o, const std::string& v) { o.output = v; }});
    return options;
}

void CheckReport(const CliOptions& options)
{
    if (options.reportUser.has_value() == options.reportComputer.has_value())
        throw UsageError("report demande --user ou --computer (un seul des deux)");
    if ((options.reportUser && options.reportUser->empty()) || (options.reportComputer && options.reportComputer->empty()))
        throw UsageError("le nom de l'élève ou de l'ordinateur est vide");
    if (options.from.has_value() != options.to.has_value())
        throw UsageError("--from et --to vont ensemble");
    if (options.from && options.reportDateGiven)
        throw UsageError("--date ou --from et --to, pas les deux");
    const auto day = [](const LogDate& d) { return std::tuple(d.year, d.month, d.day); };
    if (options.from && day(*options.from) > day(*options.to))
        throw UsageError("--from est après --to");
    if (options.from)
        CheckPeriodLength(*options.from, *options.to);
    CheckWordSources(options);
}

} // namespace

const std::vector<CommandSpec>& CommandTable()
{
    static const std::vector<CommandSpec> table{
        {"search", Command::Search, "lignes des logs qui contiennent un des mots surveillés, réécrites",
         Join(FolderAndDateOptions(), SearchOptions()), CheckWordSources},
        {"occupation", Command::Occupation, "connexions du jour (salle, poste, élève, heures) par créneau, ou leur nombre sur une période",
         Join(FolderAndDateOptions(), OccupationOptions()), CheckPeriod},
        {"watch", Command::Watch,
         "lignes écrites dans les logs du jour qui contiennent un mot surveillé, dès leur écriture",
         Join(Join(FolderOptions(), WordOptions()), WatchOptions()), CheckWordSources,
         "Code de sortie : 0 arrêt par Ctrl+C ou SIGTERM (les lignes lues sont écrites),\n"
         "1 la sortie ne peut plus être écrite (un lecteur qui s'en va, comme\n"
         "« | head -1 », arrête la surveillance sans message), 2 erreur d'usage.\n"},
        {"report", Command::Report,
         "connexions et mots surveillés d'un élève ou d'un ordinateur, un jour ou sur une période, par heure",
         Join(FolderOptions(), ReportOptions()), CheckReport},
    };
    return table;
}

} // namespace kiv::cli
