#include "RoomScanRun.h"

#include "QtCp1252.h"
#include "SessionText.h"

#include <exception>
#include <utility>

namespace kiv {

RoomScanRun::RoomScanRun(OccupationRequest request, const std::vector<std::string>& headerRow,
                         std::function<void()> wake, Handover handover)
    : wake_(std::move(wake))
    , handover_(std::move(handover))
{
    // The worker places sessions in a table of its own under the window's
    // headers; the window appends what each slice added to its cells.
    for (std::size_t column = 0; column < headerRow.size(); ++column)
        placedCells_.SetCellText(static_cast<int>(column), 0, headerRow[column]);
    thread_ = std::thread([this, request = std::move(request)] { Work(request); });
}

RoomScanRun::~RoomScanRun()
{
    Cancel();
    if (thread_.joinable())
        thread_.join();
}

void RoomScanRun::Cancel() noexcept
{
    cancel_.store(true);
}

std::deque<RoomScanEvent> RoomScanRun::TakeEvents()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    woken_ = false;
    return std::exchange(events_, {});
}

void RoomScanRun::Work(const OccupationRequest& request)
{
    // The scan after this one waits for it, whatever way this one ends.
    struct DoneOnExit {
        std::promise<void>& done;
        ~DoneOnExit() { done.set_value(); }
    } doneOnExit{done_};
    handover_.leftover = LineStore();
    ReturnFreedMemory();
    if (handover_.previousDone.valid())
        handover_.previousDone.wait();
    OccupationEvents events;
    events.onFilesFound = [this](std::size_t count) {
        RoomScanEvent event;
        event.kind = RoomScanEvent::Kind::FilesFound;
        event.fileCount = count;
        Push(std::move(event));
    };
    events.onFileStarted = [this](std::size_t index, std::size_t) { currentFile_ = index; };
    events.onSessions = [this](std::vector<SessionEntry>&& batch) { PushSessions(batch); };

    RoomScanEvent end;
    try {
        if (!cancel_.load())
            end.outcome = RunOccupationJob(request, events, &cancel_);
    } catch (const std::exception& error) {
        // The window must hear of the end whatever happened, or its progress
        // bar would stay up; the failure is listed like an unread file.
        end.outcome.allRead = false;
        end.outcome.errors.emplace_back(error.what());
    }
    end.outcome.cancelled = end.outcome.cancelled || cancel_.load();
    end.kind = RoomScanEvent::Kind::Ended;
    Push(std::move(end));
}

void RoomScanRun::PushSessions(std::vector<SessionEntry>& batch)
{
    std::string line;
    for (std::size_t first = 0; first < batch.size() && !cancel_.load(); first += kPieceSessions) {
        const std::size_t last = std::min(batch.size(), first + kPieceSessions);
        RoomScanEvent event;
        event.kind = RoomScanEvent::Kind::Sessions;
        RoomScanPiece& piece = event.piece;
        piece.fileIndex = currentFile_;
        piece.sessionCount = last - first;
        for (std::size_t i = first; i < last; ++i) {
            line.clear();
            AppendSessionLine(batch[i], line);
            piece.lines.Add(line);
            placed_.Place(batch[i]);
        }
        for (std::size_t column = 0; column < piece.cells.size(); ++column)
            piece.cells[column] = placed_.SessionCell(static_cast<int>(column));
        placed_.ClearSessions();
        Push(std::move(event));
    }
}

void RoomScanRun::Push(RoomScanEvent event)
{
    bool wake = false;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        // After a cancel only the end still matters to the window.
        if (cancel_.load() && event.kind != RoomScanEvent::Kind::Ended)
            return;
        events_.push_back(std::move(event));
        wake = !std::exchange(woken_, true);
    }
    if (wake && wake_)
        wake_();
}

} // namespace kiv
