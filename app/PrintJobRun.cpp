#include "PrintJobRun.h"

#include "KivErrorBox.h"

#include <QEvent>
#include <QWidget>

#include <exception>
#include <utility>

namespace kiv {

PrintJobRun::PrintJobRun(QWidget* window)
    : QObject(window)
    , window_(window)
{
    if (window)
        window->installEventFilter(this);
}

PrintJobRun::~PrintJobRun()
{
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

bool PrintJobRun::Start(Job job)
{
    if (running_)
        return false;
    if (worker_.joinable())
        worker_.join();
    running_ = true;
    cancel_ = false;
    error_.clear();
    emit RunningChanged(true);
    worker_ = std::thread([this, job = std::move(job)] { Work(job); });
    return true;
}

void PrintJobRun::CancelAndWait()
{
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

bool PrintJobRun::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close)
        CancelAndWait();
    return QObject::eventFilter(watched, event);
}

// Worker thread.
void PrintJobRun::Work(const Job& job)
{
    try {
        job(cancel_);
    } catch (const std::exception& error) {
        error_ = error.what();
    }
    QMetaObject::invokeMethod(this, &PrintJobRun::End, Qt::QueuedConnection);
}

void PrintJobRun::End()
{
    if (worker_.joinable())
        worker_.join();
    running_ = false;
    const bool printed = error_.empty() && !cancel_;
    if (!error_.empty())
        ShowKivError(window_, error_);
    emit RunningChanged(false);
    emit Finished(printed);
}

} // namespace kiv
