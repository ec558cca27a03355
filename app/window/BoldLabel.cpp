#include "app/window/BoldLabel.h"

#include "grid/GridFonts.h"

#include <QPainter>

namespace kiv {

void BoldLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(foregroundRole()));
    DrawEmboldened(painter, font(), [&] { painter.drawText(contentsRect(), int(alignment()), text()); });
}

} // namespace kiv
