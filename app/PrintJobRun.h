#pragma once
// A printout runs on a thread of its own: a year of results or a busy day's
// table takes seconds of layout and drawing, and the window keeps answering
// meanwhile. One printout at a time, since both go to the program's one
// printer; its error, if any, is shown when it ends. Closing the window calls
// the printout off at the end of its page and waits for it.

#include <QObject>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class QWidget;

namespace kiv {

class PrintJobRun : public QObject {
    Q_OBJECT

public:
    // The printout, given the flag that calls it off.
    using Job = std::function<void(const std::atomic<bool>& cancel)>;

    explicit PrintJobRun(QWidget* window);
    ~PrintJobRun() override;

    bool Running() const noexcept { return running_; }
    // Starts job; refused (false) while another printout runs.
    bool Start(Job job);
    // Calls the printout off at the end of its page and waits for it.
    void CancelAndWait();

signals:
    void RunningChanged(bool running);
    // The printout is over; its error, if any, was shown.
    void Finished(bool printed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Work(const Job& job);
    void End();

    QWidget* window_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    bool running_ = false;
    // Written by the worker before it hands over, read by the window after.
    std::string error_;
};

} // namespace kiv
