#pragma once
// How a screen reader, or a test robot, reads and writes a LinesEdit: as an
// editable multi-line text, counted in characters with one for each line
// break.

namespace kiv {

// Lets Qt's accessibility describe every LinesEdit; safe to call often.
void InstallLinesEditAccessibility();

} // namespace kiv
