#include "jobs/DayWatch.h"

#include "jobs/LogFolder.h"
#include "jobs/detail/LogFollower.h"
#include "jobs/detail/ScanReport.h"
#include "jobs/detail/TimedBatches.h"
#include "logscan/FileIo.h"
#include "logscan/KeywordMatcher.h"
#include "logscan/KeywordScan.h"
#include "logscan/KivError.h"
#include "logscan/LineBreaks.h"
#include "logscan/LogLineReader.h"
#include "logscan/RewriteLogLine.h"

#include <algorithm>
#include <utility>

namespace kiv {
namespace {

// A log that changed otherwise than by growing.
std::string RereadMessage(std::string_view fileName)
{
    return "Le fichier " + std::string(fileName)
        + " a chang\xE9" " autrement qu'en grandissant : il est relu depuis le d\xE9" "but";
}

bool SameDay(LogDate a, LogDate b) noexcept
{
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

// Each piece of a long line repeats the end of the one before, as long as the
// longest word less one, so that no word is cut in two.
FollowLimits LimitsFor(const DayWatchRequest& request)
{
    FollowLimits limits;
    limits.pieceSize = std::max<std::size_t>(request.pieceSize, 1);
    limits.longestLine = std::max<std::size_t>(request.longestLine, 1);
    std::size_t longestWord = 0;
    for (const std::string_view word : request.words)
        longestWord = std::max(longestWord, word.size());
    limits.overlap = longestWord > 0 ? longestWord - 1 : 0;
    return limits;
}

} // namespace

// What the watch knows of one log file of the day.
struct DayWatch::WatchedFile {
    LogFollower follower;
    std::size_t lastDepth = 0;  // the indentation depth of the last line taken
    bool begun = false;         // a line was taken: the next one is a later line
    bool refusalReported = false;
    bool unreadableReported = false;
    std::optional<std::size_t> longLineWord; // the first word found so far in a line too long to keep
    explicit WatchedFile(FollowLimits limits) : follower(limits) {}
};

// One look's results, handed on as they come and when the look ends.
struct DayWatch::Batch {
    TimedBatches<KeywordSearchResult> results;
};

// The matcher and the reader, kept from look to look, and the memory that
// every log's reading borrows.
struct DayWatchTools {
    KeywordMatcher matcher;
    KeywordMatcher::Workspace workspace;
    LogLineReader reader{RefusedLine::IsSkipped}; // a keyword log goes on after a refused line
    ByteBuffer work;
    FollowLimits limits;
    explicit DayWatchTools(const DayWatchRequest& request)
        : matcher(request.words, std::nullopt, request.cancel), workspace(matcher.MakeWorkspace()),
          limits(LimitsFor(request))
    {
    }
};

DayWatch::DayWatch(DayWatchRequest request, DayWatchEvents events, Today today)
    : request_(std::move(request)), events_(std::move(events)), today_(std::move(today)),
      tools_(std::make_unique<DayWatchTools>(request_))
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
            if (Cancelled(request_.cancel)) {
                // Stopped: the files not looked at keep what the watch knew of them.
                if (!known.empty())
                    still.insert(std::move(known));
                continue;
            }
            if (known.empty()) {
                WatchedFile& file = still.emplace(path, WatchedFile(tools_->limits)).first->second;
                if (fromStart)
                    ReadGained(path, file, false, batch);
                else
                    StartAfterLastLine(path, file);
                continue;
            }
            WatchedFile& file = still.insert(std::move(known)).position->second;
            if (!file.follower.LooksUnchanged(PathFromBytes(path)))
                ReadGained(path, file, false, batch);
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
            ReadGained(path, file->second, true, batch);
    }
}

void DayWatch::StartAfterLastLine(const std::string& path, WatchedFile& file)
{
    const std::filesystem::path where = PathFromBytes(path);
    LogFollower::LastLine last;
    const LogFollower::Outcome outcome =
        file.follower.StartAfterLastLine(where, tools_->work, last, request_.cancel).outcome;
    if (outcome == LogFollower::Outcome::Unreadable)
        ReportOnce(file.unreadableReported, CannotOpenMessage(PathForMessage(where)));
    if (outcome != LogFollower::Outcome::Read)
        return;
    // The next line is checked against the last line before the watch, taken
    // at the depth of its blanks (the lines before it are not read): a file's
    // first line has depth 0 whatever its blanks.
    file.begun = last.exists;
    file.lastDepth = last.exists && !last.first ? last.blanks : 0;
}

