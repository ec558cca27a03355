#pragma once
// The settings the window gives its room table: eight slot columns over a
// header row, the sizes it was laid out with, Windows' Tahoma, the lines, the
// selection colours, cells of several lines drawn as plain text. Benchmarks
// and tests set their grids up the same way, so that they measure and check
// the table the staff see.

namespace kiv {

class TSlotGridBase;

void SetUpRoomTable(TSlotGridBase& grid);

} // namespace kiv
