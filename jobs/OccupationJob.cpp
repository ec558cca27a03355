#include "OccupationJob.h"

#include "LogFolder.h"
#include "OccupationScan.h"
#include "ScanReport.h"
#include "TimedBatches.h"

namespace kiv {

ScanOutcome RunOccupationJob(const OccupationRequest& request, const OccupationEvents& events,
                             const std::atomic<bool>* cancel)
{
    ScanOutcome outcome;
    ScanReport report(outcome, events.onError, events.onFileStarted, cancel);
    try {
        // The connection logs of the day: "*r" + ddmmyy + ".*".
        const LogFolderListing listing = ListLogFiles(request.logFolder, ConnectionLogMask("", request.date));
        if (listing.error) {
            report.Error(*listing.error);
            return report.Finish(false);
        }
        outcome.filesFound = listing.files.size();
        if (events.onFilesFound && !report.Cancelled())
            events.onFilesFound(listing.files.size());

        TimedBatches<SessionEntry> batches(events.onSessions, cancel);
        OccupationScanEvents scan;
        scan.onSession = [&](const SessionEntry& session) { batches.Add(SessionEntry(session)); };
        scan.onProgress = [&](std::size_t done, std::size_t total) {
            batches.Flush();
            report.FileStarted(done, total);
        };
        scan.onError = [&](const std::string& message) {
            batches.Flush();
            report.Error(message);
        };
        report.FileStarted(0, listing.files.size());
        const bool everyFileRead = RunOccupationScan(listing.files, request.room, scan, cancel);
        batches.Flush();
        return report.Finish(everyFileRead);
    } catch (const std::exception& failure) {
        report.Error(UnforeseenFailureText(failure));
        return report.Finish(false);
    }
}

} // namespace kiv
