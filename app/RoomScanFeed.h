#pragma once
// The window's side of the room scan: every change of day or room starts a
// fresh scan and drops what an older one still had to show, and the sessions
// of the scan in progress are appended to the text view and to the row-1
// cells of the table a slice at a time, so that the window keeps answering
// while a busy day of the whole school fills in.

#include "OccupationJob.h"
#include "RoomScanRun.h"

#include <QElapsedTimer>
#include <QObject>

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
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
    // window: closing it cancels the scans and waits for them.
    RoomScanFeed(LinesEdit* textView, TSlotGrid* table, QProgressBar* progress, QWidget* window);
    ~RoomScanFeed() override;

    // Empties row 1 of the slot columns and the text view, then scans the day
    // of the request for its room; a scan still running is cancelled and
    // nothing more of it is shown.
    void Start(OccupationRequest request, const std::vector<std::string>& headerRow);

    // Cancels every scan and waits until their threads are done.
    void CancelAll();

    bool Running() const noexcept { return current_ != nullptr; }

signals:
    void Started();
    // The day's files are listed; the sessions come next.
    void FilesFound(std::size_t fileCount);
    // The last scan started has shown all it found.
    void Ended(const kiv::ScanOutcome& outcome);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Wake(std::uint64_t runId);
    void QueueFeed();
    void Feed();
    void Apply(RoomScanEvent& event);
    void AppendSessions(RoomScanPiece& piece);
    void FlushTable();

    LinesEdit* textView_;
    TSlotGrid* table_;
    QProgressBar* progress_;

    std::unique_ptr<RoomScanRun> current_;
    std::uint64_t currentId_ = 0;
    // Cancelled scans, kept until their threads have ended.
    std::map<std::uint64_t, std::unique_ptr<RoomScanRun>> retiring_;
    std::deque<RoomScanEvent> pending_;
    // Entries not yet in the table: a repaint of eight busy cells costs more
    // than a slice of text, so the table takes them a few times a second.
    std::array<std::string, kRoomTableColumns> tableBacklog_;
    QElapsedTimer tableFlushed_;
    bool feeding_ = false;
    bool feedQueued_ = false;
};

} // namespace kiv
