#include "jobs/PeriodJob.h"

#include "jobs/LogFolder.h"
#include "jobs/OccupationJob.h"
#include "jobs/detail/ScanReport.h"
#include "logscan/ScanThreads.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <numeric>
#include <unordered_map>
#include <utility>

namespace kiv {
namespace {

std::chrono::sys_days ToDays(LogDate date)
{
    using namespace std::chrono;
    return sys_days{year{date.year} / month{static_cast<unsigned>(date.month)} / day{static_cast<unsigned>(date.day)}};
}

LogDate FromDays(std::chrono::sys_days days)
{
    const std::chrono::year_month_day date{days};
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day()))};
}

// The date a hundred years before or after; a 29 February that the other
// year lacks becomes the 1st of March.
std::chrono::sys_days HundredYearsFrom(LogDate date, int sign)
{
    using namespace std::chrono;
    return sys_days{year{date.year + sign * 100} / month{static_cast<unsigned>(date.month)}
                    / day{static_cast<unsigned>(date.day)}};
}

std::string ShownDate(LogDate date)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", date.day, date.month, date.year);
    return text;
}

// The slot rule under the request's headers, asked once for each login time
// met: a busy day has a few hundred distinct minutes and hundreds of thousands
// of sessions.
class SlotColumnsOf {
public:
    explicit SlotColumnsOf(const std::vector<std::string>& headerRow) : headerRow_(headerRow) {}

    const std::vector<int>& Of(const std::string& loginTime)
    {
        const auto [found, added] = known_.try_emplace(loginTime);
        if (added)
            found->second = SlotColumns(loginTime, headerRow_);
        return found->second;
    }

private:
    std::vector<std::string> headerRow_;
    std::unordered_map<std::string, std::vector<int>> known_;
};

// What one day's scan found, kept until every day before it is reported.
struct DayTally {
    std::unordered_map<std::string, RoomUse> rooms;
    ScanOutcome outcome;
    bool done = false;
};

// What one thread keeps from one day to the next.
struct DayCounter {
    explicit DayCounter(const std::vector<std::string>& headerRow) : columns(headerRow) {}

    SlotColumnsOf columns;
    OccupationScanMemory memory;
    RoomHourCounts byRoomAndHour; // a day has a few thousand
};

void CountDay(const PeriodRequest& request, LogDate date, const ScanThreads& threads, DayCounter& counter,
              DayTally& tally, const std::atomic<bool>* cancel)
{
    counter.byRoomAndHour.clear();
    OccupationEvents events;
    events.counts = &counter.byRoomAndHour;
    // A session counts in its login's columns: its logout time plays no part.
    OccupationRequest day{request.logFolder, date, request.room, threads, false, &counter.memory};
    tally.outcome = RunOccupationJob(day, events, cancel);
    for (const auto& [key, count] : counter.byRoomAndHour) {
        const RoomHour session = SplitRoomHour(key);
        auto [found, added] = tally.rooms.try_emplace(std::string(session.room));
        RoomUse& use = found->second;
        if (added)
            use.room = session.room;
        use.sessions += count;
        for (int column : counter.columns.Of(std::string(session.hour)))
            use.bySlot[static_cast<std::size_t>(column)] += count;
    }
}

// The days' tallies taken into the period in day order, whichever thread ends
// a day: errors and progress come out as if one thread had scanned the days
// one after the other.
class DayReporter {
public:
    DayReporter(std::vector<DayTally>& days, ScanReport& report, const PeriodEvents& events, ScanOutcome& outcome)
        : days_(days), report_(report), events_(events), outcome_(outcome)
    {
    }

    void Ended(std::size_t day)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        days_[day].done = true;
        for (; next_ < days_.size() && days_[next_].done; ++next_) {
            if (report_.Cancelled())
                continue;
            DayTally& tally = days_[next_];
            for (const std::string& message : tally.outcome.errors)
                report_.Error(message);
            everyLogRead_ = everyLogRead_ && tally.outcome.allRead;
            outcome_.filesFound += tally.outcome.filesFound;
            for (auto& [room, use] : tally.rooms) {
                RoomUse& sum = rooms_.try_emplace(room).first->second;
                sum.room = room;
                sum.sessions += use.sessions;
                for (std::size_t c = 0; c < sum.bySlot.size(); ++c)
                    sum.bySlot[c] += use.bySlot[c];
            }
            tally.rooms = {};
            if (events_.onProgress)
                events_.onProgress(next_ + 1, days_.size());
        }
    }

    bool EveryLogRead() const noexcept { return everyLogRead_; }
    std::map<std::string, RoomUse, std::less<>>& Rooms() noexcept { return rooms_; }

private:
    std::mutex mutex_;
    std::vector<DayTally>& days_;
    ScanReport& report_;
    const PeriodEvents& events_;
    ScanOutcome& outcome_;
    std::size_t next_ = 0;
    bool everyLogRead_ = true;
    std::map<std::string, RoomUse, std::less<>> rooms_; // byte order
};

