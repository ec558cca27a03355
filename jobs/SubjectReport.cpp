#include "jobs/SubjectReport.h"

#include "common/AsciiCase.h"
#include "jobs/LogFolderSnapshot.h"
#include "jobs/PeriodJob.h"
#include "jobs/PupilSessions.h"
#include "jobs/detail/ScanReport.h"
#include "logscan/CancelFlag.h"
#include "logscan/KeywordScan.h"
#include "logscan/OccupationScan.h"
#include "logscan/ResultFields.h"
#include "logscan/SessionParser.h"
#include "logscan/SlotRule.h"

#include <algorithm>
#include <chrono>
#include <numeric>
#include <utility>

namespace kiv {
namespace {

bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

int Minutes(std::string_view hhmm) noexcept
{
    return ((hhmm[0] - '0') * 10 + (hhmm[1] - '0')) * 60 + (hhmm[2] - '0') * 10 + (hhmm[3] - '0');
}

bool SessionOfSubject(const SubjectReportRequest& request, const SessionEntry& session)
{
    if (request.subject == ReportSubject::Pupil)
        return SameSubjectName(session.User, request.name);
    // Rooms number their computers alike (S514-PC02, S502-PC02): a name with
    // its room, as the connection log writes it, is that one computer.
    if (request.name.find('-') != std::string::npos)
        return SameSubjectName(session.Room + "-" + session.Station, request.name);
    return SameSubjectName(session.Station, request.name);
}

bool ResultOfSubject(const SubjectReportRequest& request, std::string_view line)
{
    const std::string field = request.subject == ReportSubject::Pupil ? PupilField(line) : ComputerField(line);
    return SameSubjectName(field, request.name);
}

// A line whose time cannot be read keeps its place after the line before it
// in its log, rather than jumping to the top of the day.
void CarryTimes(std::vector<ReportEntry>& entries)
{
    std::string last;
    for (ReportEntry& entry : entries) {
        if (entry.time.empty())
            entry.time = last;
        else
            last = entry.time;
    }
}

// The day's sessions, then its results, each in their logs' order: a stable
// sort by time merges them, a login before a word typed in the same minute.
void MergeByTime(std::vector<ReportEntry>& sessions, std::vector<ReportEntry>& words, ReportDay& day)
{
    CarryTimes(sessions);
    CarryTimes(words);
    day.entries = std::move(sessions);
    day.entries.insert(day.entries.end(), std::make_move_iterator(words.begin()), std::make_move_iterator(words.end()));
    std::stable_sort(day.entries.begin(), day.entries.end(),
                     [](const ReportEntry& a, const ReportEntry& b) { return a.time < b.time; });
}

std::uint64_t ConnectedMinutes(const SessionEntry& session)
{
    const std::string login = SessionTime(session.LoginTime);
    const std::string logout = SessionTime(session.LogoutTime);
    if (login.empty() || logout.empty() || Minutes(logout) < Minutes(login))
        return 0;
    return static_cast<std::uint64_t>(Minutes(logout) - Minutes(login));
}

class DayReader {
public:
    DayReader(const SubjectReportRequest& request, const LogFolderSnapshot& folder, LogLineReader& memory,
              const std::atomic<bool>* cancel)
        : request_(request), folder_(folder), memory_(memory), cancel_(cancel)
    {
    }

    // What the day's two scans found and met, kept until the day is reported.
    std::size_t filesFound = 0;
    bool everyLogRead = true;
    std::vector<std::string> errors;

    ReportDay Read(LogDate date)
    {
        ReportDay day;
        day.date = date;
        day.tally.byWord.assign(request_.words.size(), 0);
        std::vector<ReportEntry> sessions = Sessions(date, day.tally);
        std::vector<ReportEntry> words = Words(date, day.tally);
        MergeByTime(sessions, words, day);
        return day;
    }

private:
    void Took(const ScanOutcome& scan)
    {
        filesFound += scan.filesFound;
        everyLogRead = everyLogRead && scan.allRead;
        errors.insert(errors.end(), scan.errors.begin(), scan.errors.end());
    }

    // The scans' own wiring: the day's files read in order, each error kept.
    template <class ScanEvents>
    ScanOutcome Scanned(std::size_t fileCount, ScanEvents& events, const std::function<bool()>& scan)
    {
        ScanOutcome outcome;
        outcome.filesFound = fileCount;
        events.onError = [&](const std::string& message) { outcome.Failed(message); };
        outcome.allRead = scan() && outcome.allRead;
        return outcome;
    }

    std::vector<ReportEntry> Sessions(LogDate date, ReportTally& tally)
    {
        std::vector<ReportEntry> found;
        const auto keep = [&](SessionEntry&& session) {
            ReportEntry entry;
            entry.kind = ReportEntry::Kind::Session;
            entry.time = SessionTime(session.LoginTime);
            entry.columns = SlotColumns(session.LoginTime, request_.headerRow);
            ++tally.sessions;
            tally.connectedMinutes += ConnectedMinutes(session);
            entry.session = std::move(session);
            found.push_back(std::move(entry));
        };
        // A pupil's sessions are found from the lines that name the pupil; a
        // computer's logouts name the pupil who used it, not the computer,
        // so its day is paired whole.
        const std::vector<std::string> files = folder_.Files(ConnectionLogMask("", date));
        if (request_.subject == ReportSubject::Pupil) {
            Took(PupilSessionsOfDay(files, request_.name, keep, memory_, cancel_));
            return found;
        }
        OccupationScanEvents events;
        events.onSessions = [&](std::vector<SessionEntry>&& batch) {
            for (SessionEntry& session : batch)
                if (SessionOfSubject(request_, session))
                    keep(std::move(session));
        };
        Took(Scanned(files.size(), events, [&] { return RunOccupationScan(files, kAllRooms, events, cancel_); }));
        return found;
    }

