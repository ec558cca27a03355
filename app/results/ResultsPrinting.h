#pragma once
// The results on paper: every line, bold words bold, page after page over the
// area the printer can print on, portrait, with nothing added (no margin,
// header, footer or page number). The same function prints to a queue, to a PDF file
// and to the screen's preview.

#include <QFont>
#include <QString>

#include <atomic>

class QPrinter;

namespace kiv {

class LineStore;

// Prints the lines with the view's font; long lines wrap at the page's width
// rather than run off the paper. Once cancel (when given) turns true the
// printout stops, even inside a line of megabytes, and is withdrawn from the
// print queue. Throws KivError when the printer cannot be opened or the
// queue refuses the job (with the queue's reason).
// A pageTitle, when given, heads every page (bold, on one line) and each
// page's number stands at its foot: a report of many pages that comes apart
// still says whose it is.
void PrintResults(const LineStore& results, const QFont& viewFont, QPrinter& printer,
                  const std::atomic<bool>* cancel = nullptr, const QString& pageTitle = QString());

} // namespace kiv