// The rooms of the list first, in its order (a room listed twice once), then
// the others in byte order.
std::vector<RoomUse> InRoomOrder(std::map<std::string, RoomUse, std::less<>>& rooms, const TextList& order)
{
    std::vector<RoomUse> ordered;
    ordered.reserve(rooms.size());
    for (std::string_view room : order) {
        const auto found = rooms.find(room);
        if (found == rooms.end())
            continue;
        ordered.push_back(std::move(found->second));
        rooms.erase(found);
    }
    for (auto& [room, use] : rooms)
        ordered.push_back(std::move(use));
    return ordered;
}

} // namespace

std::uint64_t RoomUse::Total() const noexcept
{
    return std::accumulate(bySlot.begin(), bySlot.end(), std::uint64_t{0});
}

std::array<std::uint64_t, kSlotColumnCount> PeriodUse::SlotTotals() const noexcept
{
    std::array<std::uint64_t, kSlotColumnCount> totals{};
    for (const RoomUse& use : rooms)
        for (std::size_t c = 0; c < totals.size(); ++c)
            totals[c] += use.bySlot[c];
    return totals;
}

std::uint64_t PeriodUse::Total() const noexcept
{
    const auto totals = SlotTotals();
    return std::accumulate(totals.begin(), totals.end(), std::uint64_t{0});
}

LogDate LastDayOfPeriodFrom(LogDate first)
{
    return FromDays(HundredYearsFrom(first, +1) - std::chrono::days{1});
}

LogDate FirstDayOfPeriodTo(LogDate last)
{
    const std::chrono::sys_days first = HundredYearsFrom(FromDays(ToDays(last) + std::chrono::days{1}), -1);
    // A 29 February a hundred years before a year that has none may begin
    // the period too.
    const LogDate dayBefore = FromDays(first - std::chrono::days{1});
    return PeriodWithinLimit(dayBefore, last) ? dayBefore : FromDays(first);
}

bool PeriodWithinLimit(LogDate first, LogDate last)
{
    return ToDays(last) <= ToDays(LastDayOfPeriodFrom(first));
}

std::string PeriodTooLongMessage(LogDate first)
{
    return "Une p\xE9riode ne peut pas d\xE9passer cent ans moins un jour : du " + ShownDate(first)
           + ", au plus jusqu'au " + ShownDate(LastDayOfPeriodFrom(first));
}

std::vector<LogDate> PeriodDays(LogDate first, LogDate last)
{
    std::vector<LogDate> days;
    const std::chrono::sys_days end = std::min(ToDays(last), ToDays(LastDayOfPeriodFrom(first)));
    for (std::chrono::sys_days day = ToDays(first); day <= end; day += std::chrono::days{1})
        days.push_back(FromDays(day));
    return days;
}

std::vector<std::string> PeriodFiles(const PeriodRequest& request)
{
    std::vector<std::string> files;
    for (const LogDate& date : PeriodDays(request.first, request.last)) {
        const LogFolderListing day = OccupationFiles({request.logFolder, date, request.room});
        files.insert(files.end(), day.files.begin(), day.files.end());
    }
    return files;
}

PeriodResult RunPeriodJob(const PeriodRequest& request, const PeriodEvents& events, const std::atomic<bool>* cancel)
{
    PeriodResult result;
    result.use.headers = request.headerRow;
    result.use.headers.resize(kSlotColumnCount);
    ScanReport report(result.outcome, events.onError, {}, cancel);
    try {
        if (!PeriodWithinLimit(request.first, request.last)) {
            report.Error(PeriodTooLongMessage(request.first));
            report.Finish(false);
            return result;
        }
        const std::vector<LogDate> dates = PeriodDays(request.first, request.last);
        const std::size_t dayCount = dates.size();
        if (dayCount == 0) {
            report.Finish(true);
            return result;
        }
        // A folder that is not there is said once, not once a day.
        const LogFolderListing firstDay = ListLogFiles(request.logFolder, ConnectionLogMask("", request.first));
        if (firstDay.error) {
            report.Error(*firstDay.error);
            report.Finish(false);
            return result;
        }

        std::vector<DayTally> days(dayCount);
        DayReporter reporter(days, report, events, result.outcome);
        const unsigned workers =
            static_cast<unsigned>(std::min<std::size_t>(DefaultThreadCount(ScanKind::ManyFiles), dayCount));
        // Days side by side, one thread each; a single day spreads its log
        // over the cores instead.
        const ScanThreads perDay = workers > 1 ? ScanThreads{1} : ScanThreads{};
        std::atomic<std::size_t> nextDay{0};
        RunOnThreads(workers, [&](unsigned) {
            DayCounter counter(result.use.headers);
            for (std::size_t day = nextDay++; day < dayCount; day = nextDay++) {
                if (!Cancelled(cancel))
                    CountDay(request, dates[day], perDay, counter, days[day], cancel);
                reporter.Ended(day);
            }
        });
        result.use.rooms = InRoomOrder(reporter.Rooms(), request.roomOrder);
        report.Finish(reporter.EveryLogRead());
        return result;
    } catch (const std::exception& failure) {
        report.Error(UnforeseenFailureText(failure));
        report.Finish(false);
        return result;
    }
}

} // namespace kiv
