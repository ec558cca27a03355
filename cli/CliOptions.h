#pragma once
// The command line of kivlogs-cli: what each sub-command was asked to do. A
// usage error is raised as UsageError and ends the program with status 2.
// Each command is a table of options with their help texts (CliCommands.cpp):
// the parser, the usage line and each command's help are all read from it.

#include "logscan/LogMask.h"
#include "logscan/VisibleControls.h" // Encoding

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kiv::cli {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Command { Help, Version, Search, Occupation, Watch, Report };
using kiv::Encoding;
enum class OccupationFormat { Text, Cells, Csv, Summary };
enum class ReportFormat { Text, Csv, Html };

struct CliOptions {
    Command command = Command::Help;
    std::string helpTopic;               // help: the command asked about, empty for all
    std::optional<std::string> logs;     // --logs DIR
    std::optional<std::string> config;   // --config DIR; once settled, the configuration folder
    bool userConfig = false;             // --user-config
    LogDate date{};                      // --date, today when absent
    Encoding encoding = Encoding::Utf8;
    std::optional<std::string> output;   // --output FILE

    // search
    SearchScope scope = SearchScope::Jour;
    std::optional<std::string> wordsFile;  // --words FILE
    std::vector<std::string> words;        // --word TEXT ..., as typed
    bool withWord = false;

    // watch
    bool dayGiven = false;                 // --date: that day only, never moving on
    unsigned intervalMs = 1000;            // --interval MS
    bool catchUp = false;                  // --catch-up
    bool countOnly = false;                // --count-only: how many lines, never which

    // occupation
    std::string room = "Toutes";           // as typed
    std::optional<std::string> slotsFile;  // --slots FILE
    OccupationFormat format = OccupationFormat::Text;
    // occupation --format summary: the period, both days included
    std::optional<LogDate> from;           // --from
    std::optional<LogDate> to;             // --to

    // report: one pupil or one computer, on --date or from --from to --to
    std::optional<std::string> reportUser;     // --user NAME, as typed
    std::optional<std::string> reportComputer; // --computer NAME, as typed
    bool reportDateGiven = false;              // --date
    ReportFormat reportFormat = ReportFormat::Text;
};

// One option of a command. A flag has no valueName and is applied with an
// empty value; an option with a value takes it as "--name VALUE" or
// "--name=VALUE". apply raises UsageError for a value it refuses.
struct OptionSpec {
    std::string name;       // "--date"
    std::string valueName;  // "AAAA-MM-JJ", empty for a flag
    std::string help;       // French, its lines separated by '\n'
    void (*apply)(CliOptions& options, const std::string& value);
};

struct CommandSpec {
    std::string name;     // "search"
    Command command;
    std::string summary;  // one line: what the command prints
    std::vector<OptionSpec> options;
    // Rules between options, checked once all are read (may be null).
    void (*check)(const CliOptions& options) = nullptr;
    // What its exit status says, when not what the scans' says.
    std::string exitStatus = {};
};

// Every sub-command, in the order the help lists them.
const std::vector<CommandSpec>& CommandTable();

// args excludes the program name. today fills --date when it is absent.
CliOptions ParseCommandLine(const std::vector<std::string>& args, LogDate today);

// The help of every command (topic empty) or of one: printed by --help,
// "help [COMMAND]" and "COMMAND --help".
std::string HelpText(const std::string& topic = "");

// The line after a usage error that says where the help is: the command's
// own when args name one.
std::string HelpHint(const std::vector<std::string>& args);

} // namespace kiv::cli
