#include "OccupationJob.h"

#include "LogFolder.h"
#include "OccupationScan.h"
#include "ScanReport.h"
#include "TimedBatches.h"

namespace kiv {

LogFolderListing OccupationFiles(const OccupationRequest& request)
{
    return ListLogFiles(request.logFolder, ConnectionLogMask("", request.date));
}

ScanOutcome RunOccupationJob(const OccupationRequest& request, const OccupationEvents& events,
                             const std::atomic<bool>* cancel)
{
    ScanOutcome outcome;
    ScanReport report(outcome, events.onError, events.onFileStarted, cancel);
    try {
        // The connection logs of the day: "*r" + ddmmyy + ".*".
        const LogFolderListing listing = OccupationFiles(request);
        if (!report.FolderListed(listing, events.onFilesFound))
            return report.Finish(false);

        TimedBatches<SessionEntry> batches(events.onSessions, cancel);
        OccupationScanEvents scan;
        scan.pairLogouts = request.logoutTimes;
        scan.onSessions = [&](std::vector<SessionEntry>&& sessions) { batches.AddAll(std::move(sessions)); };
        scan.onProgress = [&](std::size_t done, std::size_t total) {
            batches.Flush();
            report.FileStarted(done, total);
        };
        scan.onError = [&](const std::string& message) {
            batches.Flush();
            report.Error(message);
        };
        report.FileStarted(0, listing.files.size());
        const bool everyFileRead = RunOccupationScan(listing.files, request.room, scan, cancel, request.threads);
        batches.Flush();
        return report.Finish(everyFileRead);
    } catch (const std::exception& failure) {
        report.Error(UnforeseenFailureText(failure));
        return report.Finish(false);
    }
}

} // namespace kiv
