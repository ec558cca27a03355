#pragma once
// What both scans do with an error and with the end of a file: the outcome
// keeps every error text in the order met, the caller hears of each at once,
// and nothing is reported once the scan is cancelled.

#include "jobs/LogFolder.h"
#include "jobs/ScanOutcome.h"
#include "logscan/CancelFlag.h"

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <string>

namespace kiv {

class ScanReport {
public:
    using OnError = std::function<void(const std::string&)>;
    using OnFileStarted = std::function<void(std::size_t, std::size_t)>;

    ScanReport(ScanOutcome& outcome, const OnError& onError, const OnFileStarted& onFileStarted,
               const std::atomic<bool>* cancel)
        : outcome_(outcome), onError_(onError), onFileStarted_(onFileStarted), cancel_(cancel)
    {
    }

    bool Cancelled() const noexcept { return kiv::Cancelled(cancel_); }

    void Error(const std::string& message)
    {
        if (Cancelled())
            return;
        outcome_.allRead = false;
        outcome_.errors.push_back(message);
        if (onError_)
            onError_(message);
    }

    // The day's files as the log folder listed them: counted in the outcome
    // and told to onFilesFound. False, with the folder's error reported, when
    // the folder could not be listed: the scan then ends there.
    bool FolderListed(const LogFolderListing& listing, const std::function<void(std::size_t)>& onFilesFound)
    {
        if (listing.error) {
            Error(*listing.error);
            return false;
        }
        outcome_.filesFound = listing.files.size();
        if (onFilesFound && !Cancelled())
            onFilesFound(listing.files.size());
        return true;
    }

    // Before file index of count is searched.
    void FileStarted(std::size_t index, std::size_t count)
    {
        if (index < count && onFileStarted_ && !Cancelled())
            onFileStarted_(index, count);
    }

    // Called last: the scan's own verdict, and the cancel as it stands.
    ScanOutcome& Finish(bool everyFileRead)
    {
        outcome_.cancelled = Cancelled();
        outcome_.allRead = outcome_.allRead && everyFileRead && !outcome_.cancelled;
        return outcome_;
    }

private:
    ScanOutcome& outcome_;
    const OnError& onError_;
    const OnFileStarted& onFileStarted_;
    const std::atomic<bool>* cancel_;
};

// The text of a failure that no file's error already covers: the scan as a
// whole ran out of memory, or something went wrong that the engine did not foresee.
std::string UnforeseenFailureText(const std::exception& failure);

} // namespace kiv
