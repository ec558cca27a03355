#pragma once
// A screen reader's questions to the window, asked from another process over
// the accessibility bus (bench/poll-accessibility.py) while the window works:
// the time each waits for its answer is what the staff meet, the window's own
// turns, the cores the scan leaves it and the bus all counted, where the
// window's timer (StallMeter) sees its own turns only.

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <string>

struct PollAnswers {
    int count = -1; // -1: nothing measured
    double slowestMs = 0;
    double medianMs = 0;
    double p99Ms = 0;
};

class AccessibilityPoll {
public:
    // Starts the poller and waits, in the window's event loop (which answers
    // the poller's search for the window), until it found the results view.
    // False when it did not within the time given.
    bool Start(const std::string& script, int timeoutMs = 60000)
    {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral("/usr/bin/python3"),
                       {QString::fromStdString(script), QCoreApplication::applicationName()});
        QEventLoop wait;
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, &wait, [&] {
            if (process_.canReadLine())
                wait.quit();
        });
        QObject::connect(&process_, &QProcess::finished, &wait, &QEventLoop::quit);
        QTimer::singleShot(timeoutMs, &wait, &QEventLoop::quit);
        wait.exec();
        return process_.canReadLine() && process_.readLine().trimmed() == "ready";
    }

    // Stops the questions and reads what the poller measured.
    PollAnswers Stop()
    {
        process_.closeWriteChannel();
        QEventLoop wait;
        QObject::connect(&process_, &QProcess::finished, &wait, &QEventLoop::quit);
        QTimer::singleShot(30000, &wait, &QEventLoop::quit);
        if (process_.state() != QProcess::NotRunning)
            wait.exec();
        const QList<QByteArray> words = process_.readAllStandardOutput().trimmed().split(' ');
        if (words.size() < 8 || words[0] != "answers")
            return {};
        return PollAnswers{words[1].toInt(), words[3].toDouble(), words[5].toDouble(), words[7].toDouble()};
    }

private:
    QProcess process_;
};
