#include "cli/ReportCommand.h"

#include "cli/Diagnostics.h"
#include "cli/LogFolderOption.h"
#include "cli/Output.h"
#include "cli/OutputGuard.h"
#include "cli/OccupationCommand.h"
#include "cli/ReportCsv.h"
#include "cli/ReportHtml.h"
#include "cli/SearchCommand.h"
#include "jobs/SearchWordChoice.h"
#include "jobs/SubjectReport.h"
#include "jobs/SubjectReportText.h"
#include "logscan/Cp1252.h"
#include "logscan/FileIo.h"
#include "logscan/KivError.h"
#include "table/CellStore.h"
#include "table/OccupationTable.h"

#include <memory>

namespace kiv::cli {
namespace {

// The slot headers a session falls under, as the window's table has them:
// the time-slot list loaded over the eight initial headers.
std::vector<std::string> SlotHeaderRow(const CliOptions& options)
{
    CellStore cells;
    OccupationTable table(cells);
    table.ColumnHeaders().Assign(InitialSlotHeaders());
    if (const auto slots = ChosenSlotsFile(options))
        table.ColumnHeaders().LoadFromFile(slots->path, slots->shownName, static_cast<std::size_t>(table.ColCount()));
    std::vector<std::string> row;
    for (int column = 0; column < kSlotColumnCount; ++column)
        row.push_back(table.Header(column));
    return row;
}

SubjectReportRequest Request(const CliOptions& options)
{
    SubjectReportRequest request;
    request.logFolder = LogFolderPath(options);
    request.subject = options.reportUser ? ReportSubject::Pupil : ReportSubject::Computer;
    const std::string& typed = options.reportUser ? *options.reportUser : *options.reportComputer;
    request.name = options.encoding == Encoding::Utf8 ? Utf8ToCp1252(typed) : typed;
    request.first = options.from ? *options.from : options.date;
    request.last = options.to ? *options.to : options.date;
    return request;
}

void AppendLines(const std::vector<ReportLine>& lines, std::string& out)
{
    for (const ReportLine& line : lines) {
        out += line.text;
        out += '\n';
    }
}

} // namespace

int RunReport(const CliOptions& options, const std::filesystem::path& executableFolder)
{
    const Encoding encoding = options.encoding;
    SubjectReportRequest request = Request(options);
    std::vector<std::string> refusedWords;
    const SearchWordSources sources = WordSources(options, executableFolder, refusedWords);
    if (options.output) {
        std::vector<std::filesystem::path> others;
        if (const auto file = SearchWordFile(sources))
            others.push_back(*file);
        RefuseOutputOverScan(options, SubjectReportFiles(request), std::move(others));
    }
    for (const std::string& message : refusedWords)
        ReportError(message, encoding);
    if (!refusedWords.empty() && sources.typed.empty())
        return 2;
    try {
        request.words = ChooseSearchWords(sources);
        request.headerRow = SlotHeaderRow(options);
    } catch (const KivError& error) {
        ReportError(error.what(), encoding);
        return 1;
    }

    std::unique_ptr<OutputSink> out =
        options.output ? std::make_unique<OutputSink>(*options.output) : std::make_unique<OutputSink>(encoding);
    if (!out->IsOpen()) {
        ReportError(CannotCreateMessage(PathForMessage(PathFromBytes(*options.output))), encoding);
        return 1;
    }

    std::vector<ReportDay> days; // html: the page says first whether any log was unreadable
    std::string text;
    if (options.reportFormat == ReportFormat::Text)
        AppendLines(ReportHeadingLines(request), text);
    else if (options.reportFormat == ReportFormat::Csv)
        text = ReportCsvHeader();
    out->WriteEncoded(text, encoding);

    SubjectReportEvents events;
    events.onError = [&](const std::string& message) { ReportError(message, encoding); };
    events.onDay = [&](ReportDay&& day) {
        text.clear();
        switch (options.reportFormat) {
        case ReportFormat::Text: {
            std::vector<ReportLine> lines;
            AppendReportDay(day, request, lines);
            AppendLines(lines, text);
            break;
        }
        case ReportFormat::Csv:
            text = ReportCsvRows(day, request.words);
            break;
        case ReportFormat::Html:
            days.push_back(std::move(day));
            return;
        }
        out->WriteEncoded(text, encoding);
    };
    const SubjectReportResult result = RunSubjectReport(request, events);

    if (options.reportFormat == ReportFormat::Text) {
        std::vector<ReportLine> lines;
        AppendReportTotals(result, request, lines);
        text.clear();
        AppendLines(lines, text);
        out->WriteEncoded(text, encoding);
    } else if (options.reportFormat == ReportFormat::Html) {
        out->Write(ReportHtml(request, days, result, encoding));
    }
    if (!out->Finish()) {
        ReportError(options.output ? StreamWriteMessage() : std::string("Erreur d'\xE9" "criture"), encoding);
        return 1;
    }
    return result.outcome.allRead && refusedWords.empty() ? 0 : 1;
}

} // namespace kiv::cli
