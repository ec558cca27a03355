#include "jobs/SubjectReportText.h"

#include "logscan/SlotRule.h"

#include <cstdio>

namespace kiv {
namespace {

// Two digits, as the staff write days and minutes.
std::string TwoDigits(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string Counted(std::uint64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count > 1 ? many : one);
}

// A header of two lines ("08h25\rM1") on one.
std::string HeaderOneLine(std::string_view header)
{
    std::string text(header);
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

const char kIndent[] = "    ";

} // namespace

std::string FrenchDate(LogDate date)
{
    return TwoDigits(date.day) + "/" + TwoDigits(date.month) + "/" + std::to_string(date.year);
}

std::string DurationText(std::uint64_t minutes)
{
    return std::to_string(minutes / 60) + " h " + TwoDigits(static_cast<int>(minutes % 60)) + " min";
}

std::string ReportTitle(const SubjectReportRequest& request)
{
    std::string title = request.subject == ReportSubject::Pupil ? "\xC9l\xE8ve " : "Ordinateur ";
    title += request.name;
    const bool oneDay = request.first.year == request.last.year && request.first.month == request.last.month
        && request.first.day == request.last.day;
    if (oneDay)
        title += ", le " + FrenchDate(request.first);
    else
        title += ", du " + FrenchDate(request.first) + " au " + FrenchDate(request.last);
    return title;
}

std::string ReportWordsLine(const TextList& words)
{
    std::string line = "Mots surveill\xE9s : ";
    bool first = true;
    for (std::string_view word : words) {
        if (word.empty())
            continue; // an empty entry never matches
        if (!first)
            line += ", ";
        line += word;
        first = false;
    }
    if (first)
        line += "aucun";
    return line;
}

std::vector<ReportLine> ReportHeadingLines(const SubjectReportRequest& request)
{
    return {{ReportTitle(request)}, {ReportWordsLine(request.words)}, {}};
}

std::string ReportSessionText(const ReportEntry& session, const std::vector<std::string>& headerRow)
{
    const SessionEntry& s = session.session;
    std::string text = s.LoginTime + " - " + (s.LogoutTime.empty() ? std::string("?") : s.LogoutTime);
    text += "  " + s.Room + "  " + s.Station + "  " + s.User;
    if (!session.columns.empty()) {
        text += session.columns.size() > 1 ? "  (cr\xE9neaux " : "  (cr\xE9neau ";
        for (std::size_t i = 0; i < session.columns.size(); ++i) {
            const auto column = static_cast<std::size_t>(session.columns[i]);
            text += (i ? ", " : "") + HeaderOneLine(column < headerRow.size() ? headerRow[column] : std::string());
        }
        text += ")";
    }
    return text;
}

std::string ReportTallyText(const ReportTally& tally, const TextList& words)
{
    std::string text = Counted(tally.sessions, "connexion", "connexions") + ", " + DurationText(tally.connectedMinutes)
        + " de connexion, " + Counted(tally.Results(), "r\xE9sultat", "r\xE9sultats");
    std::string perWord;
    for (std::size_t i = 0; i < tally.byWord.size() && i < words.size(); ++i) {
        if (tally.byWord[i] == 0)
            continue;
        perWord += (perWord.empty() ? "" : ", ") + std::string(words[i]) + " : " + std::to_string(tally.byWord[i]);
    }
    if (!perWord.empty())
        text += " (" + perWord + ")";
    return text;
}

void AppendReportDay(const ReportDay& day, const SubjectReportRequest& request, std::vector<ReportLine>& out)
{
    out.push_back({"Le " + FrenchDate(day.date)});
    for (const ReportEntry& entry : day.entries) {
        if (entry.kind == ReportEntry::Kind::Session) {
            out.push_back({kIndent + std::string("Connexion  ") + ReportSessionText(entry, request.headerRow)});
            continue;
        }
        const std::string prefix = kIndent + std::string("Mot        ");
        ReportLine line{prefix + entry.result.line};
        if (entry.result.boldLength > 0) {
            line.boldStart = prefix.size() + entry.result.boldStart;
            line.boldLength = entry.result.boldLength;
        }
        out.push_back(std::move(line));
    }
    out.push_back({kIndent + std::string("Total du jour : ") + ReportTallyText(day.tally, request.words)});
    out.push_back({});
}

void AppendReportTotals(const SubjectReportResult& result, const SubjectReportRequest& request,
                        std::vector<ReportLine>& out)
{
    out.push_back({"Total sur " + Counted(result.dayCount, "jour", "jours") + " : "
                   + ReportTallyText(result.total, request.words)});
}

} // namespace kiv
