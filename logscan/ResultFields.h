#pragma once
// The fields of a result line that the popup searches look for again:
// "POSTE12:eleve07: le 15/03/06: à 14 h 32 min :page" names the computer
// POSTE12 and the pupil eleve07.

#include <string>
#include <string_view>

namespace kiv {

// Up to the first ":", the whole line when it holds none.
std::string ComputerField(std::string_view line);
// Between the first ":" and the next one (or the end); empty without ":".
std::string PupilField(std::string_view line);

} // namespace kiv
