#pragma once
// What makes the window look and read as it did on the school's Windows
// workstations: Windows' fonts (or the same metrics), and Qt's own dialogs
// and buttons ("OK", "Annuler", the save and print dialogs) in French.

class QApplication;

namespace kiv {

// Before the QApplication is made: asks French dates of the system's locale
// too, which Qt's own dialogs use (the dates of the save dialog's file list)
// and which only the environment sets (LC_TIME), unless LC_ALL rules.
void AskFrenchSystemDates();

// Registers the window fonts, makes French the program's locale (the
// calendar's day names, the date pop-up) and installs Qt's French texts from
// the system's Qt translations; where those are missing Qt's own texts stay.
// After AskFrenchSystemDates, the environment and the C library's locale are
// given back as the user set them, once Qt has read the dates' locale.
void UseFrenchLook(QApplication& app);

} // namespace kiv
