#pragma once
// Which log files a search reads. The server names each log file after the day
// it covers: the file name ends with the day, the month and the two-digit year
// (ddmmyy), then the extension; connection logs carry an "r" just before the
// date. A keyword search looks at one day, one month or every day; the room
// occupation looks at one day's connection logs.

#include <optional>
#include <string>
#include <string_view>

namespace kiv {

struct LogDate {
    int year;
    int month; // 1 to 12
    int day;   // 1 to 31
};

// The three items of the window's scope choice.
enum class SearchScope { Mois, Jour, Tout };

// The scope named by a radio item's text or a script's --scope: "Mois",
// "Jour" or "Tout" in any letter case; nothing for any other text.
std::optional<SearchScope> ScopeFromText(std::string_view text);

// The date fragment of the log file names: ddmmyy for a day, mmyy for a month,
// empty for every day. Built from the date's fields, so the workstation's date
// format plays no part.
std::string DateKey(LogDate date, SearchScope scope);

// ddmmyy: the fragment of one day's file names.
std::string DayKey(LogDate date);

// The folder the server writes its logs into, with its final separator.
std::string DefaultLogFolder();

// The folder as the start of a mask: a separator is added when the folder does
// not end with one; an empty folder (the current one) stays empty.
std::string LogFolderPrefix(std::string_view dir);

// The keyword logs of the scope: prefix + "*" + DateKey + ".txt".
std::string KeywordLogMask(std::string_view folderPrefix, LogDate date, SearchScope scope);

// One day's connection logs: prefix + "*r" + ddmmyy + ".*".
std::string ConnectionLogMask(std::string_view folderPrefix, LogDate date);

// True for a day of the Gregorian calendar between the years 1 and 9999.
bool IsValidDate(LogDate date);

// Today's date on the machine's own clock and time zone: the day that a
// search, a room scan or the watch of the day takes when none is given.
LogDate LocalToday();

} // namespace kiv
