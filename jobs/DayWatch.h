#pragma once
// The watch of the day: the keyword logs of one day followed as the server
// writes them, so that the staff learn during the lesson, not the next
// morning, that a pupil typed a watched word. Each line a file gains is
// matched, rewritten and shown in bold exactly as "Rechercher" on that day
// would show it.
//
// The server's share may be a network mount that sends no change
// notifications, so the watch looks at the day's files at an interval: their
// identity, size and modification time. What it keeps is one record per file
// of the day (a few bytes and at most one unfinished line) and one piece of
// reading: watching for hours, or a log that grows by gigabytes, costs no
// more memory than watching for a minute.

#include "jobs/KeywordSearchJob.h"
#include "logscan/CancelFlag.h"
#include "logscan/LogMask.h"
#include "logscan/TextList.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

struct DayWatchTools;

struct DayWatchRequest {
    std::filesystem::path logFolder; // the system's own path, never re-encoded
    TextList words;
    // That day only, never moving on (a day being replayed); otherwise the
    // current day, moving on to the next at midnight.
    std::optional<LogDate> day;
    // The results the day's files held when the watch started come first;
    // otherwise only what the files gain from then on.
    bool catchUp = false;
    // Set from any thread: the build of a long word list stops soon after
    // (the watch is over before it began); a look stops between two pieces
    // of a log, what it read whole delivered.
    const std::atomic<bool>* cancel = nullptr;
    // How much of a log is read at once, and the longest line kept whole: a
    // longer line is shown by its first bytes, with the first watched word
    // found anywhere in it. What the watch holds stays near these, however
    // fast the logs grow or however large they are.
    std::size_t pieceSize = std::size_t{256} << 10;
    std::size_t longestLine = std::size_t{1} << 20;
};

struct DayWatchEvents {
    // The results of one look at the files, in file and line order; a look
    // that found a great many (a catch-up) hands them on in several batches,
    // as a search does. Never an empty batch.
    std::function<void(std::vector<KeywordSearchResult>&& batch)> onResults;
    // "Impossible d'ouvrir le dossier %s" once when the log folder goes away
    // (told again only after it came back); a file that cannot be read or
    // whose indentation the reader refuses, once.
    std::function<void(const std::string& message)> onError;
    // Once at the end of every look, after its last batch and error, whether
    // it found anything or not: what a look found is told to the staff once.
    std::function<void()> onLookDone;
    // A log read again from its start because it changed otherwise than by
    // growing (cut shorter, replaced, rewritten, refilled): its watched lines
    // may come a second time. Without this event the text goes to onError.
    std::function<void(const std::string& message)> onReread;
};


class DayWatch {
public:
    using Today = std::function<LogDate()>;

    // today: the clock, asked at each look when the request names no day.
    // Throws BuildCancelled when the request's cancel stopped the build.
    DayWatch(DayWatchRequest request, DayWatchEvents events, Today today = LocalToday);
    ~DayWatch();
    DayWatch(const DayWatch&) = delete;
    DayWatch& operator=(const DayWatch&) = delete;

    // One look at the day's files; the events run on the calling thread. The
    // first look takes the files as they stand (from their last whole line,
    // or from their start with catchUp); later looks deliver what they gained.
    void Look();

    // The day the watch follows now.
    LogDate Day() const noexcept { return day_; }

private:
    struct WatchedFile;
    struct Batch;
    void LookAtFiles();
    bool ListingStillHolds(LogDate day);
    void EndDay(Batch& batch);
    void StartAfterLastLine(const std::string& path, WatchedFile& file);
    void ReadGained(const std::string& path, WatchedFile& file, bool dayEnds, Batch& batch);
    void TakeLines(WatchedFile& file, std::string_view lines, Batch& batch);
    void TakeLongLine(WatchedFile& file, std::string_view head, Batch& batch);
    std::optional<std::string> CheckIndentation(WatchedFile& file, std::string_view lines);
    void ReportRefusal(WatchedFile& file, const std::optional<std::string>& refusal, Batch& batch);
    void ReportOnce(bool& reported, const std::string& message);

    DayWatchRequest request_;
    DayWatchEvents events_;
    Today today_;
    std::unique_ptr<DayWatchTools> tools_;
    LogDate day_{};
    bool started_ = false;
    bool folderReported_ = false;
    std::optional<std::filesystem::file_time_type> listedAt_; // the folder's time at the last listing
    int looksSinceListing_ = 0;
    std::map<std::string, WatchedFile> files_; // by path as the finder gives it
    std::vector<std::string> order_;           // the files in the finder's order
};

// When the watch looks: every interval, sooner when Nudge is called (a change
// notification), never again once Stop was called. Stop and Nudge may be
// called from any thread.
class WatchPace {
public:
    void Stop();
    void Nudge();
    bool Stopped() const;
    // Set once Stop was called: the cancel flag of the watch it paces.
    const std::atomic<bool>* StopFlag() const noexcept { return &stopped_; }
    // Waits up to interval or until a nudge or a stop; false once stopped.
    bool Wait(std::chrono::milliseconds interval);

private:
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<bool> stopped_{false}; // written under mutex_, read anywhere
    bool nudged_ = false;
};

// Looks at once, then at each pace until it stops; watching is called once
// the first look is over (what the files held then is the watch's start).
void RunDayWatch(DayWatch& watch, WatchPace& pace, std::chrono::milliseconds interval,
                 const std::function<void()>& watching = {});

} // namespace kiv
