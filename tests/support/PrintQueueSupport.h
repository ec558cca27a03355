#pragma once
// Printing through the private CUPS-PDF queue that scripts/with-cups-pdf.sh
// gives a test: CUPS_PDF_OUT names the folder where each job arrives as a
// PDF, a few seconds after it was printed.

#include <QDateTime>
#include <QDir>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QSignalSpy>

namespace kivtest {

inline QString RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline bool RunsWell(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

inline bool PrintQueueGiven()
{
    return !qEnvironmentVariableIsEmpty("CUPS_PDF_OUT");
}

inline bool QueueIdle()
{
    return RunTool(QStringLiteral("lpstat"), {QStringLiteral("-o")}).trimmed().isEmpty();
}

// A PDF that the queue wrote since a moment and whose text holds marker.
inline QString QueuedPdf(const QDateTime& since, const QString& marker)
{
    const QDir out(qEnvironmentVariable("CUPS_PDF_OUT"));
    for (const QFileInfo& file : out.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time))
        if (file.lastModified() >= since &&
            RunTool(QStringLiteral("pdftotext"), {file.filePath(), QStringLiteral("-")}).contains(marker))
            return file.filePath();
    return QString();
}

// The same, once the queue has no job left; empty when none came within a
// minute.
inline QString AwaitQueuedPdf(const QDateTime& since, const QString& marker)
{
    const QDir out(qEnvironmentVariable("CUPS_PDF_OUT"));
    QFileSystemWatcher watcher({out.path()});
    QSignalSpy changed(&watcher, &QFileSystemWatcher::directoryChanged);
    for (int turn = 0; turn < 60; ++turn) {
        if (QueueIdle()) {
            const QString pdf = QueuedPdf(since, marker);
            if (!pdf.isEmpty())
                return pdf;
        }
        changed.wait(1000);
    }
    return QString();
}

// Waits until the queue holds no job (at most a minute).
inline bool AwaitIdleQueue()
{
    const QDir out(qEnvironmentVariable("CUPS_PDF_OUT"));
    QFileSystemWatcher watcher({out.path()});
    QSignalSpy changed(&watcher, &QFileSystemWatcher::directoryChanged);
    for (int turn = 0; turn < 60; ++turn) {
        if (QueueIdle())
            return true;
        changed.wait(1000);
    }
    return false;
}

} // namespace kivtest
