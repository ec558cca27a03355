#include "grid/PrintQueue.h"

#include "logscan/KivError.h"
#include "qtext/QtCp1252.h"

#include <QLibrary>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <ctime>

namespace kiv {
namespace {

// The few calls of the CUPS client library that Qt does not pass on, taken
// from the library Qt itself loaded for its print queues (none on Windows,
// where the system's own spooler reports through Qt).
struct CupsJob {
    int id;
    char* dest;
    char* title;
    char* user;
    char* format;
    int state;
    int size;
    int priority;
    std::time_t completedTime;
    std::time_t creationTime;
    std::time_t processingTime;
};

struct Cups {
    int (*lastError)() = nullptr;
    const char* (*lastErrorString)() = nullptr;
    int (*getJobs)(CupsJob**, const char*, int, int) = nullptr;
    void (*freeJobs)(int, CupsJob*) = nullptr;
    int (*cancelJob)(const char*, int) = nullptr;

    bool Loaded() const { return lastError && lastErrorString && getJobs && freeJobs && cancelJob; }
};

const Cups& CupsLibrary()
{
    static const Cups cups = [] {
        Cups loaded;
#ifndef _WIN32
        QLibrary library(QStringLiteral("cups"), 2);
        if (library.load()) {
            loaded.lastError = reinterpret_cast<int (*)()>(library.resolve("cupsLastError"));
            loaded.lastErrorString = reinterpret_cast<const char* (*)()>(library.resolve("cupsLastErrorString"));
            loaded.getJobs = reinterpret_cast<int (*)(CupsJob**, const char*, int, int)>(library.resolve("cupsGetJobs"));
            loaded.freeJobs = reinterpret_cast<void (*)(int, CupsJob*)>(library.resolve("cupsFreeJobs"));
            loaded.cancelJob = reinterpret_cast<int (*)(const char*, int)>(library.resolve("cupsCancelJob"));
        }
#endif
        return loaded;
    }();
    return cups;
}

// The queue's own name: Qt may add "/instance" to it.
QByteArray QueueName(const QPrinter& printer)
{
    return printer.printerName().section(QLatin1Char('/'), 0, 0).toLocal8Bit();
}

constexpr int kMyJobs = 1;
constexpr int kAllJobs = -1;
constexpr int kActiveJobs = 0;
// Status codes below this one are successes (IPP's "ok" family).
constexpr int kFirstFailure = 0x0400;

template <typename Visit>
void ForEachOwnJob(const Cups& cups, const QByteArray& queue, int which, Visit&& visit)
{
    CupsJob* jobs = nullptr;
    const int count = cups.getJobs(&jobs, queue.constData(), kMyJobs, which);
    for (int i = 0; i < count; ++i)
        visit(jobs[i].id);
    if (count > 0)
        cups.freeJobs(count, jobs);
}

} // namespace

void UsePrintableArea(QPrinter& printer, QPageLayout::Orientation orientation)
{
    printer.setFullPage(false);
    printer.setPageOrientation(orientation);
    QPageLayout layout = printer.pageLayout();
    layout.setMargins(layout.minimumMargins());
    printer.setPageLayout(layout);
}

PrintQueueJob::PrintQueueJob(const QPrinter& printer)
    : printer_(printer),
      queued_(printer.outputFormat() == QPrinter::NativeFormat && printer.outputFileName().isEmpty() &&
              CupsLibrary().Loaded())
{
    if (queued_)
        ForEachOwnJob(CupsLibrary(), QueueName(printer_), kAllJobs,
                      [this](int id) { lastJobBefore_ = std::max(lastJobBefore_, id); });
}

void PrintQueueJob::End(QPainter& painter, bool calledOff)
{
    const bool ended = painter.end();
    if (!queued_) {
        if (!ended && !calledOff)
            throw KivError(ToCp1252(QStringLiteral("Impossible d'imprimer sur ") + printer_.printerName()));
        return;
    }
    const Cups& cups = CupsLibrary();
    // Qt's sending of the document was the last request of this thread.
    if (cups.lastError() >= kFirstFailure) {
        if (calledOff)
            return;
        throw KivError(ToCp1252(QStringLiteral("L'imprimante %1 refuse l'impression : %2")
                                    .arg(printer_.printerName(), QString::fromUtf8(cups.lastErrorString()))));
    }
    if (calledOff) {
        const QByteArray queue = QueueName(printer_);
        ForEachOwnJob(cups, queue, kActiveJobs, [&](int id) {
            if (id > lastJobBefore_)
                cups.cancelJob(queue.constData(), id);
        });
    }
}

} // namespace kiv
