#pragma once
// Room use over a period: for each room and each slot column of the day
// table, how many sessions that day's table placed in the column, summed from
// the first day to the last. Each day reads the day's own connection logs
// through the occupation job, with the same room filter, but only counts the
// logins by room and hour: a session's column depends on its login time alone,
// so no logout is looked for and no session is made. Each login goes to the
// columns of the slot rule (logscan/SlotRule.h), so that the period is always
// the sum of the day tables that the room tab shows.

#include "jobs/ScanOutcome.h"
#include "logscan/LogMask.h"
#include "logscan/SessionParser.h"
#include "logscan/SlotRule.h"
#include "logscan/TextList.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kiv {

struct PeriodRequest {
    std::filesystem::path logFolder; // the system's own path, never re-encoded
    LogDate first{};
    LogDate last{}; // included; a last day before the first gives an empty period
    std::string room{kAllRooms}; // Windows-1252, the room filter as the room box takes it
    // The header cells of the day table (a line break as a carriage return):
    // they decide each session's columns. Missing ones read as empty text.
    std::vector<std::string> headerRow;
    // The rooms of "kiv_salles.txt": their rows come first, in this order.
    TextList roomOrder;
};

// One room's row: the room field of its sessions, byte for byte ("s514" and
// "S514" are two rooms, as they are two texts in the day table).
struct RoomUse {
    std::string room;
    std::array<std::uint64_t, kSlotColumnCount> bySlot{}; // the count of each slot column
    std::uint64_t sessions = 0; // sessions of the room, whichever columns took them
    std::uint64_t Total() const noexcept;
};

struct PeriodUse {
    std::vector<std::string> headers; // the request's header row, kSlotColumnCount of them
    // Every room that had at least one session: the rooms of the request's
    // order first, in that order, then the others in byte order.
    std::vector<RoomUse> rooms;
    std::array<std::uint64_t, kSlotColumnCount> SlotTotals() const noexcept;
    std::uint64_t Total() const noexcept;
};

struct PeriodEvents {
    // After each day, in day order (daysDone from 1 to dayCount).
    std::function<void(std::size_t daysDone, std::size_t dayCount)> onProgress;
    // A log that could not be read, as a day's scan reports it; the period goes
    // on and counts every other log. In day order.
    std::function<void(const std::string& message)> onError;
};

struct PeriodResult {
    PeriodUse use;
    // filesFound counts the logs of every day; a day without a log is no error.
    ScanOutcome outcome;
};

// A log's name holds the year in two digits: the logs of two days a hundred
// years apart are the same files. A period therefore ends at the latest on
// the day before its first day's date a hundred years on (from 1926-12-01 to
// 2026-11-30; from a 29 February to the 28th a hundred years on), and begins
// at the earliest on the day after its last day's date a hundred years back.
LogDate LastDayOfPeriodFrom(LogDate first);
LogDate FirstDayOfPeriodTo(LogDate last);
// Whether no log of the period would be counted twice.
bool PeriodWithinLimit(LogDate first, LogDate last);
// "Une période ne peut pas dépasser cent ans moins un jour : du 01/12/1926,
// au plus jusqu'au 30/11/2026" (Windows-1252).
std::string PeriodTooLongMessage(LogDate first);

// The days from first to last, both included; none when last is before
// first. Never beyond LastDayOfPeriodFrom(first).
std::vector<LogDate> PeriodDays(LogDate first, LogDate last);

// Every log the period reads (full paths, day after day), for a caller that
// must not write over one of them.
std::vector<std::string> PeriodFiles(const PeriodRequest& request);

// Scans the days side by side on the machine's cores. A period beyond the
// limit above is refused: PeriodTooLongMessage is its one error, and nothing
// is counted. The events are called
// one at a time, from the job's threads (the calling one among them). A log
// folder that cannot be listed is reported once and nothing is counted. Once
// cancel is set nothing more is reported and the job returns soon after, its
// outcome marked cancelled. Nothing is thrown.
PeriodResult RunPeriodJob(const PeriodRequest& request, const PeriodEvents& events,
                          const std::atomic<bool>* cancel = nullptr);

} // namespace kiv
