#include "app/results/ResultsPrinting.h"

#include "grid/PrintQueue.h"
#include "lines/LineStore.h"
#include "lines/ShownText.h"
#include "logscan/KivError.h"
#include "qtext/QtCp1252.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

namespace kiv {
namespace {

// The view's size in pixels of the screen it was designed on (96 per inch)
// becomes the same size in points on paper.
QFont PaperFont(const QFont& viewFont)
{
    QFont font = viewFont;
    if (viewFont.pixelSize() > 0)
        font.setPointSizeF(viewFont.pixelSize() * 72.0 / 96.0);
    return font;
}

} // namespace

void PrintResults(const LineStore& results, const QFont& viewFont, QPrinter& printer,
                  const std::atomic<bool>* cancel, const QString& pageTitle)
{
    // Portrait whatever a table printed before; the whole area the printer
    // can print on.
    UsePrintableArea(printer, QPageLayout::Portrait);

    PrintQueueJob queued(printer);
    QPainter painter;
    if (!painter.begin(&printer))
        throw KivError(ToCp1252(QStringLiteral("Impossible d'imprimer sur ") + printer.printerName()));
    const auto calledOff = [cancel] { return cancel && cancel->load(); };
    painter.setPen(Qt::black);
    const QFont font(PaperFont(viewFont), &printer);
    const QRectF area = printer.pageRect(QPrinter::DevicePixel);
    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    // The lines go between the page's title and its number, when it has them.
    const qreal pitch = QFontMetricsF(font, &printer).height();
    const qreal top = pageTitle.isEmpty() ? 0 : 2 * pitch;
    const qreal bottom = area.height() - (pageTitle.isEmpty() ? 0 : 2 * pitch);
    int pageNumber = 1;
    const auto headPage = [&] {
        if (pageTitle.isEmpty())
            return;
        QFont titleFont = font;
        titleFont.setBold(true);
        painter.setFont(titleFont);
        const QString title = QFontMetricsF(titleFont, &printer).elidedText(pageTitle, Qt::ElideRight, area.width());
        painter.drawText(QRectF(0, 0, area.width(), pitch), Qt::AlignLeft | Qt::AlignVCenter, title);
        painter.setFont(font);
        painter.drawText(QRectF(0, area.height() - pitch, area.width(), pitch), Qt::AlignHCenter | Qt::AlignVCenter,
                         QStringLiteral("Page %1").arg(pageNumber));
    };
    headPage();

    // The text ends with its last line break: no empty line after it.
    qsizetype lineCount = results.LineCount();
    if (lineCount > 1 && results.LineLength(lineCount - 1) == 0)
        --lineCount;
    // Line by line: a line that would cross the foot of a page goes to the
    // next one, and each is drawn once, on its own page. A long line (a log
    // written without line breaks) is laid out a window at a time, the text
    // of each window's last printed line starting the next window, so that it
    // wraps as if laid out whole in time proportional to its length.
    constexpr qsizetype kWindow = 8192;
    qreal y = top;
    for (qsizetype i = 0; i < lineCount && !calledOff(); ++i) {
        const qsizetype length = results.LineLength(i);
        qsizetype start = 0;
        do {
            // Paper shows what the screen shows: a NUL of a log is a space.
            const QString text = ShownText(results.LineText(i, start, kWindow));
            const bool more = start + text.size() < length;
            QTextLayout layout(text, font, &printer);
            layout.setTextOption(wrapping);
            QList<QTextLayout::FormatRange> ranges;
            for (const BoldSpan& span : results.BoldIn(i, start, text.size()))
                ranges.append({static_cast<int>(span.start), static_cast<int>(span.length), bold});
            layout.setFormats(ranges);
            layout.beginLayout();
            qreal height = 0;
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(area.width());
                line.setPosition(QPointF(0, height));
                height += line.height();
            }
            layout.endLayout();
            // The window's last line may go on in the next window.
            const int printed = more && layout.lineCount() > 1 ? layout.lineCount() - 1 : layout.lineCount();
            for (int l = 0; l < printed; ++l) {
                const QTextLine line = layout.lineAt(l);
                if (y > top && y + line.height() > bottom) {
                    // Closing the window does not wait for the rest.
                    if (calledOff())
                        break;
                    printer.newPage();
                    ++pageNumber;
                    headPage();
                    y = top;
                }
                line.draw(&painter, QPointF(0, y - line.y()));
                y += line.height();
            }
            start += printed < layout.lineCount() ? layout.lineAt(printed).textStart() : text.size();
        } while (start < length && !calledOff());
    }
    // A job called off is withdrawn from the queue: no half printout.
    queued.End(painter, calledOff());
}

} // namespace kiv