    std::vector<ReportEntry> Words(LogDate date, ReportTally& tally)
    {
        std::vector<ReportEntry> found;
        if (request_.words.empty())
            return found;
        const std::vector<std::string> files = folder_.Files(KeywordLogMask("", date, SearchScope::Jour));
        KeywordScanEvents events;
        events.onResult = [&](KeywordResult&& result) {
            if (!ResultOfSubject(request_, result.line))
                return;
            ReportEntry entry;
            entry.kind = ReportEntry::Kind::Word;
            entry.time = RewrittenLineTime(result.line);
            ++tally.byWord[result.wordIndex];
            entry.result = ShownResult(std::move(result.line), result.wordIndex, request_.words);
            found.push_back(std::move(entry));
        };
        KeywordScanOptions options;
        options.cancel = cancel_;
        Took(Scanned(files.size(), events, [&] { return RunKeywordScan(files, request_.words, events, options); }));
        return found;
    }

    const SubjectReportRequest& request_;
    const LogFolderSnapshot& folder_;
    LogLineReader& memory_;
    const std::atomic<bool>* cancel_;
};

// Day after day; true when every log of every day was read whole.
bool ReadDays(const SubjectReportRequest& request, const SubjectReportEvents& events, ScanReport& report,
              SubjectReportResult& result, const std::atomic<bool>* cancel)
{
    if (!PeriodWithinLimit(request.first, request.last)) {
        report.Error(PeriodTooLongMessage(request.first));
        return false;
    }
    const std::vector<LogDate> dates = PeriodDays(request.first, request.last);
    result.dayCount = dates.size();
    if (dates.empty())
        return true;
    // A folder that is not there is said once, not once a day.
    const LogFolderSnapshot folder(request.logFolder);
    if (folder.Error()) {
        report.Error(*folder.Error());
        return false;
    }
    bool everyLogRead = true;
    LogLineReader memory; // kept from day to day
    for (std::size_t i = 0; i < dates.size() && !report.Cancelled(); ++i) {
        DayReader reader(request, folder, memory, cancel);
        ReportDay day = reader.Read(dates[i]);
        if (report.Cancelled())
            break;
        for (const std::string& message : reader.errors)
            report.Error(message);
        everyLogRead = everyLogRead && reader.everyLogRead;
        result.outcome.filesFound += reader.filesFound;
        result.total.Add(day.tally);
        if (!day.entries.empty() && events.onDay)
            events.onDay(std::move(day));
        if (events.onProgress)
            events.onProgress(i + 1, dates.size());
    }
    return everyLogRead;
}

} // namespace

void ReportTally::Add(const ReportTally& other)
{
    sessions += other.sessions;
    connectedMinutes += other.connectedMinutes;
    if (byWord.size() < other.byWord.size())
        byWord.resize(other.byWord.size(), 0);
    for (std::size_t i = 0; i < other.byWord.size(); ++i)
        byWord[i] += other.byWord[i];
}

std::uint64_t ReportTally::Results() const noexcept
{
    return std::accumulate(byWord.begin(), byWord.end(), std::uint64_t{0});
}

bool SameSubjectName(std::string_view field, std::string_view name) noexcept
{
    return field.size() == name.size()
        && std::equal(field.begin(), field.end(), name.begin(),
                      [](char a, char b) { return AsciiUpper(a) == AsciiUpper(b); });
}

std::string RewrittenLineTime(std::string_view rewritten)
{
    std::size_t colon = std::string_view::npos;
    for (int n = 0; n < 3; ++n) {
        colon = rewritten.find(':', colon == std::string_view::npos ? 0 : colon + 1);
        if (colon == std::string_view::npos)
            return {};
    }
    // " à " hh " h " mm " min "
    const std::string_view rest = rewritten.substr(colon + 1);
    if (rest.size() < 15 || rest.substr(0, 3) != " \xE0 " || rest.substr(5, 3) != " h " || rest.substr(10, 5) != " min ")
        return {};
    std::string time{rest[3], rest[4], rest[8], rest[9]};
    return std::all_of(time.begin(), time.end(), IsDigit) ? time : std::string();
}

std::string SessionTime(std::string_view hourForm)
{
    if (hourForm.size() < 5 || hourForm[2] != 'h')
        return {};
    std::string time{hourForm[0], hourForm[1], hourForm[3], hourForm[4]};
    return std::all_of(time.begin(), time.end(), IsDigit) ? time : std::string();
}

std::vector<std::string> SubjectReportFiles(const SubjectReportRequest& request)
{
    std::vector<std::string> files;
    if (!PeriodWithinLimit(request.first, request.last))
        return files;
    const LogFolderSnapshot folder(request.logFolder);
    for (const LogDate& date : PeriodDays(request.first, request.last)) {
        for (const std::vector<std::string>& day :
             {folder.Files(KeywordLogMask("", date, SearchScope::Jour)), folder.Files(ConnectionLogMask("", date))})
            files.insert(files.end(), day.begin(), day.end());
    }
    return files;
}

SubjectReportResult RunSubjectReport(const SubjectReportRequest& request, const SubjectReportEvents& events,
                                     const std::atomic<bool>* cancel)
{
    SubjectReportResult result;
    result.total.byWord.assign(request.words.size(), 0);
    const ScanReport::OnFileStarted noFileEvents;
    ScanReport report(result.outcome, events.onError, noFileEvents, cancel);
    bool everyLogRead = false;
    try {
        everyLogRead = ReadDays(request, events, report, result, cancel);
    } catch (const std::exception& failure) {
        report.Error(UnforeseenFailureText(failure));
    }
    report.Finish(everyLogRead);
    return result;
}

} // namespace kiv
