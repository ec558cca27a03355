#include "app/window/RoomErrorOnce.h"

#include "app/window/KivErrorBox.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace kiv {

RoomErrorOnce::RoomErrorOnce(std::vector<QWidget*> typingBoxes, QWidget* window)
    : QObject(window)
    , typingBoxes_(std::move(typingBoxes))
    , window_(window)
    , pause_(new QTimer(this))
{
    pause_->setSingleShot(true);
    pause_->setInterval(2000);
    connect(pause_, &QTimer::timeout, this, &RoomErrorOnce::ShowWaiting);
    for (QWidget* box : typingBoxes_) {
        box->installEventFilter(this);
        for (QWidget* inner : box->findChildren<QWidget*>())
            inner->installEventFilter(this);
    }
}

void RoomErrorOnce::SetTypingPause(int milliseconds)
{
    pause_->setInterval(milliseconds);
}

void RoomErrorOnce::Report(const std::string& scanKey, const std::vector<std::string>& errors)
{
    if (errors.empty()) {
        lastKey_.clear();
        lastErrors_.clear();
        waiting_.clear();
        return;
    }
    if (scanKey == lastKey_ && errors == lastErrors_)
        return;
    lastKey_ = scanKey;
    lastErrors_ = errors;
    waiting_ = errors;
    if (Typing())
        pause_->start();
    else
        ShowWaiting();
}

bool RoomErrorOnce::Typing() const
{
    for (const QWidget* box : typingBoxes_)
        if (box->hasFocus() || box->isAncestorOf(QApplication::focusWidget()))
            return true;
    return false;
}

bool RoomErrorOnce::eventFilter(QObject* watched, QEvent* event)
{
    if (!waiting_.empty()) {
        if (event->type() == QEvent::KeyPress)
            pause_->start(); // still typing: the pause starts again
        else if (event->type() == QEvent::FocusOut)
            QTimer::singleShot(0, this, [this] {
                if (!Typing())
                    ShowWaiting();
            });
    }
    return QObject::eventFilter(watched, event);
}

void RoomErrorOnce::ShowWaiting()
{
    pause_->stop();
    if (waiting_.empty())
        return;
    const std::vector<std::string> errors = std::move(waiting_);
    waiting_.clear();
    ShowKivErrors(window_, errors);
}

} // namespace kiv
