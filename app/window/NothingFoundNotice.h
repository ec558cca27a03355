#pragma once
// A keyword search that finds nothing adds nothing to the results and leaves
// the status line as it was: to the user it looks like a click that did
// nothing. A tip "Aucun résultat" then shows over the results for a few
// seconds: it takes neither the focus nor a key, changes no text of the
// window, and a screen reader reads it as it appears.

class QWidget;

namespace kiv {

void ShowNothingFound(QWidget* resultsView);

} // namespace kiv
