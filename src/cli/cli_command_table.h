// lgcset-cli's commands in one table: each command's name, the options it takes, what follows
// it on the line, the function that runs it and its usage and help. Parsing, the help texts
// and the dispatch all read this table, so a command is added or changed in one place.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"

namespace lgcset::cli {

enum class OptionId {
    Help,
    Version,
    Port,
    Demo,
    Password,
    Json,
    NoVerify,
    Force,
    Yes,
    From,
    To,
    Out,
    KeepPartial,
    Archive,
    NoArchive,
    PortsGlob,
    Jobs,
    SinceLast,
    Passwords,
    DeviceId,
    Model,
    Profile,
    Set,
    Nc,
    Pulse,
    Stop,
    CsvOut,
    PdfOut,
    DryRun,
    Reason,
    Template,
    Values,
    OnlyChanged,
    DefaultRow,
};

// The words an option takes after it.
enum class Takes {
    Nothing,
    Value,
    MaybeModel,   // --demo [MODEL]
    ThreeValues,  // --pulse ON OFF REPEAT
};

struct OptionEntry {
    OptionId id;
    std::string_view name;
    Takes takes;
    std::string_view needs = {};  // what its words are, said when the line ends before them
};

// What stands on the line after the command's name.
enum class Operand { None, Profile, CsvFile, Action, Command, OneSnapshot, TwoSnapshots };

// What --from and --to name.
enum class RangeWords { Dates, Archives };

// A command's (or action's) own rules for a line read whole: what it needs and what it
// excludes, refused through CliOptions::Refuse. nullptr: it has none.
using LineCheck = void (*)(CliOptions& options);

// One of a command's subcommands (archive list, archive import, ...).
struct ActionEntry {
    std::string_view name;
    std::span<const OptionEntry> options;
    Operand operand;  // None, CsvFile or the snapshot IDs it names
    LineCheck check;
    RangeWords fromTo = RangeWords::Dates;
};

struct CommandCall {
    const CliOptions& options;
    const CliEnvironment& environment;
    std::ostream& out;
    std::ostream& err;
};
using CommandHandler = int (*)(const CommandCall&);

struct CommandEntry {
    std::string_view name;
    std::span<const OptionEntry> options;  // with actions: those any action takes
    Operand operand;
    std::span<const ActionEntry> actions;
    bool logger;        // works on a logger: needs --port or --demo
    bool severalPorts;  // takes --port more than once
    CommandHandler handler;
    LineCheck check;
    std::string_view synopsis;  // the usage line after the program's name and connection
    std::string_view help;
};

// Every command, in the order the program's help lists them.
std::span<const CommandEntry> Commands();
const CommandEntry* FindCommand(std::string_view name);
const ActionEntry* FindAction(const CommandEntry& command, std::string_view name);

// The options of the whole line, whichever command it names.
std::span<const OptionEntry> GlobalOptions();
// A global option or one that some command takes; nullptr for an unknown one.
const OptionEntry* FindOption(std::string_view name);
bool IsGlobal(const OptionEntry& option);
bool TakesOption(std::span<const OptionEntry> options, OptionId id);

// "list, export, import or copy".
std::string ActionNames(const CommandEntry& command);

// The program's help, and a command's (empty for a command that does not exist).
std::string ProgramHelp();
std::string CommandHelp(const std::string& command);

// The functions that run each command (cli_commands.cpp).
int PortsCommand(const CommandCall& call);
int InfoCommand(const CommandCall& call);
int ReadCommand(const CommandCall& call);
int WriteCommand(const CommandCall& call);
int DiffCommand(const CommandCall& call);
int HistoryCommand(const CommandCall& call);
int CollectCommand(const CommandCall& call);
int ConfigureCommand(const CommandCall& call);
int ClockCommand(const CommandCall& call);
int CurrentCommand(const CommandCall& call);
int RelayCommand(const CommandCall& call);
int FactoryResetCommand(const CommandCall& call);
int ReportCommand(const CommandCall& call);
int ArchiveCommand(const CommandCall& call);
int AuditCommand(const CommandCall& call);
int SettingsHistoryCommand(const CommandCall& call);
int HelpCommand(const CommandCall& call);

// Each command's and action's own rules for its line (cli_line_checks.cpp).
void HistoryNeeds(CliOptions& options);
void CollectNeeds(CliOptions& options);
void ConfigureNeeds(CliOptions& options);
void RelayNeeds(CliOptions& options);
void FactoryResetNeeds(CliOptions& options);
void ArchiveExportNeeds(CliOptions& options);
void ArchiveImportNeeds(CliOptions& options);
void ArchiveCopyNeeds(CliOptions& options);
void AuditRangeNeeds(CliOptions& options);
void AuditExportNeeds(CliOptions& options);
void RestoreNeeds(CliOptions& options);

}  // namespace lgcset::cli
