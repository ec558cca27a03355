#pragma once
// The table's colours and fonts as Qt draws them on screen: system colours
// come from the widget's palette, a negative font height is a pixel size.

#include "table/CellAppearance.h"

#include <QColor>
#include <QFont>
#include <QPalette>

namespace kiv {

QColor ScreenColor(TColor color, const QPalette& palette);
QFont ScreenFont(const CellFont& font);

} // namespace kiv
