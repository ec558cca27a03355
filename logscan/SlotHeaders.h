#pragma once
// The time-slot headers of the occupation table: the list "kiv_heures.txt"
// becomes the header row by the grid's header copy. Kept here, without Qt, so
// that the command line places sessions under exactly the headers the window
// shows.

#include "TextList.h"

#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// The number of slot columns the table shows.
inline constexpr int kSlotColumnCount = 8;

// The headers the table starts with, before any time-slot list is loaded:
// "8h25", "9h20", "10h30", "11h25", "12h35", "14h00", "15h00", "17h00".
TextList InitialSlotHeaders();

// Every backslash followed by the letter n becomes one carriage return, so
// that a header can hold two lines ("08h25\nM1").
std::string ExpandHeaderBreaks(std::string_view text);

// The header copy: entry i of the list, expanded, goes to headerRow[i] for i
// below headerRow.size(); later entries are ignored and cells beyond the list
// keep what they held.
void CopyHeadersInto(std::vector<std::string>& headerRow, const TextList& list);

} // namespace kiv
