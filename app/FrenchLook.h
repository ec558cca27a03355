#pragma once
// What makes the window look and read as it did on the school's Windows
// workstations: Windows' fonts (or the same metrics), and Qt's own dialogs
// and buttons ("OK", "Annuler", the save and print dialogs) in French.

class QApplication;

namespace kiv {

// Registers the window fonts and installs Qt's French texts from the
// system's Qt translations; where those are missing Qt's own texts stay.
void UseFrenchLook(QApplication& app);

} // namespace kiv
