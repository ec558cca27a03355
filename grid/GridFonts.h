#pragma once
// The fonts the window and its table were laid out with. Tahoma draws the
// grid's cells and headers (on screen and on paper) and stands in for
// "MS Sans Serif" as Windows itself substitutes it; Arial draws the results.
// Debian ships a Tahoma of the same metrics with Wine, outside the folders
// fontconfig knows, so it is registered from there when the system has none.

#include <QFont>
#include <QString>

#include <functional>

class QPainter;

namespace kiv {

inline const QString kGridFontFamily = QStringLiteral("Tahoma");

// Registers Wine's Tahoma (regular and bold) when no Tahoma is installed, and
// makes "MS Sans Serif" fall back to Tahoma and "Arial" to Liberation Sans.
// Safe to call more than once; needs a QGuiApplication.
void RegisterWindowFonts();

// A line of text as Windows spaces it, in device pixels: from the font's own
// figures for Windows (winAscent and winDescent), each rounded to the
// device's pixel. Qt may take the typographic figures, which for Tahoma make
// a line a fifth shorter; the table was laid out for Windows' lines, on
// screen (10 pixels for Tahoma of height -8) and on paper alike.
struct LineMetrics {
    qreal ascent = 0;
    qreal height = 0;
};
// For font at emPixels device pixels per em; Qt's own figures when the font
// has none for Windows.
LineMetrics WindowsLineMetrics(const QFont& font, qreal emPixels);

} // namespace kiv

namespace kiv {

// The bold face that Debian ships for Tahoma (Wine's) has Tahoma Bold's
// advance widths but strokes barely heavier than the regular face: headers
// would look regular. Text in a bold font is drawn a second time, shifted
// right by a twentieth of its size, which thickens every vertical stroke as
// Windows' own emboldening does, and leaves the widths that the table was
// measured with. draw paints the text once at painter's origin; nothing is
// added for a font that is not bold.
void DrawEmboldened(QPainter& painter, const QFont& font, const std::function<void()>& draw);

} // namespace kiv
