#pragma once
// Printing the room table: the whole grid, on paper in landscape, measured on
// the printer itself. The window's "Imprimer tableau" comes here through the
// grid's Print.

#include "GridPrintLayout.h"

class QPrinter;

namespace kiv {

class TSlotGridBase;

// Prints every cell of the grid on printer, whichever view the window shows,
// and gives where the pages went. The page is turned to landscape for this
// job only: the printer keeps the orientation it had before, so that a later
// printout of the results is not turned with it. Throws KivError "Aucune
// imprimante par défaut sélectionnée" when there is no printer.
PrintPlan PrintSlotTable(const TSlotGridBase& grid, QPrinter& printer);

} // namespace kiv
