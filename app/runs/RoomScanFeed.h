#pragma once
// The window's side of the room scan: every change of day or room starts a
// fresh scan and drops what an older one still had to show, and the sessions
// of the scan in progress are appended to the text view and to the row-1
// cells of the table a few milliseconds at a time, so that the window keeps
// answering while a busy day of the whole school fills in.

#include "app/runs/RoomScanRun.h"
#include "jobs/OccupationJob.h"

#include <QElapsedTimer>
#include <QObject>

#include <array>
#include <deque>
#include <string>
#include <vector>

class QProgressBar;
class QWidget;

namespace kiv {

class LinesEdit;
class TSlotGrid;

class RoomScanFeed : public QObject {
    Q_OBJECT

public:
    // window: closing it cancels the scan and waits for it.
    RoomScanFeed(LinesEdit* textView, TSlotGrid* table, QProgressBar* progress, QWidget* window);

    // Empties row 1 of the slot columns and the text view, then scans the day
    // of the request for its room; a scan still running is cancelled and
    // nothing more of it is shown.
    void Start(OccupationRequest request, const std::vector<std::string>& headerRow);
    // A scan that cannot run (a room no log can name): the views empty as for
    // any new scan, and it ends at once with reason as its error.
    void StartRefused(std::string reason);

    // Cancels the scan and waits until it has stopped.
    void CancelAll() { run_.CancelAndWait(); }

    bool Running() const noexcept { return run_.Running(); }

signals:
    void Started();
    // The day's files are listed; the sessions come next.
    void FilesFound(std::size_t fileCount);
    // The last scan started has shown all it found.
    void Ended(const kiv::ScanOutcome& outcome);

private:
    void Take(std::deque<RoomScanNews>& news);
    void End(RoomScanWorker::Ending ending);
    void AppendSessions(RoomScanPiece& piece);
    void FlushTable();
    void DropBacklog();

    LinesEdit* textView_;
    TSlotGrid* table_;
    QProgressBar* progress_;

    // Entries not yet in the table: a repaint of eight busy cells costs more
    // than a slice of text, so the table takes them a few times a second.
    std::array<std::string, kRoomTableColumns> tableBacklog_;
    QElapsedTimer tableFlushed_;
    RoomScanWorker run_;
};

} // namespace kiv
