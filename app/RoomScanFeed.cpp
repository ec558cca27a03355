#include "RoomScanFeed.h"

#include "LinesEdit.h"
#include "TSlotGrid.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QProgressBar>
#include <QTimer>

#include <chrono>
#include <future>
#include <utility>

namespace kiv {
namespace {

// How long one turn of appending may hold the window before its own events
// (typing, scrolling, painting) get their turn.
constexpr qint64 kSliceNanoseconds = 4'000'000;
// How often the table's cells take the entries that arrived.
constexpr qint64 kTableFlushMilliseconds = 50;

} // namespace

RoomScanFeed::RoomScanFeed(LinesEdit* textView, TSlotGrid* table, QProgressBar* progress, QWidget* window)
    : QObject(window)
    , textView_(textView)
    , table_(table)
    , progress_(progress)
{
    if (window)
        window->installEventFilter(this);
}

RoomScanFeed::~RoomScanFeed()
{
    CancelAll();
}

void RoomScanFeed::Start(OccupationRequest request, const std::vector<std::string>& headerRow)
{
    RoomScanRun::Handover handover;
    if (current_) {
        current_->Cancel();
        handover.previousDone = current_->Done();
        retiring_.emplace(currentId_, std::move(current_));
    }
    // A scan whose end was dropped unseen says so no more: let go of those
    // that are done now, the others when their end arrives.
    std::erase_if(retiring_, [](const auto& retired) {
        return retired.second->Done().wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    pending_.clear();
    for (std::string& entries : tableBacklog_)
        entries.clear();
    tableFlushed_.invalidate();

    table_->Table().ClearSessions();

    // The lines of the day shown before, which may hold the whole school,
    // are freed by the new scan's thread rather than the window's.
    handover.leftover = textView_->TakeLines();
    const std::uint64_t id = ++currentId_;
    current_ = std::make_unique<RoomScanRun>(
        std::move(request), headerRow,
        [this, id] { QMetaObject::invokeMethod(this, [this, id] { Wake(id); }, Qt::QueuedConnection); },
        std::move(handover));
    emit Started();
}

void RoomScanFeed::CancelAll()
{
    if (current_)
        current_->Cancel();
    for (auto& [id, run] : retiring_)
        run->Cancel();
    current_.reset();
    retiring_.clear();
    pending_.clear();
}

bool RoomScanFeed::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close)
        CancelAll();
    return QObject::eventFilter(watched, event);
}

void RoomScanFeed::Wake(std::uint64_t runId)
{
    if (current_ && runId == currentId_) {
        std::deque<RoomScanEvent> events = current_->TakeEvents();
        for (RoomScanEvent& event : events)
            pending_.push_back(std::move(event));
        QueueFeed();
        return;
    }
    const auto retired = retiring_.find(runId);
    if (retired == retiring_.end())
        return;
    for (const RoomScanEvent& event : retired->second->TakeEvents()) {
        if (event.kind == RoomScanEvent::Kind::Ended) {
            retiring_.erase(retired);
            return;
        }
    }
}

// Appending waits for a turn of the event loop, behind the window's own
// events, so that a slice never follows another without them in between.
void RoomScanFeed::QueueFeed()
{
    if (feedQueued_)
        return;
    feedQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        feedQueued_ = false;
        Feed();
    });
}

void RoomScanFeed::Feed()
{
    if (feeding_)
        return;
    feeding_ = true;
    QElapsedTimer slice;
    slice.start();
    while (!pending_.empty()) {
        if (slice.nsecsElapsed() > kSliceNanoseconds) {
            QueueFeed();
            break;
        }
        RoomScanEvent event = std::move(pending_.front());
        pending_.pop_front();
        Apply(event);
    }
    if (pending_.empty())
        FlushTable();
    feeding_ = false;
}

void RoomScanFeed::Apply(RoomScanEvent& event)
{
    switch (event.kind) {
    case RoomScanEvent::Kind::FilesFound:
        emit FilesFound(event.fileCount);
        break;
    case RoomScanEvent::Kind::Sessions:
        AppendSessions(event.piece);
        break;
    case RoomScanEvent::Kind::Ended:
        FlushTable();
        current_.reset();
        emit Ended(event.outcome);
        break;
    }
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

} // namespace kiv
