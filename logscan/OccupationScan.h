#pragma once
// The room occupation scan: the connection logs of one day, read file by file,
// each login line of the chosen room paired with its logout and handed on as
// a session.

#include "logscan/LogLineReader.h"
#include "logscan/ScanThreads.h"
#include "logscan/SessionEntry.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kiv {

// What a room scan keeps from one file to the next: the file's bytes and the
// lists of its lines, some 150 MB for a busy day (a few when it only counts).
// Memory taken afresh for every file is zeroed and mapped page by page by
// the system, then given back: a caller that scans day after day on one
// thread (a period's days) keeps one of these and hands it to every day. One
// scan at a time uses it.
class OccupationScanMemory {
public:
    OccupationScanMemory();
    ~OccupationScanMemory();
    OccupationScanMemory(const OccupationScanMemory&) = delete;
    OccupationScanMemory& operator=(const OccupationScanMemory&) = delete;

    struct Parts;
    Parts& Held() noexcept { return *parts_; }

private:
    std::unique_ptr<Parts> parts_;
};

// Sessions counted by room and by the hour form of their login time, which is
// all that a count of room use needs of them. The key is the session's room,
// a hyphen, then its login hour ("S514-08h25"): a room field never holds a
// hyphen (it ends at the first), so the key is cut at its first one
// (SplitRoomHour).
using RoomHourCounts = std::unordered_map<std::string, std::uint64_t>;

struct RoomHour {
    std::string_view room;
    std::string_view hour;
};
RoomHour SplitRoomHour(std::string_view key) noexcept;

// Sessions handed on a batch at a time, the receiver keeping them.
using SessionBatchSink = std::function<void(std::vector<SessionEntry>&&)>;

struct OccupationScanEvents {
    // Each session, in file order, then in line order.
    std::function<void(const SessionEntry&)> onSession;
    // Or, when set instead, the same sessions in batches given away: a
    // receiver that keeps them (the window's worker) copies nothing.
    SessionBatchSink onSessions;
    // Or, when set instead of both, the sessions are only counted, into it:
    // no session is made and no logout looked for, and each file is read a
    // piece at a time rather than whole, on the calling thread alone. A file's sessions are added once it
    // is read (up to a refused line, as the sessions would be); a file that
    // cannot be read to its end adds none, as it would give no session.
    RoomHourCounts* counts = nullptr;
    // How much of a file a count reads at once: a few thousand lines, which
    // stay in the processor's cache from their read to their count.
    std::size_t pieceBytes = std::size_t{1} << 18;
    // After each file.
    std::function<void(std::size_t filesDone, std::size_t filesTotal)> onProgress;
    // A file that could not be read, with the message for the user; the scan
    // goes on with the next file.
    std::function<void(const std::string& message)> onError;
    // False when the caller only counts sessions: each comes without its
    // logout time (left empty), and no logout line is looked for, which is
    // most of a busy day's cost.
    bool pairLogouts = true;
};

// Scans the files in order. Returns true when every file was read whole, false
// when one was skipped or cut short or the scan was cancelled. The callbacks
// run on the calling thread. cancel is looked at between files and every few
// thousand lines; once it is set no further session is reported. A large file
// is scanned by several threads (threads says how many), its sessions still
// handed on in line order on the calling thread. memory, when given, is used
// and kept for the next scan; without it the scan uses its own.
bool RunOccupationScan(const std::vector<std::string>& files, std::string_view room,
                       const OccupationScanEvents& events, const std::atomic<bool>* cancel = nullptr,
                       const ScanThreads& threads = {}, OccupationScanMemory* memory = nullptr);

// The sessions of one file's lines (its Content(), so a reader that read the
// content alone will do), in line order: every line that passes the room
// filter and is a login line, with the logout time of the first later line of
// the file that closes its user's session.
void ExtractSessions(const LogLineReader& lines, std::string_view room,
                     const std::function<void(const SessionEntry&)>& onSession,
                     const std::atomic<bool>* cancel = nullptr, const ScanThreads& threads = {},
                     bool pairLogouts = true);

// The same sessions in batches of consecutive lines, never an empty one;
// without their logout times when pairLogouts is false.
void ExtractSessionBatches(const LogLineReader& lines, std::string_view room, const SessionBatchSink& onBatch,
                           const std::atomic<bool>* cancel = nullptr, const ScanThreads& threads = {},
                           bool pairLogouts = true);

} // namespace kiv
