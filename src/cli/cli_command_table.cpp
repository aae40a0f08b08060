#include "cli/cli_command_table.h"

#include <algorithm>
#include <array>
#include <string>

#include "cli/headless_session.h"
#include "link/port_list.h"

namespace lgcset::cli {

namespace {

constexpr OptionEntry kHelpOption{OptionId::Help, "--help", Takes::Nothing};
constexpr OptionEntry kShortHelpOption{OptionId::Help, "-h", Takes::Nothing};
constexpr OptionEntry kVersionOption{OptionId::Version, "--version", Takes::Nothing};
// The example is the platform's kind of port name, known when the program starts.
const std::string kPortNeeds = std::string("a port (such as ") + link::kExamplePortName + ")";
const OptionEntry kPortOption{OptionId::Port, "--port", Takes::Value, kPortNeeds};
constexpr OptionEntry kDemoOption{OptionId::Demo, "--demo", Takes::MaybeModel};
constexpr OptionEntry kPasswordOption{OptionId::Password, "--password", Takes::Value,
                                     "the device password"};

constexpr OptionEntry kJsonOption{OptionId::Json, "--json", Takes::Nothing};
constexpr OptionEntry kNoVerifyOption{OptionId::NoVerify, "--no-verify", Takes::Nothing};
constexpr OptionEntry kForceOption{OptionId::Force, "--force", Takes::Nothing};
constexpr OptionEntry kYesOption{OptionId::Yes, "--yes", Takes::Nothing};
constexpr OptionEntry kFromOption{OptionId::From, "--from", Takes::Value, "a date YY-MM-DD"};
constexpr OptionEntry kToOption{OptionId::To, "--to", Takes::Value, "a date YY-MM-DD"};
constexpr OptionEntry kOutOption{OptionId::Out, "--out", Takes::Value, "a folder"};
constexpr OptionEntry kKeepPartialOption{OptionId::KeepPartial, "--keep-partial", Takes::Nothing};
constexpr OptionEntry kArchiveOption{OptionId::Archive, "--archive", Takes::Value,
                                    "an archive file or URL"};
constexpr OptionEntry kNoArchiveOption{OptionId::NoArchive, "--no-archive", Takes::Nothing};
constexpr OptionEntry kPortsGlobOption{OptionId::PortsGlob, "--ports-glob", Takes::Value,
                                      "a pattern of port names"};
constexpr OptionEntry kJobsOption{OptionId::Jobs, "--jobs", Takes::Value,
                                 "a number of sessions at once"};
constexpr OptionEntry kSinceLastOption{OptionId::SinceLast, "--since-last", Takes::Nothing};
constexpr OptionEntry kPasswordsOption{OptionId::Passwords, "--passwords", Takes::Value,
                                      "a file of device IDs and passwords"};
constexpr OptionEntry kDeviceIdOption{OptionId::DeviceId, "--device-id", Takes::Value,
                                     "a device ID"};
constexpr OptionEntry kModelOption{OptionId::Model, "--model", Takes::Value,
                                  "a model, R480 to R483"};
constexpr OptionEntry kProfileOption{OptionId::Profile, "--profile", Takes::Value, "a profile file"};
constexpr OptionEntry kSetOption{OptionId::Set, "--set", Takes::Value,
                                "now or \"YYYY-MM-DD HH:MM:SS\""};
constexpr OptionEntry kNcOption{OptionId::Nc, "--nc", Takes::Value,
                               "the relay working time in seconds"};
constexpr OptionEntry kPulseOption{OptionId::Pulse, "--pulse", Takes::ThreeValues,
                                  "ON and OFF seconds and a REPEAT count"};
constexpr OptionEntry kStopOption{OptionId::Stop, "--stop", Takes::Nothing};
constexpr OptionEntry kCsvOutOption{OptionId::CsvOut, "--csv", Takes::Value, "a CSV file to write"};
constexpr OptionEntry kPdfOutOption{OptionId::PdfOut, "--pdf", Takes::Value, "a PDF file to write"};

const std::array kGlobalOptions{kHelpOption, kShortHelpOption, kVersionOption,
                                kPortOption, kDemoOption,      kPasswordOption};

constexpr std::array<OptionEntry, 0> kNoOptions{};
constexpr std::array kJsonOnly{kJsonOption};
constexpr std::array kDiffOptions{kJsonOption, kForceOption, kArchiveOption, kNoArchiveOption};
constexpr std::array kReadOptions{kArchiveOption, kNoArchiveOption};
constexpr OptionEntry kDryRunOption{OptionId::DryRun, "--dry-run", Takes::Nothing};
constexpr OptionEntry kReasonOption{OptionId::Reason, "--reason", Takes::Value, "a text"};
constexpr std::array kWriteOptions{kNoVerifyOption, kForceOption,  kYesOption,       kDryRunOption,
                                   kReasonOption,   kArchiveOption, kNoArchiveOption};
constexpr std::array kHistoryOptions{kFromOption,        kToOption,      kOutOption,
                                     kKeepPartialOption, kArchiveOption, kNoArchiveOption};
constexpr std::array kCollectOptions{kPortsGlobOption, kJobsOption,    kSinceLastOption,
                                     kPasswordsOption, kFromOption,    kToOption,
                                     kOutOption,       kArchiveOption, kJsonOption};
constexpr OptionEntry kTemplateOption{OptionId::Template, "--template", Takes::Value,
                                      "a profile file"};
constexpr OptionEntry kValuesOption{OptionId::Values, "--values", Takes::Value,
                                    "a CSV file of values per device ID"};
constexpr OptionEntry kOnlyChangedOption{OptionId::OnlyChanged, "--only-changed", Takes::Nothing};
constexpr OptionEntry kDefaultRowOption{OptionId::DefaultRow, "--default-row", Takes::Value,
                                        "a device ID of the values file"};
constexpr std::array kConfigureOptions{
    kTemplateOption,  kValuesOption,    kDefaultRowOption, kPortsGlobOption,   kJobsOption,
    kPasswordsOption, kDryRunOption,    kNoVerifyOption,   kOnlyChangedOption, kReasonOption,
    kArchiveOption,   kNoArchiveOption, kJsonOption};
constexpr std::array kClockOptions{kJsonOption, kSetOption, kArchiveOption, kNoArchiveOption};
constexpr std::array kRelayOptions{kNcOption, kPulseOption, kStopOption, kArchiveOption,
                                   kNoArchiveOption};
constexpr std::array kFactoryResetOptions{kYesOption, kArchiveOption, kNoArchiveOption};
constexpr std::array kReportOptions{kJsonOption, kProfileOption, kModelOption};

constexpr std::array kArchiveListOptions{kArchiveOption, kJsonOption};
constexpr std::array kArchiveExportOptions{kArchiveOption, kDeviceIdOption, kFromOption,
                                           kToOption,      kModelOption,    kOutOption};
constexpr std::array kArchiveImportOptions{kArchiveOption, kDeviceIdOption, kModelOption};
// Here --from and --to name the archives.
constexpr std::array kArchiveCopyOptions{kFromOption, kToOption};
constexpr std::array kArchiveOptions{kArchiveOption, kJsonOption,  kDeviceIdOption, kFromOption,
                                     kToOption,      kModelOption, kOutOption};
constexpr std::array<ActionEntry, 4> kArchiveActions{{
    {"list", kArchiveListOptions, Operand::None, nullptr},
    {"export", kArchiveExportOptions, Operand::None, ArchiveExportNeeds},
    {"import", kArchiveImportOptions, Operand::CsvFile, ArchiveImportNeeds},
    {"copy", kArchiveCopyOptions, Operand::None, ArchiveCopyNeeds, RangeWords::Archives},
}};

constexpr std::array kAuditListOptions{kArchiveOption, kDeviceIdOption, kFromOption, kToOption,
                                       kJsonOption};
constexpr std::array kAuditVerifyOptions{kArchiveOption};
constexpr std::array kAuditExportOptions{kArchiveOption, kDeviceIdOption, kFromOption,
                                         kToOption,      kCsvOutOption,   kPdfOutOption};
constexpr std::array kAuditOptions{kArchiveOption, kDeviceIdOption, kFromOption, kToOption,
                                   kJsonOption,    kCsvOutOption,   kPdfOutOption};
constexpr std::array<ActionEntry, 3> kAuditActions{{
    {"list", kAuditListOptions, Operand::None, AuditRangeNeeds},
    {"verify", kAuditVerifyOptions, Operand::None, nullptr},
    {"export", kAuditExportOptions, Operand::None, AuditExportNeeds},
}};

constexpr std::array kSnapshotListOptions{kArchiveOption, kDeviceIdOption, kJsonOption};
constexpr std::array kSnapshotReadOptions{kArchiveOption, kJsonOption};
constexpr std::array kRestoreOptions{kArchiveOption, kYesOption, kDryRunOption, kReasonOption};
constexpr std::array kSettingsHistoryOptions{kArchiveOption, kDeviceIdOption, kJsonOption,
                                             kYesOption,     kDryRunOption,   kReasonOption};
constexpr std::array<ActionEntry, 4> kSettingsHistoryActions{{
    {"list", kSnapshotListOptions, Operand::None, nullptr},
    {"show", kSnapshotReadOptions, Operand::OneSnapshot, nullptr},
    {"diff", kSnapshotReadOptions, Operand::TwoSnapshots, nullptr},
    {"restore", kRestoreOptions, Operand::OneSnapshot, RestoreNeeds},
}};
constexpr std::array<ActionEntry, 0> kNoActions{};

constexpr std::array<CommandEntry, 17> kCommands{{
    {"ports", kNoOptions, Operand::None, kNoActions, false, false, PortsCommand, nullptr, "ports",
     "List the system's serial ports, one a line, with the driver and, for USB\n"
     "adapters, the USB id, maker and product names."},
    {"info", kJsonOnly, Operand::None, kNoActions, true, false, InfoCommand, nullptr,
     "info [--json]", "Log in and print the logger's model and firmware."},
    {"read", kReadOptions, Operand::Profile, kNoActions, true, false, ReadCommand, nullptr,
     "read [--archive FILE|URL | --no-archive] PROFILE.ini",
     "Read the four settings pages into a profile file: the file that \"Read Settings\"\n"
     "followed by \"Save Profile to...\" gives in the window. The pages as read are kept\n"
     "in the archive's settings history (--no-archive: not kept)."},
    {"write", kWriteOptions, Operand::Profile, kNoActions, true, false, WriteCommand, nullptr,
     "write [--no-verify] [--force] [--yes] [--dry-run] [--reason TEXT]\n"
     "      [--archive NAME | --no-archive] PROFILE.ini",
     "Write a profile's settings to the logger, as \"Load Profile\" followed by \"Save\n"
     "Settings\" does in the window, after the same check. The logger's settings are read\n"
     "first and each one the write changes is listed (group, setting, logger's value ->\n"
     "new value, unit); then \"Write N changes? [y/N]\" is asked on a terminal, and\n"
     "without one --yes must be given. --dry-run stops after the list. The pages are\n"
     "written over the logger's own, read back, and \"verified\" or each field that\n"
     "differs is printed (--no-verify skips the read-back). The write is recorded in the\n"
     "archive with --reason's text. A profile saved from another model or another logger\n"
     "(its device ID) is refused with exit status 1 unless --force is given."},
    {"diff", kDiffOptions, Operand::Profile, kNoActions, true, false, DiffCommand, nullptr,
     "diff [--json] [--force] [--archive FILE|URL | --no-archive] PROFILE.ini",
     "Print the settings that differ between the profile and the logger, one a line:\n"
     "caption, logger value, profile value. Exit status 0 when none differ, 1 when some do.\n"
     "A profile saved from another model or another logger is refused, with exit status 1,\n"
     "unless --force is given. The pages as read are kept in the archive's settings\n"
     "history (--no-archive: not kept)."},
    {"history", kHistoryOptions, Operand::None, kNoActions, true, false, HistoryCommand,
     HistoryNeeds,
     "history --from YY-MM-DD --to YY-MM-DD [--out DIR] [--keep-partial] [--no-archive]",
     "Fetch the log of a date range (at most six months, not ending before it starts) and\n"
     "export it to the workbook (SAVE<time>.xls) and CSV file (SAVE_CSV_<time>.csv) in DIR\n"
     "(default: the current folder; made when missing, and refused before the logger is\n"
     "asked when it cannot be written). Progress and the time left go to standard error\n"
     "when it is a terminal. When the line is lost or the logger stops answering, nothing\n"
     "is exported, or with --keep-partial the records that arrived are; the exit status is\n"
     "3 either way. A whole transfer is also kept in the archive (see archive) after the\n"
     "logger's device ID is read, and a last line says how many records were new to it;\n"
     "--archive FILE|URL chooses the archive, --no-archive keeps none. An archive that cannot\n"
     "be written is one message and exit status 2; the export is written all the same."},
    {"collect", kCollectOptions, Operand::None, kNoActions, false, true, CollectCommand,
     CollectNeeds,
     "collect --port PATH... | --ports-glob PATTERN... [--jobs N] [--since-last | --from\n"
     "    YY-MM-DD --to YY-MM-DD] [--out DIR] [--archive FILE] [--password PW | --passwords\n"
     "    FILE] [--json]",
     "Collect the history of many loggers at once into the archive: one session per port,\n"
     "up to N at once (default: every port at once); each logs in, reads its logger's\n"
     "device ID, fetches the range and archives it, and with --out also writes the export\n"
     "pair into DIR/<device ID>/. --ports-glob matches the files of a folder (/dev/ttyUSB*)\n"
     "or, without a '/', the system's port names (COM*). --since-last asks each logger from\n"
     "the day of its newest archived reading to today, and one never seen (or last seen\n"
     "more than six months ago) over the last six months. --passwords FILE holds lines of\n"
     "\"device ID,password\"; a logger tells its ID only after a login, so each password is\n"
     "tried in turn (--password first when given, else the factory password last). A line\n"
     "per port shows the progress on standard error when it is a terminal; a table of\n"
     "every port (port, device ID, new records, seconds, result) follows on standard\n"
     "output, as JSON with --json. One port's failure never stops the others, and what it\n"
     "fetched before its line was lost is archived. Exit status: 0 when every port\n"
     "succeeded, else the worst of the ports.\n"
     "Not in the Windows build."},
    {"configure", kConfigureOptions, Operand::None, kNoActions, false, true, ConfigureCommand,
     ConfigureNeeds,
     "configure --template PROFILE.ini [--values LOGGERS.csv] [--default-row ID]\n"
     "    --port PATH... | --ports-glob PATTERN... [--jobs N] [--password PW | --passwords\n"
     "    FILE] [--dry-run] [--no-verify] [--reason TEXT] [--archive FILE|URL |\n"
     "    --no-archive] [--only-changed] [--json]",
     "Write one template to many loggers at once, each with its own values. The template\n"
     "is a profile whose values may name a column of the values file as ${name}\n"
     "(tel1=${alarm_sms}); the values file is a CSV table with a device_id column and a\n"
     "row per logger, its other columns either such names or profile keys (tel1 or\n"
     "Alarm.tel1) that replace the template's value. Both files are checked before any\n"
     "port is opened: a ${name} without a column, a column that is neither, or a\n"
     "--default-row that names no row is exit status 2. Each port (up to N at once) logs\n"
     "in as collect does, reads its logger's device ID and settings, and writes only the\n"
     "settings that differ, as write does: the pages kept before the first erase, read\n"
     "back (--no-verify: not), and recorded in the archive with --reason's text. A logger\n"
     "whose ID has no row is left untouched, unless --default-row gives the row of any\n"
     "such logger. --dry-run lists the changes and sends nothing. A table follows (port,\n"
     "device ID, model, result, changes, why); with --json every change of every logger.\n"
     "Results: verified, written (--no-verify), unchanged, would change (--dry-run),\n"
     "refused, differs, line lost, not in the values file, failed; --only-changed leaves\n"
     "the unchanged out. Exit status: the worst of the ports: 0 each verified, written,\n"
     "unchanged or would change; 1 a logger refused or not in the values file, or a write\n"
     "refused or read back otherwise; 2 a file or the line is wrong; 3 a line lost."},
    {"clock", kClockOptions, Operand::None, kNoActions, true, false, ClockCommand, nullptr,
     "clock [--json] [--set now | --set \"YYYY-MM-DD HH:MM:SS\"] [--archive FILE|URL |\n"
     "    --no-archive]",
     "Print the logger's clock, or set it to the computer's time or to the one given. The\n"
     "logger keeps two-digit years: a year outside 2000 to 2099 is refused. A set is\n"
     "recorded in the archive's audit trail with the time before and after it."},
    {"current", kJsonOnly, Operand::None, kNoActions, true, false, CurrentCommand, nullptr,
     "current [--json]", "Print the logger's current readings."},
    {"relay", kRelayOptions, Operand::None, kNoActions, true, false, RelayCommand, RelayNeeds,
     "relay --nc SECONDS | --pulse ON OFF REPEAT | --stop [--archive FILE|URL |\n"
     "    --no-archive]",
     "Test the relay: on for SECONDS, 0 to 9999 (NC/NO control), pulses of ON and OFF\n"
     "seconds REPEAT times (pulse control), or stop a running test. Recorded in the\n"
     "archive's audit trail."},
    {"factory-reset", kFactoryResetOptions, Operand::None, kNoActions, true, false,
     FactoryResetCommand, FactoryResetNeeds,
     "factory-reset --yes [--archive FILE|URL | --no-archive]",
     "Reset the logger to its factory settings. Refused without --yes. Recorded in the\n"
     "archive's audit trail, also when the reply was lost and the logger may have been\n"
     "reset."},
    {"report", kReportOptions, Operand::CsvFile, kNoActions, false, false, ReportCommand, nullptr,
     "report [--json] [--profile PROFILE.ini] [--model MODEL] FILE.csv",
     "Analyse a CSV file that a history export wrote, without a logger: per sensor the\n"
     "count, minimum and maximum with their times, mean, Mean Kinetic Temperature (of\n"
     "temperature sensors, in their unit), the excursions beyond each alarm limit and the\n"
     "time spent beyond it; and the log interval and the gaps of the log. The sensor types\n"
     "and the four limits come from the profile's alarm settings (without one every limit\n"
     "is unset); --model R482 or R483 makes every sensor analog. A file that is not one of\n"
     "our exports exits with status 2."},
    {"archive", kArchiveOptions, Operand::Action, kArchiveActions, false, false, ArchiveCommand,
     nullptr, "archive [--archive FILE|URL] list|export|import|copy ...",
     "The archive keeps every transfer of every logger (by device ID and model) in one\n"
     "file, $XDG_DATA_HOME/lgcset/archive.sqlite or ~/.local/share/lgcset/archive.sqlite,\n"
     "unless the archive= line of ~/.config/lgcset/lgcset.ini or --archive names another\n"
     "file or a PostgreSQL database (postgresql://user@host/db) that a team shares; a\n"
     "reading already kept is not stored again. Give the database's password in ~/.pgpass\n"
     "or PGPASSWORD, not in the URL: a command line is visible in the process list.\n"
     "list [--json]: one line per logger: device ID, model, first and last reading,\n"
     "readings, downloads.\n"
     "export --device-id ID --from YYYY-MM-DD --to YYYY-MM-DD [--model MODEL]\n"
     "[--out DIR]: a logger's readings of the days given as the workbook and CSV file of\n"
     "a history export, in DIR (default: the current folder); --model is needed only\n"
     "when loggers of two models share the ID. A sheet holds 65535 readings; a longer\n"
     "range goes on in further sheets of the same workbook, and the CSV file holds all.\n"
     "import --device-id ID --model MODEL FILE.csv: a CSV file that a history export wrote,\n"
     "merged into the archive as a download.\n"
     "An ID is up to 15 digits, taken as the logger stores it: 101 is 000000000000101.\n"
     "With --demo and no --archive, an archive of the run's own, removed at its end.\n"
     "copy --from FILE|URL --to FILE|URL: every logger, download and reading of one\n"
     "archive merged into another (a laptop's file into the team's database); a download\n"
     "the target holds already is skipped, so a second copy adds nothing.\n"
     "Not in the Windows build."},
    {"audit", kAuditOptions, Operand::Action, kAuditActions, false, false, AuditCommand, nullptr,
     "audit [--archive FILE|URL] list|verify|export ...",
     "The archive's audit trail: one row per action that changed a logger or a record\n"
     "(who, when, on which logger, what changed, the result and the reason), each row\n"
     "chained to the one before by its SHA-256 hash.\n"
     "list [--device-id ID] [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--json]: the rows in\n"
     "order, a line each (sequence, time in UTC, user and role, host, program, device ID,\n"
     "model, action, result, reason) with the changed settings indented below.\n"
     "verify: checks the chain; exit status 0 and the row count and final hash, or 1 and\n"
     "the first row that was changed, put in or follows a missing one.\n"
     "export --csv FILE | --pdf FILE [--device-id ID] [--from ...] [--to ...]: the rows\n"
     "as a CSV file or a printable A4 PDF ending with the chain's final hash and whether\n"
     "it verifies; exit status 1 when it does not. An existing file is not replaced.\n"
     "Not in the Windows build."},
    {"settings-history", kSettingsHistoryOptions, Operand::Action, kSettingsHistoryActions, false,
     false, SettingsHistoryCommand, nullptr,
     "settings-history [--archive FILE|URL] list|show|diff|restore ...",
     "The settings the archive keeps of each logger: those read after a login, and the\n"
     "pages before and after every write.\n"
     "list [--device-id ID] [--json]: one line per snapshot: its number, the time (UTC),\n"
     "device ID, model, firmware and why it was kept (read, before write, after write).\n"
     "show ID [--json]: every setting of the snapshot as a profile holds it: group,\n"
     "setting, value, unit.\n"
     "diff ID1 ID2 [--json]: the settings that differ (setting, first, second) and the bytes\n"
     "no setting owns; exit status 0 when none differ, 1 when some do.\n"
     "restore ID --port PATH | --demo [MODEL] [--yes] [--dry-run] [--reason TEXT]: the\n"
     "snapshot written back to the logger it was taken from, reviewed as write reviews a\n"
     "profile (--dry-run: the list only) and written over the snapshot's own pages; the\n"
     "write is recorded in the same archive. A snapshot of another model is refused with\n"
     "exit status 1.\n"
     "Not in the Windows build."},
    {"help", kNoOptions, Operand::Command, kNoActions, true, false, HelpCommand, nullptr,
     "help [COMMAND]", "Print the program's help or a command's."},
}};

}  // namespace

std::span<const CommandEntry> Commands() {
    return kCommands;
}

const CommandEntry* FindCommand(std::string_view name) {
    for (const CommandEntry& command : kCommands)
        if (command.name == name)
            return &command;
    return nullptr;
}

const ActionEntry* FindAction(const CommandEntry& command, std::string_view name) {
    for (const ActionEntry& action : command.actions)
        if (action.name == name)
            return &action;
    return nullptr;
}

std::span<const OptionEntry> GlobalOptions() {
    return kGlobalOptions;
}

const OptionEntry* FindOption(std::string_view name) {
    const auto named = [name](const OptionEntry& option) { return option.name == name; };
    if (const auto* global = std::find_if(kGlobalOptions.begin(), kGlobalOptions.end(), named);
        global != kGlobalOptions.end())
        return global;
    for (const CommandEntry& command : kCommands)
        if (const auto own = std::find_if(command.options.begin(), command.options.end(), named);
            own != command.options.end())
            return &*own;
    return nullptr;
}

bool IsGlobal(const OptionEntry& option) {
    return TakesOption(kGlobalOptions, option.id);
}

bool TakesOption(std::span<const OptionEntry> options, OptionId id) {
    return std::any_of(options.begin(), options.end(),
                       [id](const OptionEntry& option) { return option.id == id; });
}

std::string ActionNames(const CommandEntry& command) {
    std::string names;
    for (std::size_t i = 0; i < command.actions.size(); ++i) {
        if (i > 0)
            names += i + 1 == command.actions.size() ? " or " : ", ";
        names += command.actions[i].name;
    }
    return names;
}

std::string ProgramHelp() {
    std::string text =
        "Usage: lgcset-cli [--port PATH | --demo [MODEL]] [--password PW] COMMAND ...\n"
        "\n"
        "  --port PATH      the logger's serial port (see: lgcset-cli ports)\n"
        "  --demo [MODEL]   a simulated logger in the program, R480 to R483 (default R481)\n"
        "  --password PW    the device password for the login, at most 4 characters\n"
        "                   (default 8604)\n"
        "  --json           machine-readable output (info, current, clock, diff, report)\n"
        "  --help           this text; COMMAND --help for a command's\n"
        "  --version        the program's version\n"
        "\n"
        "commands:\n";
    for (const CommandEntry& entry : kCommands) {
        text += "  ";
        text += entry.synopsis;
        text += "\n";
    }
    text +=
        "\n"
        "exit status: 0 success, 1 a refusal by the logger, a failed check or a difference,\n"
        "2 wrong usage or a file or folder that cannot be read or written, 3 the port or\n"
        "the line failed or the logger stopped answering.\n"
        "\n"
        "A PostgreSQL archive's password belongs in ~/.pgpass or PGPASSWORD, not in its URL:\n"
        "a command line is visible to other users in the process list.\n";
    return text;
}

std::string CommandHelp(const std::string& command) {
    const CommandEntry* entry = FindCommand(command);
    if (entry == nullptr)
        return {};
    const std::string connection =
        entry->logger ? "[--port PATH | --demo [MODEL]] [--password PW] " : "";
    return "Usage: lgcset-cli " + connection + std::string(entry->synopsis) + "\n\n" +
           std::string(entry->help) + "\n";
}

int HelpCommand(const CommandCall& call) {
    call.out << (call.options.command.empty() ? ProgramHelp() : CommandHelp(call.options.command));
    return kExitOk;
}

}  // namespace lgcset::cli
