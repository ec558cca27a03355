#pragma once
// The two texts of a session: its line in the occupation text view, and its
// entry in a time-slot cell of the table.

#include "logscan/SessionEntry.h"

#include <string>

namespace kiv {

// "S514  PC03  08h25 - 16h10     eleve12    E"
std::string SessionLine(const SessionEntry& entry);
// The same line appended to out, for loops that write many lines into one buffer.
void AppendSessionLine(const SessionEntry& entry, std::string& out);

// "\rS514PC03 08h25-16h10 eleve12 E": the carriage return starts the entry on a
// line of its own, so a cell that received k entries shows an empty first line
// and then the k entries in their order of arrival.
std::string SlotEntry(const SessionEntry& entry);
// The same entry appended to out.
void AppendSlotEntry(const SessionEntry& entry, std::string& out);

} // namespace kiv
