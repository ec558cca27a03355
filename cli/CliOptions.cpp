#include "cli/CliOptions.h"

#include "logscan/FileIo.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace kiv::cli {
namespace {

constexpr std::size_t kLineWidth = 100;

const CommandSpec* FindCommand(const std::string& name)
{
    for (const CommandSpec& command : CommandTable())
        if (command.name == name)
            return &command;
    return nullptr;
}

const OptionSpec* FindOption(const CommandSpec& command, std::string_view name)
{
    for (const OptionSpec& option : command.options)
        if (option.name == name)
            return &option;
    return nullptr;
}

std::string CommandNames()
{
    std::string names;
    const auto& table = CommandTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        names += (i == 0 ? "" : i + 1 == table.size() ? " ou " : ", ") + table[i].name;
    return names;
}

bool IsHelp(const std::string& arg)
{
    return arg == "--help" || arg == "-h";
}

std::string Synopsis(const OptionSpec& option)
{
    return "[" + option.name + (option.valueName.empty() ? "" : " " + option.valueName) + "]";
}

// "prefix [--a X] [--b Y] ...", wrapped under its first option.
std::string UsageLines(const std::string& prefix, const CommandSpec& command)
{
    std::string text = prefix;
    std::size_t lineLength = prefix.size();
    for (const OptionSpec& option : command.options) {
        const std::string item = Synopsis(option);
        if (lineLength > prefix.size() && lineLength + 1 + item.size() > kLineWidth) {
            text += '\n';
            text.append(prefix.size(), ' ');
            lineLength = prefix.size();
        } else if (lineLength > prefix.size()) {
            text += ' ';
            ++lineLength;
        }
        text += item;
        lineLength += item.size();
    }
    return text + "\n";
}

// Each option and its explanation in two columns.
std::string OptionLines(const std::vector<OptionSpec>& options)
{
    std::size_t width = 0;
    for (const OptionSpec& option : options)
        width = std::max(width, option.name.size() + (option.valueName.empty() ? 0 : 1 + option.valueName.size()));
    width += 4;
    std::string text;
    for (const OptionSpec& option : options) {
        std::string head = "  " + option.name + (option.valueName.empty() ? "" : " " + option.valueName);
        head.resize(std::max(head.size() + 1, width), ' ');
        text += head;
        for (const char c : option.help) {
            text += c;
            if (c == '\n')
                text += std::string(width, ' ');
        }
        text += '\n';
    }
    return text;
}

std::string ExitStatusText()
{
    return "Code de sortie : 0 tous les fichiers lus, 1 un fichier ou le dossier des logs illisible,\n"
           "2 erreur d'usage.\n";
}

std::string ExitStatusText(const CommandSpec& command)
{
    return command.exitStatus.empty() ? ExitStatusText() : command.exitStatus;
}

// The options that every command takes with the same meaning.
std::vector<OptionSpec> SharedOptions()
{
    std::vector<OptionSpec> shared;
    const auto& table = CommandTable();
    for (const OptionSpec& option : table.front().options) {
        const bool everywhere = std::all_of(table.begin(), table.end(), [&](const CommandSpec& command) {
            const OptionSpec* same = FindOption(command, option.name);
            return same && same->help == option.help;
        });
        if (everywhere)
            shared.push_back(option);
    }
    return shared;
}

std::string GeneralHelp()
{
    std::size_t nameWidth = 0;
    for (const CommandSpec& command : CommandTable())
        nameWidth = std::max(nameWidth, command.name.size());
    std::string text = "Usage :\n";
    for (const CommandSpec& command : CommandTable()) {
        std::string prefix = "  kivlogs-cli " + command.name;
        prefix.resize(14 + nameWidth + 1, ' ');
        text += UsageLines(prefix, command);
    }
    text += "  kivlogs-cli help [COMMANDE] | --help | --version\n\nCommandes :\n";
    for (const CommandSpec& command : CommandTable()) {
        std::string name = "  " + command.name;
        name.resize(nameWidth + 4, ' ');
        text += name + command.summary + "\n";
    }
    text += "\nOptions communes :\n" + OptionLines(SharedOptions());
    text += "\nLes options de chaque commande : kivlogs-cli help COMMANDE (ou kivlogs-cli COMMANDE --help).\n"
            "Une valeur s'écrit --option VALEUR ou --option=VALEUR.\n\n";
    return text + ExitStatusText();
}

std::string CommandHelp(const CommandSpec& command)
{
    std::vector<OptionSpec> options = command.options;
    options.push_back({"--help", "", "affiche cette aide", nullptr});
    return UsageLines("Usage : kivlogs-cli " + command.name + " ", command) + "\n" + command.name + " : " + command.summary + ".\n\n"
        + "Options (une valeur s'écrit --option VALEUR ou --option=VALEUR) :\n" + OptionLines(options) + "\n"
        + ExitStatusText(command);
}

void ParseOptions(const CommandSpec& command, const std::vector<std::string>& args, CliOptions& options)
{
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (IsHelp(arg)) {
            options.command = Command::Help;
            options.helpTopic = command.name;
            return;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        const OptionSpec* option = FindOption(command, name);
        if (!option)
            throw UsageError("option inconnue pour " + command.name + " : " + name);
        if (option->valueName.empty()) {
            if (inlineValue)
                throw UsageError("l'option " + name + " ne prend pas de valeur");
            option->apply(options, "");
            continue;
        }
        if (!inlineValue && i + 1 >= args.size())
            throw UsageError("valeur manquante après " + name);
        const std::string& value = inlineValue ? *inlineValue : args[++i];
        // An empty value is a script's unset variable: searching the current
        // folder, or no word at all, is never what was meant.
        if (value.empty())
            throw UsageError("valeur vide pour " + name);
        option->apply(options, value);
    }
    if (command.check)
        command.check(options);
}

} // namespace

std::string HelpText(const std::string& topic)
{
    const CommandSpec* command = FindCommand(topic);
    return command ? CommandHelp(*command) : GeneralHelp();
}

std::string HelpHint(const std::vector<std::string>& args)
{
    const CommandSpec* command = args.empty() ? nullptr : FindCommand(args[0]);
    return "Aide : kivlogs-cli " + (command ? command->name + " " : std::string()) + "--help";
}

CliOptions ParseCommandLine(const std::vector<std::string>& args, LogDate today)
{
    CliOptions options;
    options.date = today;
    if (args.empty())
        throw UsageError("commande manquante (" + CommandNames() + ")");

    const std::string& first = args[0];
    if (IsHelp(first) || first == "help") {
        options.command = Command::Help;
        if (IsHelp(first) || args.size() == 1)
            return options;
        if (!FindCommand(args[1]))
            throw UsageError("commande inconnue : " + args[1] + " (" + CommandNames() + ")");
        if (args.size() > 2)
            throw UsageError("argument inattendu : " + args[2]);
        options.helpTopic = args[1];
        return options;
    }
    if (first == "--version") {
        if (args.size() > 1)
            throw UsageError("argument inattendu : " + args[1]);
        options.command = Command::Version;
        return options;
    }
    const CommandSpec* command = FindCommand(first);
    if (!command)
        throw UsageError("commande inconnue : " + first + " (" + CommandNames() + ")");
    options.command = command->command;
    ParseOptions(*command, args, options);
    return options;
}

} // namespace kiv::cli
