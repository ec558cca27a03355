#pragma once
// A printout handed to the system's print queue. Qt sends the whole document
// to the queue when painting ends and keeps the queue's answer to itself; a
// printout called off is sent all the same. This reads the answer, so that a
// queue that refuses jobs says why, and withdraws a called-off job from the
// queue before it comes out.

#include <QPageLayout>

class QPainter;
class QPrinter;

namespace kiv {

// Turns the job's page to orientation and lays it out on the whole area the
// printer can print on: its own minimum margins, nothing added. A PDF file
// gets the area a common printer can print on (4.2 mm from each edge).
void UsePrintableArea(QPrinter& printer, QPageLayout::Orientation orientation);

class PrintQueueJob {
public:
    // Notes the queue's jobs before printer starts a document.
    explicit PrintQueueJob(const QPrinter& printer);

    // Ends painting. A printout called off is cancelled at the queue: what
    // its pages made reaches no paper. Throws KivError with the queue's
    // refusal when the queue did not take the job, and with its reason when
    // the queue is stopped and holds the job.
    void End(QPainter& painter, bool calledOff);

private:
    const QPrinter& printer_;
    bool queued_;
    int lastJobBefore_ = 0;
};

} // namespace kiv
