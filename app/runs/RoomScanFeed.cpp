#include "app/runs/RoomScanFeed.h"

#include "grid/TSlotGrid.h"
#include "lines/LinesEdit.h"

#include <QProgressBar>

#include <chrono>
#include <utility>

namespace kiv {
namespace {

// How long one turn of appending may hold the window before its own events
// (typing, scrolling, painting) get their turn. The scan reads on however far
// the window is behind: a day's sessions are small beside the day's logs.
constexpr WorkerPace kFeedPace{.turnBudget = std::chrono::milliseconds(4)};
// How often the table's cells take the entries that arrived.
constexpr qint64 kTableFlushMilliseconds = 50;

} // namespace

RoomScanFeed::RoomScanFeed(LinesEdit* textView, TSlotGrid* table, QProgressBar* progress, QWidget* window)
    : QObject(window)
    , textView_(textView)
    , table_(table)
    , progress_(progress)
    , run_(window, [this](std::deque<RoomScanNews>& news) { Take(news); },
           [this](RoomScanWorker::Ending ending) { End(std::move(ending)); },
           [this] { DropBacklog(); }, kFeedPace)
{}

void RoomScanFeed::Start(OccupationRequest request, const std::vector<std::string>& headerRow)
{
    DropBacklog();
    table_->Table().ClearSessions();
    // The lines of the day shown before, which may hold the whole school,
    // are freed by the scan's thread rather than the window's. The scan
    // reads the day only once the one before has stopped reading, so that
    // quick typing never has a dozen scans reading the same logs at once.
    run_.Restart([request = std::move(request), headerRow, leftover = textView_->TakeLines()](
                     RoomScanWorker::Outbox& out) mutable {
        leftover = LineStore();
        ReturnFreedMemory();
        return RunRoomScan(request, headerRow, out);
    });
    emit Started();
}

void RoomScanFeed::StartRefused(std::string reason)
{
    DropBacklog();
    table_->Table().ClearSessions();
    run_.Restart([reason = std::move(reason), leftover = textView_->TakeLines()](RoomScanWorker::Outbox&) mutable {
        leftover = LineStore();
        ReturnFreedMemory();
        ScanOutcome outcome;
        outcome.Failed(std::move(reason));
        return outcome;
    });
    emit Started();
}

// One piece of news a call: the feed's pace decides how many a turn appends.
// Once the window has caught up with the scan, the table shows all it has.
void RoomScanFeed::Take(std::deque<RoomScanNews>& news)
{
    RoomScanNews next = std::move(news.front());
    news.pop_front();
    if (next.fileCount)
        emit FilesFound(*next.fileCount);
    if (next.piece)
        AppendSessions(*next.piece);
    if (news.empty())
        FlushTable();
}

void RoomScanFeed::End(RoomScanWorker::Ending ending)
{
    FlushTable();
    if (!ending.failure.empty())
        ending.result.Failed(std::move(ending.failure));
    emit Ended(ending.result);
}

void RoomScanFeed::AppendSessions(RoomScanPiece& piece)
{
    textView_->AppendLines(std::move(piece.lines));

    for (std::size_t column = 0; column < piece.cells.size(); ++column)
        tableBacklog_[column] += piece.cells[column];
    if (!tableFlushed_.isValid() || tableFlushed_.elapsed() >= kTableFlushMilliseconds)
        FlushTable();
    progress_->setValue(static_cast<int>(piece.fileIndex));
}

void RoomScanFeed::FlushTable()
{
    for (std::size_t column = 0; column < tableBacklog_.size(); ++column) {
        if (tableBacklog_[column].empty())
            continue;
        table_->AppendCellText(static_cast<int>(column), kSessionRow, tableBacklog_[column]);
        tableBacklog_[column].clear();
    }
    tableFlushed_.start();
}

void RoomScanFeed::DropBacklog()
{
    for (std::string& entries : tableBacklog_)
        entries.clear();
    tableFlushed_.invalidate();
}

} // namespace kiv
