#include "ResultsPrinting.h"

#include "KivError.h"
#include "LineStore.h"
#include "QtCp1252.h"

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
                  const std::atomic<bool>* cancel)
{
    // A table printed before in landscape does not turn the results.
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(false);

    QPainter painter;
    if (!painter.begin(&printer))
        throw KivError(ToCp1252(QStringLiteral("Impossible d'imprimer sur ") + printer.printerName()));
    painter.setPen(Qt::black);
    const QFont font(PaperFont(viewFont), &printer);
    const QRectF area = printer.pageRect(QPrinter::DevicePixel);
    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);

    // The text ends with its last line break: no empty line after it.
    qsizetype lineCount = results.LineCount();
    if (lineCount > 1 && results.LineLength(lineCount - 1) == 0)
        --lineCount;
    // Line by line: a line that would cross the foot of a page goes to the
    // next one, and each is drawn once, on its own page.
    qreal y = 0;
    for (qsizetype i = 0; i < lineCount; ++i) {
        QTextLayout layout(results.LineText(i), font, &printer);
        layout.setTextOption(wrapping);
        QList<QTextLayout::FormatRange> ranges;
        for (const BoldSpan& span : results.BoldIn(i))
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
        for (int l = 0; l < layout.lineCount(); ++l) {
            const QTextLine line = layout.lineAt(l);
            if (y > 0 && y + line.height() > area.height()) {
                if (cancel && cancel->load()) {
                    // A job called off leaves no half printout in the queue.
                    printer.abort();
                    painter.end();
                    return;
                }
                printer.newPage();
                y = 0;
            }
            line.draw(&painter, QPointF(0, y - line.y()));
            y += line.height();
        }
    }
    painter.end();
}

} // namespace kiv
