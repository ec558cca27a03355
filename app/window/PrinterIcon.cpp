#include "app/window/PrinterIcon.h"

#include <QPainter>
#include <QPixmap>

namespace kiv {
namespace {

// Drawn on a 16 by 16 grid and scaled, so the 16 and 32 pixel forms match.
QPixmap DrawPrinter(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.scale(size / 16.0, size / 16.0);
    const QPen outline(QColor(40, 40, 40), 1);
    painter.setPen(outline);
    // The sheet going in at the back.
    painter.setBrush(Qt::white);
    painter.drawRect(4, 1, 8, 5);
    // The body with its paper slot and a green light.
    painter.setBrush(QColor(150, 150, 160));
    painter.drawRect(1, 6, 14, 6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 170, 60));
    painter.drawRect(12, 8, 2, 1);
    // The printed sheet coming out at the front, with its lines of text.
    painter.setPen(outline);
    painter.setBrush(Qt::white);
    painter.drawRect(4, 10, 8, 5);
    painter.drawLine(6, 12, 10, 12);
    painter.drawLine(6, 14, 9, 14);
    return pixmap;
}

} // namespace

QIcon PrinterIcon()
{
    QIcon icon;
    icon.addPixmap(DrawPrinter(16));
    icon.addPixmap(DrawPrinter(32));
    return icon;
}

} // namespace kiv
