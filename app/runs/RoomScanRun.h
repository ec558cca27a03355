#pragma once
// The worker's side of a room occupation scan. It reads the day's connection
// logs through the occupation job and turns each batch of sessions into what
// the window shows: the text view's lines and, per time-slot column, the
// entries its row-1 cell receives. It never touches a widget; RoomScanFeed
// runs it beside the window and appends what it posts.

#include "app/runs/WorkerRun.h"
#include "jobs/OccupationJob.h"
#include "jobs/ScanOutcome.h"
#include "lines/LineStore.h"
#include "table/OccupationTable.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
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

// What the scan hands over at a time: the number of the day's files, once,
// before any session, then pieces of sessions.
struct RoomScanNews {
    std::optional<std::size_t> fileCount;
    std::optional<RoomScanPiece> piece;
};

using RoomScanWorker = WorkerRun<RoomScanNews, ScanOutcome>;

// Sessions are handed on in pieces of at most this many, so that the window
// can append one between two of its own events.
inline constexpr std::size_t kRoomScanPieceSessions = 256;

// Worker thread: scans the day of request for its room and posts what it
// finds. headerRow: the table's slot headers, which decide the columns.
ScanOutcome RunRoomScan(const OccupationRequest& request, const std::vector<std::string>& headerRow,
                        RoomScanWorker::Outbox& out);

} // namespace kiv
