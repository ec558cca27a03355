#include "jobs/OccupationJob.h"

#include "jobs/detail/LogFileJob.h"

namespace kiv {

LogFolderListing OccupationFiles(const OccupationRequest& request)
{
    return ListLogFiles(request.logFolder, ConnectionLogMask("", request.date));
}

ScanOutcome RunOccupationJob(const OccupationRequest& request, const OccupationEvents& events,
                             const std::atomic<bool>* cancel)
{
    return RunLogFileJob<SessionEntry>(
        events, events.onSessions, cancel,
        // The connection logs of the day: "*r" + ddmmyy + ".*".
        [&] { return OccupationFiles(request); },
        [&](const std::vector<std::string>& files, LogFileJobSteps<SessionEntry>& steps) {
            OccupationScanEvents scan;
            steps.Wire(scan);
            scan.pairLogouts = request.logoutTimes;
            if (events.counts)
                scan.counts = events.counts; // nothing to hand on as it comes
            else
                scan.onSessions = [&](std::vector<SessionEntry>&& sessions) {
                    steps.Batches().AddAll(std::move(sessions));
                };
            return RunOccupationScan(files, request.room, scan, cancel, request.threads, request.memory);
        });
}

} // namespace kiv
