#include "grid/detail/QtCellColors.h"

#include "qtext/QtCp1252.h"

#include <algorithm>

namespace kiv {

QColor ScreenColor(TColor color, const QPalette& palette)
{
    if (!IsSystemColor(color))
        return QColor(RedOf(color), GreenOf(color), BlueOf(color));
    // The active colours, so that the table looks the same whether or not
    // its window has the focus.
    const auto system = [&palette](QPalette::ColorRole role) { return palette.color(QPalette::Active, role); };
    switch (color) {
    case clWindow:
        return system(QPalette::Base);
    case clWindowText:
        return system(QPalette::Text);
    case clBtnFace:
        return system(QPalette::Button);
    case clHighlight:
        return system(QPalette::Highlight);
    case clHighlightText:
        return system(QPalette::HighlightedText);
    case clInfoBk:
        return system(QPalette::ToolTipBase);
    default:
        return system(QPalette::Window);
    }
}

QFont ScreenFont(const CellFont& font)
{
    QFont screen(FromCp1252(font.name));
    // A negative height is the height of the characters, as a pixel size is;
    // a positive one includes the space above them, close enough to the same.
    screen.setPixelSize(std::max(font.height < 0 ? -font.height : font.height, 1));
    screen.setBold(font.bold);
    screen.setItalic(font.italic);
    return screen;
}

} // namespace kiv
