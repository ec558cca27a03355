#include "OccupationJob.h"

#include "LogFileJob.h"
#include "OccupationScan.h"

namespace kiv {

ScanOutcome RunOccupationJob(const OccupationRequest& request, const OccupationEvents& events,
                             const std::atomic<bool>* cancel)
{
    return RunLogFileJob<SessionEntry>(
        events, events.onSessions, cancel,
        // The connection logs of the day: "*r" + ddmmyy + ".*".
        [&] { return ListLogFiles(request.logFolder, ConnectionLogMask("", request.date)); },
        [&](const std::vector<std::string>& files, LogFileJobSteps<SessionEntry>& steps) {
            OccupationScanEvents scan;
            steps.Wire(scan);
            scan.onSessions = [&](std::vector<SessionEntry>&& sessions) { steps.Batches().AddAll(std::move(sessions)); };
            return RunOccupationScan(files, request.room, scan, cancel);
        });
}

} // namespace kiv
