#pragma once
// What another program writes on standard output, for the tests that read a
// printout back (pdftotext, pdfinfo, pdffonts, pdftoppm) or set the window
// beside kivlogs-cli.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace kivtest {

// Whether a run may end with an error status and still count: kivlogs-cli
// exits 1 when a log cannot be read, and still writes what it read.
enum class ExitStatus { MustBeZero, Any };

// The program's standard output; empty when it does not end within a minute
// or, unless told otherwise, ends with an error, so that a check on the text
// fails rather than reads half a page.
inline QByteArray ProgramBytes(const QString& program, const QStringList& arguments,
                               ExitStatus status = ExitStatus::MustBeZero)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        // A program that hangs is killed here, and named, rather than left
        // to hold the test until ctest's own timeout.
        process.kill();
        process.waitForFinished();
        qWarning("%s did not end within a minute: killed", qPrintable(program));
        return QByteArray();
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return QByteArray();
    if (status == ExitStatus::MustBeZero && process.exitCode() != 0)
        return QByteArray();
    return process.readAllStandardOutput();
}

// The same, read as UTF-8 text.
inline QString ProgramOutput(const QString& program, const QStringList& arguments,
                             ExitStatus status = ExitStatus::MustBeZero)
{
    return QString::fromUtf8(ProgramBytes(program, arguments, status));
}

} // namespace kivtest
