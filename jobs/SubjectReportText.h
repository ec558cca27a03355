#pragma once
// The report on one pupil or one computer as the staff read it, line by line,
// in Windows-1252: the same lines in the window's view, its printout, its saved
// file and the command line's text. A watched-word line keeps its word bold.

#include "jobs/SubjectReport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kiv {

struct ReportLine {
    std::string text;
    // The bold word of a result line; boldLength 0 for every other line.
    std::size_t boldStart = 0;
    std::size_t boldLength = 0;
};

// "01/12/2026".
std::string FrenchDate(LogDate date);
// "1 h 05 min".
std::string DurationText(std::uint64_t minutes);

// "Élève eleve12, du 01/12/2026 au 05/12/2026" ("le 01/12/2026" for one
// day): the title of the report's window and of each printed page.
std::string ReportTitle(const SubjectReportRequest& request);
// "Mots surveillés : sexe, sexy".
std::string ReportWordsLine(const TextList& words);

// The title, the words, then an empty line.
std::vector<ReportLine> ReportHeadingLines(const SubjectReportRequest& request);
// A day: its date, its sessions and results in time order, its totals, an
// empty line.
void AppendReportDay(const ReportDay& day, const SubjectReportRequest& request, std::vector<ReportLine>& out);
// The whole period's totals.
void AppendReportTotals(const SubjectReportResult& result, const SubjectReportRequest& request,
                        std::vector<ReportLine>& out);

// One session as its line shows it: "08h25 - 09h10  S514  PC03  eleve12  (créneau 8h25)".
std::string ReportSessionText(const ReportEntry& session, const std::vector<std::string>& headerRow);
// "2 connexions, 1 h 50 min de connexion, 2 résultats (sexe : 1, sexy : 1)".
std::string ReportTallyText(const ReportTally& tally, const TextList& words);

} // namespace kiv
