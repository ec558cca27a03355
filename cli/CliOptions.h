#pragma once
// The command line of kivlogs-cli: what each sub-command was asked to do. A
// usage error is raised as UsageError and ends the program with status 2.

#include "LogMask.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kiv::cli {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Command { Help, Version, Search, Occupation };
enum class Encoding { Utf8, Cp1252 };
enum class OccupationFormat { Text, Cells, Csv };

struct CliOptions {
    Command command = Command::Help;
    std::optional<std::string> logs;     // --logs DIR
    std::optional<std::string> config;   // --config DIR
    LogDate date{};                      // --date, today when absent
    Encoding encoding = Encoding::Utf8;
    std::optional<std::string> output;   // --output FILE

    // search
    SearchScope scope = SearchScope::Jour;
    std::optional<std::string> wordsFile;  // --words FILE
    std::vector<std::string> words;        // --word TEXT ..., as typed
    bool withWord = false;

    // occupation
    std::string room = "Toutes";           // as typed
    std::optional<std::string> slotsFile;  // --slots FILE
    OccupationFormat format = OccupationFormat::Text;
};

// args excludes the program name. today fills --date when it is absent.
CliOptions ParseCommandLine(const std::vector<std::string>& args, LogDate today);

// Raises UsageError when --config names no folder.
void CheckFolders(const CliOptions& options);

// The usage text printed by --help and after a usage error.
std::string UsageText();

} // namespace kiv::cli
