#pragma once
// The largest gap between two ticks of a 10 ms timer: the window's own
// measure of how long it did not answer.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

class StallMeter {
public:
    StallMeter()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { worst_ = std::max(worst_, clock_.restart()); });
    }
    void Start()
    {
        worst_ = 0;
        clock_.start();
        timer_.start();
    }
    qint64 StopMs()
    {
        timer_.stop();
        return std::max(worst_, clock_.elapsed());
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 worst_ = 0;
};
