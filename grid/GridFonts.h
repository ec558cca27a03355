#pragma once
// The fonts the window and its table were laid out with. Tahoma draws the
// grid's cells and headers (on screen and on paper) and stands in for
// "MS Sans Serif" as Windows itself substitutes it; Arial draws the results.
// Debian ships a Tahoma of the same metrics with Wine, outside the folders
// fontconfig knows, so it is registered from there when the system has none.

#include <QString>

namespace kiv {

inline const QString kGridFontFamily = QStringLiteral("Tahoma");

// Registers Wine's Tahoma (regular and bold) when no Tahoma is installed, and
// makes "MS Sans Serif" fall back to Tahoma and "Arial" to Liberation Sans.
// Safe to call more than once; needs a QGuiApplication.
void RegisterWindowFonts();

} // namespace kiv
