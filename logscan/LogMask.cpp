#include "logscan/LogMask.h"

#include "common/AsciiCase.h"

#include <ctime>

namespace kiv {
namespace {

void AppendTwoDigits(std::string& out, int value)
{
    // Only the last two digits name the date in a file name (the year 2006 is "06").
    const int v = ((value % 100) + 100) % 100;
    out += static_cast<char>('0' + v / 10);
    out += static_cast<char>('0' + v % 10);
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool EndsWithSeparator(std::string_view dir)
{
    const char last = dir.back();
#ifdef _WIN32
    // "X:" names the current folder of drive X: a separator would change it.
    return last == '\\' || last == '/' || last == ':';
#else
    // The finder splits a mask at a backslash as well, so one already ends the folder.
    return last == '/' || last == '\\';
#endif
}

} // namespace

std::optional<SearchScope> ScopeFromText(std::string_view text)
{
    const std::string upper = AsciiUpperCopy(text);
    if (upper == "MOIS")
        return SearchScope::Mois;
    if (upper == "JOUR")
        return SearchScope::Jour;
    if (upper == "TOUT")
        return SearchScope::Tout;
    return std::nullopt;
}

std::string DateKey(LogDate date, SearchScope scope)
{
    std::string key;
    switch (scope) {
    case SearchScope::Jour:
        AppendTwoDigits(key, date.day);
        [[fallthrough]];
    case SearchScope::Mois:
        AppendTwoDigits(key, date.month);
        AppendTwoDigits(key, date.year);
        break;
    case SearchScope::Tout:
        break;
    }
    return key;
}

std::string DayKey(LogDate date)
{
    return DateKey(date, SearchScope::Jour);
}

std::string DefaultLogFolder()
{
#ifdef _WIN32
    return "X:\\Torvel\\Services\\logs\\";
#else
    return "/mnt/Torvel/Services/logs/";
#endif
}

std::string LogFolderPrefix(std::string_view dir)
{
    std::string prefix(dir);
    if (!dir.empty() && !EndsWithSeparator(dir)) {
#ifdef _WIN32
        prefix += '\\';
#else
        prefix += '/';
#endif
    }
    return prefix;
}

std::string KeywordLogMask(std::string_view folderPrefix, LogDate date, SearchScope scope)
{
    return std::string(folderPrefix) + "*" + DateKey(date, scope) + ".txt";
}

std::string ConnectionLogMask(std::string_view folderPrefix, LogDate date)
{
    return std::string(folderPrefix) + "*r" + DayKey(date) + ".*";
}

bool IsValidDate(LogDate date)
{
    static constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.year < 1 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1)
        return false;
    int days = kDaysInMonth[date.month - 1];
    if (date.month == 2 && IsLeapYear(date.year))
        days = 29;
    return date.day <= days;
}

LogDate LocalToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

} // namespace kiv
