#include "cli/SummaryOutput.h"

#include "cli/Diagnostics.h"
#include "cli/LogFolderOption.h"
#include "cli/OccupationCommand.h"
#include "cli/Output.h"
#include "cli/OutputGuard.h"
#include "jobs/LogFolder.h"
#include "jobs/PeriodJob.h"
#include "jobs/PeriodSummary.h"
#include "logscan/Cp1252.h"
#include "logscan/FileIo.h"
#include "logscan/KivError.h"

#include <memory>

namespace kiv::cli {
namespace {

std::filesystem::path ConfigFolder(const CliOptions& options)
{
    std::error_code ec;
    return options.config ? PathFromBytes(*options.config) : std::filesystem::current_path(ec);
}

// The rows of the rooms of "kiv_salles.txt" come first, in the order the
// staff gave them there; without the list the rooms come in byte order.
TextList RoomOrder(const CliOptions& options)
{
    const std::filesystem::path rooms = ConfigFolder(options) / "kiv_salles.txt";
    std::error_code ec;
    if (!std::filesystem::exists(rooms, ec))
        return {};
    return LoadTextListFile(rooms, "kiv_salles.txt");
}

} // namespace

int RunOccupationSummary(const CliOptions& options)
{
    const Encoding encoding = options.encoding;
    PeriodRequest request;
    request.logFolder = LogFolderPath(options);
    request.first = *options.from;
    request.last = *options.to;
    request.room = encoding == Encoding::Utf8 ? Utf8ToCp1252(options.room) : options.room;
    if (options.output)
        RefuseOutputOverScan(options, PeriodFiles(request));

    CellStore cells;
    OccupationTable table(cells);
    try {
        LoadSlotHeaders(options, table);
        request.roomOrder = RoomOrder(options);
    } catch (const KivError& error) {
        ReportError(error.what(), encoding);
        return 1;
    }
    for (int column = 0; column < kSlotColumnCount; ++column)
        request.headerRow.push_back(table.Header(column));

    std::unique_ptr<OutputSink> out =
        options.output ? std::make_unique<OutputSink>(*options.output) : std::make_unique<OutputSink>(encoding);
    if (!out->IsOpen()) {
        ReportError(CannotCreateMessage(PathForMessage(PathFromBytes(*options.output))), encoding);
        return 1;
    }
    PeriodEvents events;
    events.onError = [&](const std::string& message) { ReportError(message, encoding); };
    const PeriodResult result = RunPeriodJob(request, events);
    out->WriteEncoded(PeriodSummaryCsv(result.use), encoding);
    if (!out->Finish()) {
        ReportError(OutputFailedMessage(options), encoding);
        return 1;
    }
    return result.outcome.allRead ? 0 : 1;
}

} // namespace kiv::cli
