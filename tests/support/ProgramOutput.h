#pragma once
// What another program writes on standard output, for the tests that read a
// printout back (pdftotext, pdfinfo, pdffonts, pdftoppm) or set the window
// beside kivlogs-cli.

#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QFile>
#include <QTemporaryDir>

#ifdef _WIN32
#include <windows.h>

#include <string>
#endif

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

#ifdef _WIN32
// Under Wine the tests are Windows programs while the PDF tools are the Linux
// host's: Wine starts a Linux program named by its full path, and hands it
// its arguments as they are, so a file is named to it by its Linux path.
// Wine's kernel32 converts both ways; on a real Windows neither exists and
// the names stay as they are (the tool is then not found, and the check fails).
// The tools are /usr/bin's.
template <typename Convert>
Convert WineConversion(const char* name)
{
    return reinterpret_cast<Convert>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

inline QString HostPath(const QString& path)
{
    const auto toUnix = WineConversion<char*(CDECL*)(LPCWSTR)>("wine_get_unix_file_name");
    const QString native = QDir::toNativeSeparators(QDir(path).absolutePath());
    char* unixPath = toUnix ? toUnix(reinterpret_cast<LPCWSTR>(native.utf16())) : nullptr;
    if (!unixPath)
        return path;
    const QString result = QString::fromUtf8(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

inline QString HostTool(const QString& name)
{
    const auto toDos = WineConversion<WCHAR*(CDECL*)(const char*)>("wine_get_dos_file_name");
    WCHAR* dosPath = toDos ? toDos(("/usr/bin/" + name).toUtf8().constData()) : nullptr;
    if (!dosPath)
        return name;
    const QString result = QString::fromWCharArray(dosPath);
    HeapFree(GetProcessHeap(), 0, dosPath);
    return result;
}
#else
inline QString HostPath(const QString& path)
{
    return path;
}

inline QString HostTool(const QString& name)
{
    return name;
}
#endif

#ifdef _WIN32
// A host's tool under Wine. Wine starts a Linux program but gives no handle
// to wait on, nor its output: a shell runs the tool into a file, then writes
// its exit status to a second file, which is awaited (a minute at most).
inline QString ShellQuoted(const QString& text)
{
    QString quoted = text;
    return QLatin1Char('\'') + quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''")) + QLatin1Char('\'');
}

inline QByteArray HostToolBytes(const QString& tool, const QStringList& arguments)
{
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("output"));
    const QString status = dir.filePath(QStringLiteral("status"));
    QString script = ShellQuoted(QStringLiteral("/usr/bin/") + tool);
    for (const QString& argument : arguments)
        script += QLatin1Char(' ') + ShellQuoted(argument);
    script += QStringLiteral(" >") + ShellQuoted(HostPath(output)) + QStringLiteral(" 2>/dev/null; echo $? >")
              + ShellQuoted(HostPath(status) + QStringLiteral(".part")) + QStringLiteral("; mv ")
              + ShellQuoted(HostPath(status) + QStringLiteral(".part")) + QLatin1Char(' ') + ShellQuoted(HostPath(status));
    QString line = QLatin1Char('"') + HostTool(QStringLiteral("sh")) + QStringLiteral("\" -c \"")
                   + QString(script).replace(QLatin1Char('"'), QStringLiteral("\\\"")) + QLatin1Char('"');
    std::wstring command = line.toStdWString();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return QByteArray();
    // What Wine puts in the handles of a Linux program is no handle of ours
    // to close: closing it may close one of Qt's (a thread's), so they are
    // left as they are.
    for (int waits = 0; waits < 600 && !QFile::exists(status); ++waits)
        Sleep(100);
    QFile statusFile(status);
    QFile outputFile(output);
    if (!statusFile.open(QIODevice::ReadOnly) || statusFile.readAll().trimmed() != "0"
        || !outputFile.open(QIODevice::ReadOnly))
        return QByteArray();
    return outputFile.readAll();
}
#endif

// What one of Poppler's PDF tools (pdfinfo, pdffonts, pdftoppm) writes;
// the paths among the arguments go through HostPath.
inline QString PdfTool(const QString& tool, const QStringList& arguments)
{
#ifdef _WIN32
    return QString::fromUtf8(HostToolBytes(tool, arguments));
#else
    return ProgramOutput(tool, arguments);
#endif
}

// The text of a PDF as pdftotext reads it, options (-layout, -bbox) first.
inline QString PdfText(const QString& pdf, QStringList options = {})
{
    options << HostPath(pdf) << QStringLiteral("-");
    return PdfTool(QStringLiteral("pdftotext"), options);
}

} // namespace kivtest
