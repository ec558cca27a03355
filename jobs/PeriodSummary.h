#pragma once
// The room use of a period as a table for a spreadsheet: what kivlogs-cli
// prints with --format summary and what the period window saves, the same
// bytes from both.

#include "PeriodJob.h"

#include <string>

namespace kiv {

// Windows-1252 CSV (CsvText.h): the row "salle", the eight slot headers (a
// line break in a header written as a backslash and the letter n), "total";
// one row per room with its count in each column and their sum; last the row
// "Toutes" with the sums of the columns.
std::string PeriodSummaryCsv(const PeriodUse& use);

} // namespace kiv
