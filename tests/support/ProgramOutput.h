#pragma once
// What another program writes on standard output, for the tests that read a
// printout back (pdftotext, pdfinfo, pdffonts, pdftoppm) or set the window
// beside kivlogs-cli.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace kivtest {

// The program's standard output; empty when it does not end within a minute
// or ends with an error, so that a check on the text fails rather than reads
// half a page.
inline QByteArray ProgramBytes(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QByteArray();
    return process.readAllStandardOutput();
}

// The same, read as UTF-8 text.
inline QString ProgramOutput(const QString& program, const QStringList& arguments)
{
    return QString::fromUtf8(ProgramBytes(program, arguments));
}

} // namespace kivtest
