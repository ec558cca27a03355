#pragma once
// A printout runs beside the window: a year of results or a busy day's table
// takes seconds of layout and drawing, and the window keeps answering
// meanwhile. One printout at a time, since both go to the program's one
// printer; its error, if any, is shown when it ends. Closing the window calls
// the printout off at the end of its page and waits for it.

#include "app/runs/WorkerRun.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <variant>

class QWidget;

namespace kiv {

class PrintJobRun : public QObject {
    Q_OBJECT

public:
    // The printout, given the flag that calls it off.
    using Job = std::function<void(const std::atomic<bool>& cancel)>;

    explicit PrintJobRun(QWidget* window);

    bool Running() const noexcept { return run_.Running(); }
    // Starts job; refused (false) while another printout runs.
    bool Start(Job job);
    // Calls the printout off at the end of its page and waits for it.
    void CancelAndWait() { run_.CancelAndWait(); }

signals:
    void RunningChanged(bool running);
    // The printout is over; its error, if any, was shown.
    void Finished(bool printed);

private:
    // A printout hands nothing over before its end.
    using Run = WorkerRun<std::monostate, std::monostate>;

    void End(Run::Ending ending);
    void CalledOff();

    QWidget* window_;
    Run run_;
};

} // namespace kiv
