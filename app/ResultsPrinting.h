#pragma once
// The results on paper: every line, bold words bold, page after page over the
// printable area of the page, portrait, with nothing added (no margin, header,
// footer or page number). The same function prints to a queue, to a PDF file
// and to the screen's preview.

#include <QFont>

#include <atomic>

class QPrinter;

namespace kiv {

class LineStore;

// Prints the lines with the view's font, stopping at the end of a page once
// cancel (when given) turns true; long lines wrap at the page's
// width rather than run off the paper. Throws KivError when the printer
// cannot be opened.
void PrintResults(const LineStore& results, const QFont& viewFont, QPrinter& printer,
                  const std::atomic<bool>* cancel = nullptr);

} // namespace kiv
