#pragma once
// What another program writes on standard output, for the tests that read a
// printout back (pdftotext, pdfinfo, pdffonts, pdftoppm) or set the window
// beside kivlogs-cli.

#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

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
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
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
// A host's tool, started and awaited plainly: QProcess does not see a Linux
// program end under Wine. Its output goes through a file.
inline QByteArray HostToolBytes(const QString& tool, const QStringList& arguments)
{
    QTemporaryFile output;
    if (!output.open())
        return QByteArray();
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const QString outputName = QDir::toNativeSeparators(output.fileName());
    HANDLE file = CreateFileW(reinterpret_cast<LPCWSTR>(outputName.utf16()), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return QByteArray();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = file;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    QString line = QLatin1Char('"') + HostTool(tool) + QLatin1Char('"');
    for (const QString& argument : arguments)
        line += QStringLiteral(" \"") + argument + QLatin1Char('"');
    std::wstring command = line.toStdWString();
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    CloseHandle(file);
    if (!started)
        return QByteArray();
    DWORD code = 1;
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.hProcess, &code))
        code = 1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0 ? output.readAll() : QByteArray();
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
