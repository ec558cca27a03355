#include "app/runs/RoomScanRun.h"

#include "logscan/SessionText.h"
#include "qtext/QtCp1252.h"
#include "table/CellStore.h"

#include <algorithm>

namespace kiv {
namespace {

// Places sessions in a table of its own under the window's headers, and
// hands on what each piece added to the cells and the text view.
class PieceMaker {
public:
    PieceMaker(const std::vector<std::string>& headerRow, RoomScanWorker::Outbox& out)
        : out_(out)
    {
        for (std::size_t column = 0; column < headerRow.size(); ++column)
            cells_.SetCellText(static_cast<int>(column), 0, headerRow[column]);
    }

    void FileStarted(std::size_t index) { currentFile_ = index; }

    void Sessions(const std::vector<SessionEntry>& batch)
    {
        for (std::size_t first = 0; first < batch.size() && !out_.Cancelled(); first += kRoomScanPieceSessions)
            Post(batch, first, std::min(batch.size(), first + kRoomScanPieceSessions));
    }

private:
    void Post(const std::vector<SessionEntry>& batch, std::size_t first, std::size_t last)
    {
        RoomScanPiece piece;
        piece.fileIndex = currentFile_;
        piece.sessionCount = last - first;
        for (std::size_t i = first; i < last; ++i) {
            line_.clear();
            AppendSessionLine(batch[i], line_);
            piece.lines.Add(line_);
            placed_.Place(batch[i]);
        }
        for (std::size_t column = 0; column < piece.cells.size(); ++column)
            piece.cells[column] = placed_.SessionCell(static_cast<int>(column));
        placed_.ClearSessions();
        RoomScanNews news;
        news.piece = std::move(piece);
        out_.Post(std::move(news));
    }

    RoomScanWorker::Outbox& out_;
    CellStore cells_;
    OccupationTable placed_{cells_};
    std::size_t currentFile_ = 0;
    std::string line_;
};

} // namespace

ScanOutcome RunRoomScan(const OccupationRequest& request, const std::vector<std::string>& headerRow,
                        RoomScanWorker::Outbox& out)
{
    PieceMaker pieces(headerRow, out);
    OccupationEvents events;
    events.onFilesFound = [&out](std::size_t count) {
        RoomScanNews news;
        news.fileCount = count;
        out.Post(std::move(news));
    };
    events.onFileStarted = [&pieces](std::size_t index, std::size_t) { pieces.FileStarted(index); };
    events.onSessions = [&pieces](std::vector<SessionEntry>&& batch) { pieces.Sessions(batch); };
    return RunOccupationJob(request, events, &out.Cancelled());
}

} // namespace kiv
