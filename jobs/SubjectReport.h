#pragma once
// One pupil or one computer over a day or a period: what the staff ask once a
// watched word turned up. For each day, the sessions of that pupil (or on that
// computer) from the day's connection logs and the watched-word results that
// name them from the day's keyword logs, merged in the order of their times,
// with the day's totals; and the totals of the whole period.
//
// Each day reads exactly what the room tab and the keyword search read for that
// day (the same files, the same sessions, the same rewritten lines and bold
// words): the report is those two, kept to the one pupil or computer. The
// pupil or computer is a whole field (the first and second fields of a keyword
// log line, the station and user of a session), compared after ASCII
// upper-casing as the matching compares words, so "eleve12" is not "eleve121".

#include "jobs/KeywordSearchJob.h"
#include "jobs/ScanOutcome.h"
#include "logscan/LogMask.h"
#include "logscan/SessionEntry.h"
#include "logscan/TextList.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

enum class ReportSubject { Pupil, Computer };

struct SubjectReportRequest {
    std::filesystem::path logFolder; // the system's own path, never re-encoded
    ReportSubject subject = ReportSubject::Pupil;
    // Windows-1252: a login, or a computer's name (its station, or its room,
    // "-" and station as the connection log writes it: "S514-PC02").
    std::string name;
    LogDate first{};
    LogDate last{}; // included
    TextList words; // the default list or the words typed for this report
    // The header cells of the day table: the slots a session falls under.
    std::vector<std::string> headerRow;
};

// One line of a day's report: a session or a watched-word result.
struct ReportEntry {
    enum class Kind { Session, Word };
    Kind kind = Kind::Session;
    // "hhmm" of the login or of the log line, the order of the day; empty
    // when the line holds no readable time.
    std::string time;
    SessionEntry session;       // Kind::Session
    std::vector<int> columns;   // Kind::Session: the slot columns of its login
    KeywordSearchResult result; // Kind::Word: the rewritten line, its bold word
};

struct ReportTally {
    std::uint64_t sessions = 0;
    // Minutes from login to logout, summed over the sessions whose two times
    // read as hours and minutes, logout not before login.
    std::uint64_t connectedMinutes = 0;
    std::vector<std::uint64_t> byWord; // results per word of the request's list

    void Add(const ReportTally& other);
    std::uint64_t Results() const noexcept;
};

struct ReportDay {
    LogDate date{};
    std::vector<ReportEntry> entries; // in time order
    ReportTally tally;
};

struct SubjectReportEvents {
    // Each day that holds a session or a result, in day order.
    std::function<void(ReportDay&& day)> onDay;
    // After each day (daysDone from 1 to dayCount).
    std::function<void(std::size_t daysDone, std::size_t dayCount)> onProgress;
    // A log or folder that could not be read, in day order; the other days
    // are reported.
    std::function<void(const std::string& message)> onError;
};

struct SubjectReportResult {
    ReportTally total;
    std::size_t dayCount = 0;
    ScanOutcome outcome; // filesFound counts both kinds of log of every day
};

// The name of a field compared as the matching compares words.
bool SameSubjectName(std::string_view field, std::string_view name) noexcept;

// "hhmm" of a line rewritten by RewriteLogLine (" à 14 h 32 min " after its
// third ":"), empty when it holds none.
std::string RewrittenLineTime(std::string_view rewritten);
// "hhmm" of a session's hour form ("08h25"), empty when it is not one.
std::string SessionTime(std::string_view hourForm);

// Every log the report reads (keyword and connection logs, day after day),
// for a caller that must not write over one of them.
std::vector<std::string> SubjectReportFiles(const SubjectReportRequest& request);

// Reads the days one after the other on the calling thread, where every event
// runs. Once cancel is set nothing more is reported and the job returns soon
// after, its outcome marked cancelled. A period beyond the limit, or a log
// folder that cannot be listed, is reported once and nothing is read. Nothing
// is thrown.
SubjectReportResult RunSubjectReport(const SubjectReportRequest& request, const SubjectReportEvents& events,
                                     const std::atomic<bool>* cancel = nullptr);

} // namespace kiv