void DayWatch::ReadGained(const std::string& path, WatchedFile& file, bool dayEnds, Batch& batch)
{
    const std::filesystem::path where = PathFromBytes(path);
    FollowedText out;
    out.lines = [&](std::string_view lines) { TakeLines(file, lines, batch); };
    out.longLinePiece = [&](std::string_view piece) {
        const int word = tools_->matcher.FirstMatch(piece);
        if (word >= 0 && (!file.longLineWord || static_cast<std::size_t>(word) < *file.longLineWord))
            file.longLineWord = static_cast<std::size_t>(word);
    };
    out.longLineEnd = [&](std::string_view head) { TakeLongLine(file, head, batch); };
    out.startsOver = [&] {
        // Which of its lines were matched before cannot be known: every line
        // of it is matched again, and the staff are told why they may see a
        // line twice.
        file.begun = false;
        file.lastDepth = 0;
        file.refusalReported = false;
        file.longLineWord.reset();
        batch.results.Flush();
        const std::string message = RereadMessage(PathForMessage(where));
        if (events_.onReread)
            events_.onReread(message);
        else if (events_.onError)
            events_.onError(message);
    };
    const LogFollower::Look look = file.follower.ReadGained(where, dayEnds, request_.cancel, out, tools_->work);
    if (look.outcome == LogFollower::Outcome::Unreadable) {
        batch.results.Flush();
        ReportOnce(file.unreadableReported, CannotOpenMessage(PathForMessage(where)));
        return;
    }
    file.unreadableReported = false;
}

// Whole lines of a log: checked by the reader's indentation rule and
// searched, as a search of the day searches them.
void DayWatch::TakeLines(WatchedFile& file, std::string_view lines, Batch& batch)
{
    const std::optional<std::string> refusal = CheckIndentation(file, lines);
    SearchLogText(tools_->reader.Content(), tools_->matcher, tools_->workspace,
                  [&](std::string&& line, std::size_t word) {
                      batch.results.Add(ShownResult(std::move(line), word, request_.words));
                  });
    ReportRefusal(file, refusal, batch);
}

// A line too long to keep: its first bytes stand for it, with the first word
// of the list found anywhere in it. The indentation rule looks at its start,
// as for any line.
void DayWatch::TakeLongLine(WatchedFile& file, std::string_view head, Batch& batch)
{
    std::optional<std::size_t> word = file.longLineWord;
    file.longLineWord.reset();
    const std::optional<std::string> refusal = CheckIndentation(file, head);
    const std::string_view content = tools_->reader.Content();
    if (!content.empty()) {
        const std::string_view line = StripLeadingBlanks(content);
        const int inHead = tools_->matcher.FirstMatch(line);
        if (inHead >= 0 && (!word || static_cast<std::size_t>(inHead) < *word))
            word = static_cast<std::size_t>(inHead);
        if (word)
            batch.results.Add(ShownResult(RewriteLogLine(line), *word, request_.words));
    }
    ReportRefusal(file, refusal, batch);
}

std::optional<std::string> DayWatch::CheckIndentation(WatchedFile& file, std::string_view lines)
{
    LogLineReader& reader = tools_->reader;
    std::optional<std::string> refusal;
    try {
        if (file.begun)
            reader.ReadMoreContentBytes(std::string(lines), file.lastDepth);
        else
            reader.ReadContentBytes(std::string(lines));
    } catch (const KivError& error) {
        refusal = error.what();
    }
    file.begun = file.begun || !lines.empty();
    file.lastDepth = reader.LastDepth();
    return refusal;
}

// Told once a file: a log full of refused lines must not flood the staff.
void DayWatch::ReportRefusal(WatchedFile& file, const std::optional<std::string>& refusal, Batch& batch)
{
    if (!refusal || file.refusalReported)
        return;
    file.refusalReported = true;
    batch.results.Flush(); // the lines before the refused one come first
    if (events_.onError)
        events_.onError(*refusal);
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
