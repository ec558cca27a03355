#pragma once
// The occupation table as assistive technology sees it: a table whose cells
// are the grid's cells, row 0 the time slots (column headers), row 1 the
// logins of each slot, so that a screen reader or a test robot reads them.

namespace kiv {

// Makes Qt's accessibility describe every TSlotGridBase as such a table.
// Called by the grid itself; safe to call more than once.
void InstallSlotGridAccessibility();

} // namespace kiv
