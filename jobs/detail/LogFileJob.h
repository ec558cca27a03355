#pragma once
// What every job over the log files of a day or a month does around its own
// scan: list the files, tell how many there are, hand the scan's items on in
// timed batches, report each file as it starts and each error as met, and
// end with the outcome whatever fails. A job brings only its listing and its
// scan; the order its caller sees stays the same for every job: a file's
// items come before that file's error and before the next file starts.

#include "jobs/LogFolder.h"
#include "jobs/ScanOutcome.h"
#include "jobs/detail/ScanReport.h"
#include "jobs/detail/TimedBatches.h"

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace kiv {

// The part of the wiring a job's scan takes into its own events.
template <class Item>
class LogFileJobSteps {
public:
    LogFileJobSteps(TimedBatches<Item>& batches, ScanReport& report) : batches_(batches), report_(report) {}

    // Gives the scan's events (onProgress, onError) their common wiring.
    template <class ScanEvents>
    void Wire(ScanEvents& scan)
    {
        scan.onProgress = [this](std::size_t done, std::size_t total) {
            batches_.Flush();
            report_.FileStarted(done, total);
        };
        scan.onError = [this](const std::string& message) {
            batches_.Flush();
            report_.Error(message);
        };
    }

    TimedBatches<Item>& Batches() noexcept { return batches_; }

private:
    TimedBatches<Item>& batches_;
    ScanReport& report_;
};

// events: the job's own events (onFilesFound, onFileStarted, onError);
// deliver: where its batches go. list() gives the files; scan(files, steps)
// reads them and returns whether every file was read to its end.
template <class Item, class Events, class List, class Scan>
ScanOutcome RunLogFileJob(const Events& events, const typename TimedBatches<Item>::Deliver& deliver,
                          const std::atomic<bool>* cancel, List&& list, Scan&& scan)
{
    ScanOutcome outcome;
    ScanReport report(outcome, events.onError, events.onFileStarted, cancel);
    try {
        const LogFolderListing listing = list();
        if (!report.FolderListed(listing, events.onFilesFound))
            return report.Finish(false);

        TimedBatches<Item> batches(deliver, cancel);
        LogFileJobSteps<Item> steps(batches, report);
        report.FileStarted(0, listing.files.size());
        const bool everyFileRead = scan(listing.files, steps);
        batches.Flush();
        return report.Finish(everyFileRead);
    } catch (const std::exception& failure) {
        report.Error(UnforeseenFailureText(failure));
        return report.Finish(false);
    }
}

} // namespace kiv
