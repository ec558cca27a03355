#include "grid/PrintQueue.h"

#include "logscan/KivError.h"
#include "qtext/QtCp1252.h"

#include <QLibrary>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <optional>

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

struct CupsOption {
    char* name;
    char* value;
};

struct CupsDest {
    char* name;
    char* instance;
    int isDefault;
    int optionCount;
    CupsOption* options;
};

struct Cups {
    int (*lastError)() = nullptr;
    const char* (*lastErrorString)() = nullptr;
    int (*getJobs)(CupsJob**, const char*, int, int) = nullptr;
    void (*freeJobs)(int, CupsJob*) = nullptr;
    int (*cancelJob)(const char*, int) = nullptr;
    CupsDest* (*getNamedDest)(void*, const char*, const char*) = nullptr;
    const char* (*getOption)(const char*, int, CupsOption*) = nullptr;
    void (*freeDests)(int, CupsDest*) = nullptr;
    // IPP, for what the destination list leaves out: the queue's message.
    void* (*ippNewRequest)(int) = nullptr;
    void* (*ippAddString)(void*, int, int, const char*, const char*, const char*) = nullptr;
    void* (*doRequest)(void*, void*, const char*) = nullptr;
    void* (*ippFindAttribute)(void*, const char*, int) = nullptr;
    const char* (*ippGetString)(void*, int, const char**) = nullptr;
    void (*ippDelete)(void*) = nullptr;

    bool Loaded() const
    {
        return lastError && lastErrorString && getJobs && freeJobs && cancelJob && getNamedDest && getOption &&
               freeDests && ippNewRequest && ippAddString && doRequest && ippFindAttribute && ippGetString &&
               ippDelete;
    }
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
            loaded.getNamedDest = reinterpret_cast<CupsDest* (*)(void*, const char*, const char*)>(
                library.resolve("cupsGetNamedDest"));
            loaded.getOption =
                reinterpret_cast<const char* (*)(const char*, int, CupsOption*)>(library.resolve("cupsGetOption"));
            loaded.freeDests = reinterpret_cast<void (*)(int, CupsDest*)>(library.resolve("cupsFreeDests"));
            loaded.ippNewRequest = reinterpret_cast<void* (*)(int)>(library.resolve("ippNewRequest"));
            loaded.ippAddString = reinterpret_cast<void* (*)(void*, int, int, const char*, const char*, const char*)>(
                library.resolve("ippAddString"));
            loaded.doRequest =
                reinterpret_cast<void* (*)(void*, void*, const char*)>(library.resolve("cupsDoRequest"));
            loaded.ippFindAttribute =
                reinterpret_cast<void* (*)(void*, const char*, int)>(library.resolve("ippFindAttribute"));
            loaded.ippGetString =
                reinterpret_cast<const char* (*)(void*, int, const char**)>(library.resolve("ippGetString"));
            loaded.ippDelete = reinterpret_cast<void (*)(void*)>(library.resolve("ippDelete"));
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

// A sixth of an inch: what common laser and ink-jet printers cannot print
// at each edge of the sheet.
constexpr qreal kPdfEdgeMm = 4.2;

constexpr int kMyJobs = 1;
constexpr int kAllJobs = -1;
constexpr int kActiveJobs = 0;
// Status codes below this one are successes (IPP's "ok" family).
constexpr int kFirstFailure = 0x0400;

// IPP's printer state "stopped": the queue takes jobs and holds them.
constexpr int kStoppedQueue = 5;

// IPP's numbers for a request of the queue's attributes.
constexpr int kGetPrinterAttributes = 0x000B;
constexpr int kOperationGroup = 0x01;
constexpr int kUriValue = 0x45;
constexpr int kTextValue = 0x41;

// The message the queue's administrator gave (cupsdisable -r), or empty.
QString QueueMessage(const Cups& cups, const QByteArray& queue)
{
    void* request = cups.ippNewRequest(kGetPrinterAttributes);
    if (!request)
        return QString();
    const QByteArray uri = "ipp://localhost/printers/" + queue;
    cups.ippAddString(request, kOperationGroup, kUriValue, "printer-uri", nullptr, uri.constData());
    void* response = cups.doRequest(nullptr, request, "/"); // frees the request
    if (!response)
        return QString();
    void* attribute = cups.ippFindAttribute(response, "printer-state-message", kTextValue);
    const QString message = attribute ? QString::fromUtf8(cups.ippGetString(attribute, 0, nullptr)) : QString();
    cups.ippDelete(response);
    return message;
}

// Why the queue holds its jobs, when it is stopped: the reason its
// administrator gave, else CUPS's own word for it ("paused").
std::optional<QString> StoppedBecause(const Cups& cups, const QByteArray& queue)
{
    CupsDest* dest = cups.getNamedDest(nullptr, queue.constData(), nullptr);
    if (!dest)
        return std::nullopt;
    std::optional<QString> reason;
    const char* state = cups.getOption("printer-state", dest->optionCount, dest->options);
    if (state && std::atoi(state) == kStoppedQueue) {
        const char* reasons = cups.getOption("printer-state-reasons", dest->optionCount, dest->options);
        reason = QString::fromUtf8(reasons ? reasons : "");
    }
    cups.freeDests(1, dest);
    if (reason) {
        const QString message = QueueMessage(cups, queue);
        if (!message.isEmpty())
            reason = message;
    }
    return reason;
}

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
    layout.setUnits(QPageLayout::Millimeter);
    QMarginsF margins = layout.minimumMargins();
    // A PDF file has no unprintable edge of its own, but it is printed later
    // on some printer: it gets the edge that common laser and ink-jet
    // printers leave, so that nothing of it is cut then. A printer keeps its
    // own.
    if (printer.outputFormat() == QPrinter::PdfFormat)
        margins = QMarginsF(std::max(margins.left(), kPdfEdgeMm), std::max(margins.top(), kPdfEdgeMm),
                            std::max(margins.right(), kPdfEdgeMm), std::max(margins.bottom(), kPdfEdgeMm));
    layout.setMargins(margins);
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
    if (!calledOff) {
        // A stopped queue keeps the job without a word: it comes out only
        // once someone starts the printer again.
        if (const std::optional<QString> reason = StoppedBecause(cups, QueueName(printer_)))
            throw KivError("L'imprimante " + ToCp1252(printer_.printerName()) + " est arr\xEAt\xE9" "e : " +
                           ToCp1252(*reason) + ". L'impression attend dans sa file qu'elle reprenne");
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
