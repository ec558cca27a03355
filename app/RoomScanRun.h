#pragma once
// One room occupation scan on a thread of its own. The worker reads the day's
// connection logs through the occupation job and turns each batch of sessions
// into what the window shows: the text view's lines and, per time-slot
// column, the entries its row-1 cell receives. The window takes them from a
// mailbox in order; the worker never touches a widget.

#include "CellStore.h"
#include "LineStore.h"
#include "OccupationJob.h"
#include "OccupationTable.h"
#include "ScanOutcome.h"

#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kiv {

// The slot columns the window's table shows.
inline constexpr std::size_t kRoomTableColumns = kSlotColumnCount;

// A slice of the day's sessions, ready to be appended.
struct RoomScanPiece {
    LineBatch lines; // one SessionLine per session
    std::array<std::string, kRoomTableColumns> cells; // SlotEntry texts per column
    std::size_t fileIndex = 0;                        // the file the sessions come from
    std::size_t sessionCount = 0;
};

struct RoomScanEvent {
    enum class Kind { FilesFound, Sessions, Ended };
    Kind kind = Kind::Ended;
    std::size_t fileCount = 0; // FilesFound
    RoomScanPiece piece;       // Sessions
    ScanOutcome outcome;       // Ended
};

class RoomScanRun {
public:
    // Sessions are handed on in pieces of at most this many, so that the
    // window can append one between two of its own events.
    static constexpr std::size_t kPieceSessions = 256;

    // What a scan takes over from the one before it.
    struct Handover {
        // What the window showed of an earlier day, freed by the worker
        // (hundreds of thousands of lines take longer to free than a keystroke
        // may hold the window); it must belong to no thread.
        LineStore leftover;
        // Set when the scan before has stopped reading: a scan reads the day
        // only then, so that quick typing never has a dozen scans reading the
        // same logs at once, and those cancelled meanwhile read nothing.
        std::shared_future<void> previousDone;
    };

    // Starts the scan at once. headerRow: the table's slot headers, which
    // decide the columns. wake is called on the worker thread whenever an
    // event arrives while none was waiting since the last TakeEvents.
    RoomScanRun(OccupationRequest request, const std::vector<std::string>& headerRow, std::function<void()> wake,
                Handover handover = {});
    // Cancels the scan and waits for its thread.
    ~RoomScanRun();
    RoomScanRun(const RoomScanRun&) = delete;
    RoomScanRun& operator=(const RoomScanRun&) = delete;

    // Nothing more arrives after this but the end of the scan.
    void Cancel() noexcept;

    // Set once the scan has stopped reading and handed on its end.
    std::shared_future<void> Done() const { return doneFuture_; }

    // The events that arrived since the last call, in order: FilesFound once,
    // then the sessions, then Ended, always last, also after a cancel.
    std::deque<RoomScanEvent> TakeEvents();

private:
    void Work(const OccupationRequest& request);
    void Push(RoomScanEvent event);
    void PushSessions(std::vector<SessionEntry>& batch);

    CellStore placedCells_;                    // worker thread only, once started
    OccupationTable placed_{placedCells_};
    const std::function<void()> wake_;
    std::atomic<bool> cancel_{false};
    std::size_t currentFile_ = 0; // worker thread only
    Handover handover_;
    std::promise<void> done_;
    std::shared_future<void> doneFuture_ = done_.get_future().share();

    std::mutex mutex_;
    std::deque<RoomScanEvent> events_;
    bool woken_ = false;

    std::thread thread_; // last: started once everything above exists
};

} // namespace kiv
