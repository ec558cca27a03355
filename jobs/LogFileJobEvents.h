#pragma once
// What a job over the day's or month's log files tells its caller, the same
// for the keyword search and the room scan, so that the window and the
// command line follow both the same way. Every event runs on the thread that
// runs the job, in this order: the file count once, then for each file its
// start, its items in batches and its error if it has one.
//
// A job's items come in batches of its own type (KeywordSearchEvents'
// onResults, OccupationEvents' onSessions): in order, at least every 50 ms
// while items come and whatever is left when a file ends, at most 2,048 in
// one batch, so that the window takes each in a few milliseconds; never an
// empty batch.

#include <cstddef>
#include <functional>
#include <string>

namespace kiv {

struct LogFileJobEvents {
    // Once, after the finder listed the files and before any is read.
    std::function<void(std::size_t fileCount)> onFilesFound;
    // Before the file of that index is read (the progress bar's position).
    std::function<void(std::size_t fileIndex, std::size_t fileCount)> onFileStarted;
    // A file or folder that could not be read, as the message box says it.
    std::function<void(const std::string& message)> onError;
};

} // namespace kiv
