#include "cli/ReportCsv.h"

#include "jobs/CsvText.h"
#include "jobs/SubjectReportText.h"
#include "logscan/ResultFields.h"

namespace kiv::cli {

std::string ReportCsvHeader()
{
    return CsvRow({"Jour", "Heure", "Type", "Salle", "Poste", "Utilisateur", "Connexion", "D\xE9" "connexion", "Mot",
                   "Ligne"});
}

std::string ReportCsvRows(const ReportDay& day, const TextList& words)
{
    const std::string date = FrenchDate(day.date);
    std::string rows;
    for (const ReportEntry& entry : day.entries) {
        const std::string time = entry.time.empty() ? std::string() : entry.time.substr(0, 2) + ":" + entry.time.substr(2);
        if (entry.kind == ReportEntry::Kind::Session) {
            const SessionEntry& s = entry.session;
            rows += CsvRow({date, time, "connexion", s.Room, s.Station, s.User, s.LoginTime, s.LogoutTime, "", ""});
        } else {
            const KeywordSearchResult& r = entry.result;
            rows += CsvRow({date, time, "mot", "", ComputerField(r.line), PupilField(r.line), "", "",
                            words[r.wordIndex], r.line});
        }
    }
    return rows;
}

} // namespace kiv::cli
