#include "bench/CorpusClock.h"

#include "bench/Concat.h"

#include <charconv>
#include <stdexcept>

namespace kivgen {

year_month_day ParseDate(std::string_view text)
{
    auto number = [&](std::size_t at, std::size_t length) {
        int value = -1;
        const char* first = text.data() + at;
        const auto [end, error] = std::from_chars(first, first + length, value);
        return error == std::errc() && end == first + length ? value : -1;
    };
    const int y = text.size() == 10 ? number(0, 4) : -1;
    const int m = text.size() == 10 ? number(5, 2) : -1;
    const int d = text.size() == 10 ? number(8, 2) : -1;
    if (y < 0 || m < 0 || d < 0 || text[4] != '-' || text[7] != '-')
        throw std::runtime_error(Concat("expected a date as YYYY-MM-DD: ", text));
    const year_month_day ymd{std::chrono::year(y), std::chrono::month(static_cast<unsigned>(m)),
                             std::chrono::day(static_cast<unsigned>(d))};
    if (!ymd.ok()) throw std::runtime_error(Concat("no such date: ", text));
    return ymd;
}

void AppendTwoDigits(std::string& out, int value)
{
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

std::string DayKey(const year_month_day& ymd)
{
    std::string key;
    AppendTwoDigits(key, static_cast<int>(static_cast<unsigned>(ymd.day())));
    AppendTwoDigits(key, static_cast<int>(static_cast<unsigned>(ymd.month())));
    AppendTwoDigits(key, static_cast<int>(ymd.year()) % 100);
    return key;
}

year_month_day AddDays(const year_month_day& ymd, int days)
{
    return year_month_day{std::chrono::sys_days(ymd) + std::chrono::days(days)};
}

unsigned IsoWeekday(const year_month_day& ymd)
{
    return std::chrono::weekday(std::chrono::sys_days(ymd)).iso_encoding();
}

void AppendHhmm(std::string& out, int second)
{
    AppendTwoDigits(out, second / 3600);
    AppendTwoDigits(out, second / 60 % 60);
}

void AppendHhmmss(std::string& out, int second)
{
    AppendHhmm(out, second);
    AppendTwoDigits(out, second % 60);
}

} // namespace kivgen
