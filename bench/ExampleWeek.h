#pragma once
// The bundled examples: a school week, Tuesday 1 to Saturday 5 December 2026
// (Saturday with morning lessons only), of keyword and connection logs, with
// the three list files the tool reads.

#include <cstdint>
#include <string>
#include <vector>

namespace kivgen {

struct ExampleFile {
    std::string path; // relative to the examples folder, "/" between parts
    std::string bytes;
    std::uint64_t lines;
    std::uint64_t watchedLines; // keyword log lines holding a watched word
};

// kiv.ini, kiv_salles.txt, kiv_heures.txt, then for each day
// logs/webDDMMYY.txt and logs/connexrDDMMYY.log.
std::vector<ExampleFile> ExampleWeek(std::uint64_t seed);

} // namespace kivgen
