#pragma once
// The report as rows for a spreadsheet: one per session or watched-word
// result, in the report's order, as the period summary writes CSV.

#include "jobs/SubjectReport.h"

#include <string>

namespace kiv::cli {

// "Jour;Heure;Type;Salle;Poste;Utilisateur;Connexion;Déconnexion;Mot;Ligne".
std::string ReportCsvHeader();
// The day's rows (Windows-1252, CR LF).
std::string ReportCsvRows(const ReportDay& day, const TextList& words);

} // namespace kiv::cli
