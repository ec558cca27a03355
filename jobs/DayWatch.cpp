#include "jobs/DayWatch.h"

#include "jobs/LogFolder.h"
#include "jobs/detail/ScanReport.h"
#include "jobs/detail/TimedBatches.h"
#include "logscan/FileIo.h"
#include "logscan/KeywordMatcher.h"
#include "logscan/KeywordScan.h"
#include "logscan/KivError.h"
#include "logscan/LogLineReader.h"

#include <utility>

namespace kiv {
namespace {

bool SameDay(LogDate a, LogDate b) noexcept
{
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

} // namespace

// What the watch knows of one log file of the day.
struct DayWatch::WatchedFile {
    FileState seen;             // identity and size at the last read
    std::uint64_t taken = 0;    // bytes of whole lines already matched
    std::size_t lastDepth = 0;  // the indentation depth of the last of them
    bool begun = false;         // a line was taken: the next one is a later line
    bool afterCr = false;       // the last line ended at a CR whose LF may come next
    bool refused = false;       // the reader refused a line: the rest is not read
    bool unreadableReported = false;
};

// One look's results, handed on when the look ends.
struct DayWatch::Batch {
    TimedBatches<KeywordSearchResult> results;
};

// The matcher and the reader, kept from look to look.
struct DayWatchTools {
    KeywordMatcher matcher;
    KeywordMatcher::Workspace workspace;
    LogLineReader reader;
    DayWatchTools(const TextList& words, const std::atomic<bool>* cancel)
        : matcher(words, std::nullopt, cancel), workspace(matcher.MakeWorkspace())
    {
    }
};

DayWatch::DayWatch(DayWatchRequest request, DayWatchEvents events, Today today)
    : request_(std::move(request)), events_(std::move(events)), today_(std::move(today)),
      tools_(std::make_unique<DayWatchTools>(request_.words, request_.cancel))
{
}

DayWatch::~DayWatch() = default;

void DayWatch::ReportOnce(bool& reported, const std::string& message)
{
    if (reported)
        return;
    reported = true;
    if (events_.onError)
        events_.onError(message);
}

void DayWatch::Look()
{
    LookAtFiles();
    if (events_.onLookDone)
        events_.onLookDone();
}

void DayWatch::LookAtFiles()
{
    Batch batch{TimedBatches<KeywordSearchResult>(events_.onResults, nullptr)};
    try {
        const LogDate day = request_.day ? *request_.day : today_();
        std::vector<std::string> paths;
        if (!ListingStillHolds(day)) {
            LogFolderListing listing = ListLogFiles(request_.logFolder, KeywordLogMask("", day, SearchScope::Jour));
            if (listing.error) {
                // An unmounted share: the files are looked at again when it is back.
                listedAt_.reset();
                ReportOnce(folderReported_, *listing.error);
                return;
            }
            paths = std::move(listing.files);
        } else {
            paths = order_;
        }
        folderReported_ = false;
        if (started_ && !SameDay(day, day_)) {
            EndDay(batch);
            files_.clear();
            order_.clear();
        }
        // The files there at the start hold what was written before the watch;
        // any file found later is read from its start.
        const bool fromStart = started_ || request_.catchUp;
        day_ = day;
        started_ = true;

        std::map<std::string, WatchedFile> still;
        for (const std::string& path : paths) {
            auto known = files_.extract(path);
            if (known.empty()) {
                WatchedFile& file = still[path];
                ReadGained(path, file, fromStart, false, batch);
                continue;
            }
            WatchedFile& file = still.insert(std::move(known)).position->second;
            const std::optional<FileState> state = LookAtFile(PathFromBytes(path));
            if (state && *state != file.seen)
                ReadGained(path, file, true, false, batch);
        }
        // A file gone from the folder is forgotten: one put back is new.
        files_ = std::move(still);
        order_ = std::move(paths);
    } catch (const std::exception& failure) {
        batch.results.Flush();
        if (events_.onError)
            events_.onError(UnforeseenFailureText(failure));
    }
    batch.results.Flush();
}

// Listing the folder is what a look costs most on a share that holds a year
// of logs, and the day's files change far more often by growing than by
// coming or going. The last listing is kept while the folder's modification
// time, which a file created, removed or renamed changes, stays as it was;
// it is listed again when that time is too recent to tell a change made just
// after the listing, on a new day, and every tenth look in any case (a share
// may be slow to pass the time on).
bool DayWatch::ListingStillHolds(LogDate day)
{
    constexpr int kLooksBetweenListings = 10;
    constexpr auto kTrustedAge = std::chrono::seconds(2);
    std::error_code ec;
    const auto folder = request_.logFolder.empty() ? std::filesystem::path(".") : request_.logFolder;
    const auto changed = std::filesystem::last_write_time(folder, ec);
    const bool holds = !ec && started_ && SameDay(day, day_) && listedAt_ && *listedAt_ == changed
        && ++looksSinceListing_ < kLooksBetweenListings
        && std::filesystem::file_time_type::clock::now() - changed > kTrustedAge;
    if (!holds) {
        listedAt_ = ec ? std::nullopt : std::optional(changed);
        looksSinceListing_ = 0;
    }
    return holds;
}

// Midnight: the day's files are read to their end, a last line without its
// break included, as a search of that day would read them.
void DayWatch::EndDay(Batch& batch)
{
    for (const std::string& path : order_) {
        const auto file = files_.find(path);
        if (file != files_.end())
            ReadGained(path, file->second, true, true, batch);
    }
}

void DayWatch::ReadGained(const std::string& path, WatchedFile& file, bool deliver, bool dayEnds, Batch& batch)
{
    const std::filesystem::path where = PathFromBytes(path);
    std::optional<FileTail> tail = ReadFileTail(where, file.seen.identity, file.taken);
    if (!tail) {
        ReportOnce(file.unreadableReported, CannotOpenMessage(PathForMessage(where)));
        return;
    }
    file.unreadableReported = false;
    if (tail->from != file.taken || tail->state.identity != file.seen.identity) {
        // Cut shorter or replaced by another file: which of its lines were
        // matched before cannot be known, so every line of it is matched again.
        file = WatchedFile{};
    }
    file.seen = tail->state;
    if (file.refused)
        return;

    std::string& bytes = tail->bytes;
    std::size_t skip = 0;
    if (file.afterCr && !bytes.empty()) {
        skip = bytes.front() == '\n' ? 1 : 0; // the rest of a CR LF
        file.afterCr = false;
    }
    // Only whole lines: the server may be half-way through writing the last.
    std::size_t end = bytes.size();
    if (!dayEnds) {
        const std::size_t lastBreak = std::string_view(bytes).find_last_of("\r\n");
        end = lastBreak == std::string_view::npos || lastBreak < skip ? skip : lastBreak + 1;
        file.afterCr = end > skip && bytes[end - 1] == '\r';
    }
    file.taken += end;
    if (end == skip)
        return;
    bytes.resize(end);
    bytes.erase(0, skip);
    const std::size_t given = bytes.size();

    LogLineReader& reader = tools_->reader;
    std::optional<std::string> refusal;
    try {
        if (file.begun)
            reader.ReadMoreContentBytes(std::move(bytes), file.lastDepth);
        else
            reader.ReadContentBytes(std::move(bytes));
    } catch (const KivError& error) {
        refusal = error.what();
    }
    file.begun = true;
    file.lastDepth = reader.LastDepth();
    // A refused line, or the end of the file's text as the reader takes it:
    // what follows is not read, as a search would not read it.
    file.refused = reader.Content().size() < given;
    if (deliver) {
        SearchLogText(reader.Content(), tools_->matcher, tools_->workspace,
                      [&](std::string&& line, std::size_t word) {
                          batch.results.Add(ShownResult(std::move(line), word, request_.words));
                      });
    }
    if (refusal) {
        batch.results.Flush(); // the lines before the refused one come first
        if (events_.onError)
            events_.onError(*refusal);
    }
}

void WatchPace::Stop()
{
    {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    wake_.notify_all();
}

void WatchPace::Nudge()
{
    {
        const std::lock_guard lock(mutex_);
        nudged_ = true;
    }
    wake_.notify_all();
}

bool WatchPace::Stopped() const
{
    return stopped_;
}

bool WatchPace::Wait(std::chrono::milliseconds interval)
{
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, interval, [this] { return stopped_ || nudged_; });
    nudged_ = false;
    return !stopped_;
}

void RunDayWatch(DayWatch& watch, WatchPace& pace, std::chrono::milliseconds interval,
                 const std::function<void()>& watching)
{
    if (pace.Stopped())
        return;
    watch.Look();
    if (watching)
        watching();
    while (pace.Wait(interval))
        watch.Look();
}

} // namespace kiv
