#include "ResultsPrinting.h"

#include "KivError.h"
#include "QtCp1252.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextFrame>

#include <memory>

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

void PrintResults(const QTextDocument& results, const QFont& viewFont, QPrinter& printer)
{
    // A table printed before in landscape does not turn the results.
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(false);

    std::unique_ptr<QTextDocument> paper(results.clone());
    paper->setDefaultFont(PaperFont(viewFont));
    paper->setDocumentMargin(0);
    QTextOption wrapping = paper->defaultTextOption();
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    paper->setDefaultTextOption(wrapping);
    QTextFrameFormat frame = paper->rootFrame()->frameFormat();
    frame.setMargin(0);
    frame.setPadding(0);
    frame.setBorder(0);
    paper->rootFrame()->setFrameFormat(frame);
    paper->documentLayout()->setPaintDevice(&printer);

    const QRectF area = printer.pageRect(QPrinter::DevicePixel);
    const QSizeF page(area.width(), area.height());
    paper->setPageSize(page);

    QPainter painter;
    if (!painter.begin(&printer))
        throw KivError(ToCp1252(QStringLiteral("Impossible d'imprimer sur ") + printer.printerName()));
    painter.setPen(Qt::black);
    // Line by line: the layout moves a line that would cross the foot of a
    // page to the next one, and each line is drawn once, on its own page.
    QAbstractTextDocumentLayout* layout = paper->documentLayout();
    int pageShown = 0;
    for (QTextBlock block = paper->firstBlock(); block.isValid(); block = block.next()) {
        const QPointF blockTop = layout->blockBoundingRect(block).topLeft();
        const QTextLayout* lines = block.layout();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const qreal top = blockTop.y() + line.y();
            const int pageOfLine = static_cast<int>(top / page.height());
            for (; pageShown < pageOfLine; ++pageShown)
                printer.newPage();
            line.draw(&painter, QPointF(blockTop.x(), blockTop.y() - pageShown * page.height()));
        }
    }
    painter.end();
}

} // namespace kiv
