#pragma once
// The room occupation scan: the connection logs of one day, read file by file,
// each login line of the chosen room paired with its logout and handed on as
// a session.

#include "LogLineReader.h"
#include "ScanThreads.h"
#include "SessionEntry.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// Sessions handed on a batch at a time, the receiver keeping them.
using SessionBatchSink = std::function<void(std::vector<SessionEntry>&&)>;

struct OccupationScanEvents {
    // Each session, in file order, then in line order.
    std::function<void(const SessionEntry&)> onSession;
    // Or, when set instead, the same sessions in batches given away: a
    // receiver that keeps them (the window's worker) copies nothing.
    SessionBatchSink onSessions;
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
// handed on in line order on the calling thread.
bool RunOccupationScan(const std::vector<std::string>& files, std::string_view room,
                       const OccupationScanEvents& events, const std::atomic<bool>* cancel = nullptr,
                       const ScanThreads& threads = {});

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
