#include "cli/OccupationCommand.h"

#include "cli/Diagnostics.h"
#include "cli/LogFolderOption.h"
#include "cli/Output.h"
#include "cli/OutputGuard.h"
#include "cli/SummaryOutput.h"
#include "jobs/LogFolder.h"
#include "jobs/OccupationJob.h"
#include "logscan/Cp1252.h"
#include "logscan/FileIo.h"
#include "logscan/KivError.h"
#include "logscan/LogMask.h"
#include "logscan/SessionText.h"
#include "table/OccupationTable.h"

#include <memory>
#include <optional>

namespace kiv::cli {

std::optional<SlotsFile> ChosenSlotsFile(const CliOptions& options)
{
    if (options.slotsFile)
        return SlotsFile{PathFromBytes(*options.slotsFile), PathForMessage(PathFromBytes(*options.slotsFile))};
    std::error_code ec;
    const auto folder = options.config ? PathFromBytes(*options.config) : std::filesystem::current_path(ec);
    const auto configured = folder / "kiv_heures.txt";
    if (std::filesystem::exists(configured, ec))
        return SlotsFile{configured, "kiv_heures.txt"};
    return std::nullopt;
}

// The header row as the window's table shows it: the time-slot list loaded
// over the eight initial headers, only its lines that reach a header read.
// The text view places nothing in slots, so it reads no slot list.
void LoadSlotHeaders(const CliOptions& options, OccupationTable& table)
{
    table.ColumnHeaders().Assign(InitialSlotHeaders());
    if (options.format == OccupationFormat::Text)
        return;
    if (const auto slots = ChosenSlotsFile(options))
        table.ColumnHeaders().LoadFromFile(slots->path, slots->shownName, static_cast<std::size_t>(table.ColCount()));
}

std::string OutputFailedMessage(const CliOptions& options)
{
    return options.output ? StreamWriteMessage() : std::string("Erreur d'\xE9" "criture");
}

namespace {

// A cell's lines: its text cut at every carriage return.
std::vector<std::string_view> CellLines(std::string_view cell)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t cr = cell.find('\r', start);
        lines.push_back(cell.substr(start, cr == std::string_view::npos ? std::string_view::npos : cr - start));
        if (cr == std::string_view::npos)
            return lines;
        start = cr + 1;
    }
}

} // namespace

int RunOccupation(const CliOptions& options)
{
    if (options.format == OccupationFormat::Summary)
        return RunOccupationSummary(options);
    const Encoding encoding = options.encoding;
    const std::string room = encoding == Encoding::Utf8 ? Utf8ToCp1252(options.room) : options.room;
    const OccupationRequest request{LogFolderPath(options), options.date, room};
    if (options.output)
        RefuseOutputOverScan(options, OccupationFiles(request).files);
    CellStore cells;
    OccupationTable table(cells);
    try {
        LoadSlotHeaders(options, table);
    } catch (const KivError& error) {
        ReportError(error.what(), options.encoding);
        return 1;
    }

    std::unique_ptr<OutputSink> out = options.output ? std::make_unique<OutputSink>(*options.output) : std::make_unique<OutputSink>(encoding);
    if (!out->IsOpen()) {
        ReportError(CannotCreateMessage(PathForMessage(PathFromBytes(*options.output))), options.encoding);
        return 1;
    }
    if (options.format == OccupationFormat::Csv)
        out->Write(Encode(CsvRow({"Salle", "Poste", "Utilisateur", "Connexion", "D\xE9" "connexion", "Fin de ligne", "Cr\xE9neaux"}), encoding));

    OccupationEvents events;
    std::string line; // reused: a busy day has hundreds of thousands of sessions
    const auto onSession = [&](const SessionEntry& session) {
        switch (options.format) {
        case OccupationFormat::Text:
            line.clear();
            AppendSessionLine(session, line);
            line += '\n';
            out->WriteEncoded(line, encoding);
            break;
        case OccupationFormat::Cells:
            table.Place(session);
            break;
        case OccupationFormat::Csv: {
            std::vector<std::string_view> fields{session.Room, session.Station, session.User, session.LoginTime, session.LogoutTime, session.Tail};
            for (int column : table.Columns(session.LoginTime))
                fields.push_back(table.Header(column));
            out->WriteEncoded(CsvRow(fields), encoding);
            break;
        }
        case OccupationFormat::Summary: // a period, not a day: RunOccupationSummary
            break;
        }
    };
    events.onSessions = [&](std::vector<SessionEntry>&& batch) {
        for (const SessionEntry& session : batch)
            onSession(session);
    };
    events.onError = [&](const std::string& message) { ReportError(message, encoding); };

    const ScanOutcome outcome = RunOccupationJob(request, events);
    TellAboutEmptyScan(options, outcome, NoConnectionLogMessage(request.logFolder, request.date));

    if (options.format == OccupationFormat::Cells) {
        for (int column = 0; column < table.ColCount(); ++column) {
            std::string title = "#";
            title += std::to_string(column);
            title += '\t';
            title += Encode(HeaderOnOneLine(table.Header(column)), encoding);
            title += '\n';
            out->Write(title);
            // Every entry begins with a carriage return, so the cell's first
            // line is empty; it is not an entry.
            const auto lines = CellLines(table.SessionCell(column));
            for (std::size_t i = 0; i < lines.size(); ++i) {
                if (i == 0 && lines[i].empty())
                    continue;
                out->Write(Encode(lines[i], encoding) + "\n");
            }
        }
    }
    if (!out->Finish()) {
        ReportError(OutputFailedMessage(options), encoding);
        return 1;
    }
    return outcome.allRead ? 0 : 1;
}

} // namespace kiv::cli
