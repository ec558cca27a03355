#pragma once
// Dates and times as the server writes them: ddmmyy in file names and lines,
// hhmm in keyword logs, hhmmss in connection logs.

#include <chrono>
#include <string>
#include <string_view>

namespace kivgen {

using std::chrono::year_month_day;

// "YYYY-MM-DD"; throws std::runtime_error on anything else.
year_month_day ParseDate(std::string_view text);

// ddmmyy, the date fragment of the log file names and of the lines.
std::string DayKey(const year_month_day& ymd);

year_month_day AddDays(const year_month_day& ymd, int days);

unsigned IsoWeekday(const year_month_day& ymd); // 1 = Monday .. 7 = Sunday

constexpr int Hm(int h, int m) { return (h * 60 + m) * 60; } // seconds since midnight

void AppendTwoDigits(std::string& out, int value);
void AppendHhmm(std::string& out, int second);
void AppendHhmmss(std::string& out, int second);

} // namespace kivgen
