#pragma once
// The room occupation of one day: the day's connection logs found in the log
// folder, each login of the room paired with its logout, the sessions handed
// on in batches in file and line order.

#include "jobs/LogFileJobEvents.h"
#include "jobs/LogFolder.h"
#include "jobs/ScanOutcome.h"
#include "logscan/LogMask.h"
#include "logscan/OccupationScan.h"
#include "logscan/ScanThreads.h"
#include "logscan/SessionEntry.h"
#include "logscan/SessionParser.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kiv {

struct OccupationRequest {
    std::filesystem::path logFolder; // the system's own path, never re-encoded
    LogDate date{};
    std::string room{kAllRooms}; // Windows-1252, as the room box holds it
    // How one large log spreads over the cores; a period's days, scanned side
    // by side, each keep to one thread.
    ScanThreads threads{};
    // False for a caller that counts sessions: they come without their logout
    // times, which are then not looked for.
    bool logoutTimes = true;
    // Memory that a caller scanning day after day keeps for the next day;
    // null: the scan takes its own.
    OccupationScanMemory* memory = nullptr;
};

struct OccupationEvents : LogFileJobEvents {
    // The sessions, in file and line order, in batches as LogFileJobEvents
    // says.
    std::function<void(std::vector<SessionEntry>&& batch)> onSessions;
    // Or, when set instead, the sessions are only counted, into it, as the
    // scan counts them (OccupationScanEvents::counts): none is made.
    RoomHourCounts* counts = nullptr;
};

// The connection logs that the scan of this request reads, as the finder
// lists them: the one place that decides it, which the scan itself, the window
// and the command line ask.
LogFolderListing OccupationFiles(const OccupationRequest& request);

// All events run on the calling thread. Once cancel is set nothing more is
// delivered and the scan returns soon after. A log folder that is missing or
// cannot be listed gives onError ("Impossible d'ouvrir le dossier %s") and
// nothing else. Whatever fails, the scan returns with the failure in its
// outcome: nothing is thrown to the worker thread that runs it.

ScanOutcome RunOccupationJob(const OccupationRequest& request, const OccupationEvents& events,
                             const std::atomic<bool>* cancel = nullptr);

} // namespace kiv
