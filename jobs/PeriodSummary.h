#pragma once
// The room use of a period as a table for a spreadsheet: what kivlogs-cli
// prints with --format summary and what the period window saves and copies,
// the same rows from both.

#include "jobs/PeriodJob.h"

#include <string>
#include <vector>

namespace kiv {

// The table's rows, Windows-1252: "salle", the eight slot headers (a line
// break in a header written as a backslash and the letter n), "total"; one
// row per room with its count in each column and their sum; last the row
// "Toutes" with the sums of the columns.
std::vector<std::vector<std::string>> PeriodSummaryRows(const PeriodUse& use);

// Those rows as CSV (CsvText.h): fields separated by ";", quoted as RFC 4180
// does, each row ended by CR LF.
std::string PeriodSummaryCsv(const PeriodUse& use);

} // namespace kiv
