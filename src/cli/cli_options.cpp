#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <tuple>

#include "data/device_id.h"
#include "link/port_list.h"
#include "project_version.h"
#include "protocol/commands.h"

namespace lgcset::cli {

namespace {

enum class Operand { None, Profile, CsvFile, ArchiveAction };

struct CommandEntry {
    std::string_view name;
    std::string_view synopsis;
    std::string_view help;
    Operand operand;
    bool json;           // takes --json
    bool logger = true;  // works on a logger: needs --port or --demo
};

constexpr std::array<CommandEntry, 14> kCommands{{
    {"ports", "ports",
     "List the system's serial ports, one a line, with the driver and, for USB\n"
     "adapters, the USB id, maker and product names.",
     Operand::None, false, false},
    {"info", "info [--json]", "Log in and print the logger's model and firmware.", Operand::None,
     true},
    {"read", "read PROFILE.ini",
     "Read the four settings pages into a profile file: the file that \"Read Settings\"\n"
     "followed by \"Save Profile to...\" gives in the window.",
     Operand::Profile, false},
    {"write", "write [--no-verify] PROFILE.ini",
     "Write a profile's settings to the logger, as \"Load Profile\" followed by \"Save\n"
     "Settings\" does in the window, after the same check. Then read the pages back and\n"
     "print \"verified\" or each field that differs (--no-verify skips the read-back).",
     Operand::Profile, false},
    {"diff", "diff [--json] PROFILE.ini",
     "Print the settings that differ between the profile and the logger, one a line:\n"
     "caption, logger value, profile value. Exit status 0 when none differ, 1 when some do.",
     Operand::Profile, true},
    {"history", "history --from YY-MM-DD --to YY-MM-DD [--out DIR] [--keep-partial] [--no-archive]",
     "Fetch the log of a date range (at most six months, not ending before it starts) and\n"
     "export it to the workbook (SAVE<time>.xls) and CSV file (SAVE_CSV_<time>.csv) in DIR\n"
     "(default: the current folder; made when missing, and refused before the logger is\n"
     "asked when it cannot be written). Progress and the time left go to standard error\n"
     "when it is a terminal. When the line is lost or the logger stops answering, nothing\n"
     "is exported, or with --keep-partial the records that arrived are; the exit status is\n"
     "3 either way. A whole transfer is also kept in the archive (see archive) after the\n"
     "logger's device ID is read, and a last line says how many records were new to it;\n"
     "--archive FILE|URL chooses the archive, --no-archive keeps none. An archive that cannot\n"
     "be written is one message and exit status 2; the export is written all the same.",
     Operand::None, false},
    {"collect",
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
     "Not in the Windows build.",
     Operand::None, true, false},
    {"clock", "clock [--json] [--set now | --set \"YYYY-MM-DD HH:MM:SS\"]",
     "Print the logger's clock, or set it to the computer's time or to the one given. The\n"
     "logger keeps two-digit years: a year outside 2000 to 2099 is refused.",
     Operand::None, true},
    {"current", "current [--json]", "Print the logger's current readings.", Operand::None, true},
    {"relay", "relay --nc SECONDS | --pulse ON OFF REPEAT | --stop",
     "Test the relay: on for SECONDS, 0 to 9999 (NC/NO control), pulses of ON and OFF\n"
     "seconds REPEAT times (pulse control), or stop a running test.",
     Operand::None, false},
    {"factory-reset", "factory-reset --yes",
     "Reset the logger to its factory settings. Refused without --yes.", Operand::None, false},
    {"report", "report [--json] [--profile PROFILE.ini] [--model MODEL] FILE.csv",
     "Analyse a CSV file that a history export wrote, without a logger: per sensor the\n"
     "count, minimum and maximum with their times, mean, Mean Kinetic Temperature (of\n"
     "temperature sensors, in their unit), the excursions beyond each alarm limit and the\n"
     "time spent beyond it; and the log interval and the gaps of the log. The sensor types\n"
     "and the four limits come from the profile's alarm settings (without one every limit\n"
     "is unset); --model R482 or R483 makes every sensor analog. A file that is not one of\n"
     "our exports exits with status 2.",
     Operand::CsvFile, true, false},
    {"archive", "archive [--archive FILE|URL] list|export|import|copy ...",
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
     "Not in the Windows build.",
     Operand::ArchiveAction, true, false},
    {"help", "help [COMMAND]", "Print the program's help or a command's.", Operand::None, false},
}};

const CommandEntry* FindCommand(std::string_view name) {
    for (const CommandEntry& entry : kCommands)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

constexpr std::array<std::string_view, 4> kModels{"R480", "R481", "R482", "R483"};

bool IsModel(std::string_view text) {
    return std::find(kModels.begin(), kModels.end(), text) != kModels.end();
}

bool ClockYear(int year) {
    return year >= kFirstClockYear && year <= kLastClockYear;
}

std::string TwoDigitYearsRefusal(const std::string& option, int year) {
    return option + ": the logger keeps two-digit years, " + std::to_string(kFirstClockYear) +
           " to " + std::to_string(kLastClockYear) + "; " + std::to_string(year) +
           " cannot be given to it";
}

// A word after --demo meant as a model, though not one of ours: "R" and a digit ("R489").
bool LooksLikeModel(std::string_view text) {
    return text.size() >= 2 && (text[0] == 'R' || text[0] == 'r') && text[1] >= '0' &&
           text[1] <= '9';
}

bool ParseNumber(std::string_view text, long long& value) {
    if (text.empty())
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::optional<std::uint16_t> ParseUnsigned(std::string_view text, long long maximum) {
    long long value = 0;
    if (!ParseNumber(text, value) || value < 0 || value > maximum)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// Splits text at each `separator` into exactly `count` numbers of the given digit counts.
bool Fields(std::string_view text, char separator, std::initializer_list<std::size_t> widths,
            std::vector<int>& out) {
    out.clear();
    std::size_t at = 0;
    std::size_t index = 0;
    for (const std::size_t width : widths) {
        const std::size_t end = std::min(text.find(separator, at), text.size());
        const std::string_view field = text.substr(at, end - at);
        long long value = 0;
        // Digits only: from_chars would take a sign, and "-1:00:00" is no time.
        const bool digits =
            std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (field.size() != width || !digits || !ParseNumber(field, value))
            return false;
        out.push_back(static_cast<int>(value));
        at = end + 1;
        ++index;
        if (index < widths.size() && end >= text.size())
            return false;
        if (index == widths.size() && end < text.size())
            return false;
    }
    return true;
}

// The action of `archive` and what it needs; the first failure goes into options.error.
void CheckArchiveCommand(const std::vector<std::string>& operands, CliOptions& options) {
    auto fail = [&options](std::string text) {
        if (options.error.empty())
            options.error = std::move(text);
    };
    const std::string action = operands.empty() ? std::string() : operands.front();
    options.archiveAction = action;
    const std::size_t files = operands.empty() ? 0 : operands.size() - 1;
    if (action != "list" && action != "export" && action != "import" && action != "copy") {
        fail("archive needs list, export, import or copy");
        return;
    }
    if (action == "copy") {
        if (files != 0)
            fail("archive copy takes no argument \"" + operands[1] + "\"");
        if (options.copyFrom.empty() || options.copyTo.empty())
            fail("archive copy needs --from and --to: an archive file or a postgresql:// URL "
                 "each");
        if (!options.archive.empty())
            fail("archive copy names its archives with --from and --to, not --archive");
        if (!options.deviceId.empty() || !options.model.empty() || !options.outDir.empty() ||
            options.json)
            fail("archive copy takes only --from and --to");
        return;
    }
    if (action == "import") {
        if (files != 1)
            fail("archive import needs one CSV file");
        else
            options.csvFile = operands[1];
    } else if (files != 0) {
        fail("archive " + action + " takes no argument \"" + operands[1] + "\"");
    }
    if (action != "list" && options.deviceId.empty())
        fail("archive " + action + " needs --device-id");
    if (action == "import" && options.model.empty())
        fail("archive import needs --model");
    if (action == "export" && (!options.from || !options.to))
        fail("archive export needs --from and --to");
    else if (action == "export" && *options.to < *options.from)
        fail("archive export: the range ends before it starts");
    if (action != "export" && (options.from || options.to || !options.outDir.empty()))
        fail("archive " + action + " takes no --from, --to or --out");
    if (action == "list" && (!options.deviceId.empty() || !options.model.empty()))
        fail("archive list takes no --device-id or --model");
    if (action != "list" && options.json)
        fail("archive " + action + " does not take --json");
}

}  // namespace

std::string DateText(const data::CalendarDate& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::optional<data::CalendarDate> ParseDate(const std::string& text) {
    std::vector<int> f;
    if (Fields(text, '-', {2, 2, 2}, f)) {
        f[0] += 2000;
    } else if (!Fields(text, '-', {4, 2, 2}, f)) {
        return std::nullopt;
    }
    if (!data::IsValidDate(f[0], f[1], f[2]))
        return std::nullopt;
    return data::CalendarDate{f[0], f[1], f[2]};
}

std::optional<data::DeviceTime> ParseDateTime(const std::string& text) {
    const std::size_t space = text.find(' ');
    if (space == std::string::npos)
        return std::nullopt;
    std::vector<int> date;
    std::vector<int> time;
    if (!Fields(std::string_view(text).substr(0, space), '-', {4, 2, 2}, date) ||
        !Fields(std::string_view(text).substr(space + 1), ':', {2, 2, 2}, time))
        return std::nullopt;
    if (!data::IsValidDate(date[0], date[1], date[2]) || time[0] > 23 || time[1] > 59 ||
        time[2] > 59)
        return std::nullopt;
    return data::DeviceTime{{date[0], date[1], date[2]}, {time[0], time[1], time[2]}};
}

std::string PasswordRefusal(const std::string& origin, const std::string& password) {
    if (password.size() <= protocol::kLoginPasswordLength)
        return {};
    return origin + ": the logger holds a password of at most " +
           std::to_string(protocol::kLoginPasswordLength) + " characters, not " +
           std::to_string(password.size());
}

CliOptions ParseCommandLine(const std::vector<std::string>& arguments) {
    CliOptions options;
    std::vector<std::string> operands;
    std::vector<std::string> commandOptions;  // those a command must allow
    std::string dateError;                    // --from or --to that is no date
    auto fail = [&options](std::string text) {
        if (options.error.empty())
            options.error = std::move(text);
    };
    for (std::size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
        const std::string& argument = arguments[i];
        // The value after an option, or a usage error naming the option.
        auto value = [&](const std::string& what) -> std::optional<std::string> {
            if (i + 1 >= arguments.size()) {
                fail(argument + " needs " + what);
                return std::nullopt;
            }
            return arguments[++i];
        };
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--port") {
            if (const auto port = value(std::string("a port (such as ") +
                                        link::kExamplePortName + ")"))
            {
                options.port = *port;
                options.ports.push_back(*port);
            }
        } else if (argument == "--ports-glob") {
            commandOptions.push_back(argument);
            if (const auto pattern = value("a pattern of port names"))
                options.portsGlobs.push_back(*pattern);
        } else if (argument == "--jobs") {
            commandOptions.push_back(argument);
            if (const auto text = value("a number of sessions at once")) {
                long long jobs = 0;
                if (!ParseNumber(*text, jobs) || jobs < 1 || jobs > 1000)
                    fail("--jobs: \"" + *text + "\" is not a number of sessions 1 to 1000");
                options.jobs = static_cast<int>(jobs);
            }
        } else if (argument == "--since-last") {
            commandOptions.push_back(argument);
            options.sinceLast = true;
        } else if (argument == "--passwords") {
            commandOptions.push_back(argument);
            if (const auto file = value("a file of device IDs and passwords"))
                options.passwordsFile = *file;
        } else if (argument == "--demo") {
            options.demo = true;
            if (i + 1 < arguments.size() && IsModel(arguments[i + 1]))
                options.demoModel = arguments[++i];
            else if (i + 1 < arguments.size() && LooksLikeModel(arguments[i + 1]))
                fail("unknown model " + arguments[i + 1] + " (R480 to R483)");
        } else if (argument == "--password") {
            if (const auto password = value("the device password")) {
                options.password = *password;
                options.passwordGiven = true;
                if (std::string refused = PasswordRefusal("--password", *password);
                    !refused.empty())
                    fail(std::move(refused));
            }
        } else if (argument == "--json") {
            options.json = true;
            commandOptions.push_back(argument);
        } else if (argument == "--no-verify") {
            options.noVerify = true;
            commandOptions.push_back(argument);
        } else if (argument == "--yes") {
            options.yes = true;
            commandOptions.push_back(argument);
        } else if (argument == "--from" || argument == "--to") {
            commandOptions.push_back(argument);
            // A date, except for archive copy, where they name archives: which is known
            // once the whole line is read.
            if (const auto text = value("a date YY-MM-DD")) {
                (argument == "--from" ? options.copyFrom : options.copyTo) = *text;
                const auto date = ParseDate(*text);
                if (!date && dateError.empty())
                    dateError = argument + ": \"" + *text + "\" is not a date YY-MM-DD";
                else if (date && !ClockYear(date->year) && dateError.empty())
                    dateError = TwoDigitYearsRefusal(argument, date->year);
                (argument == "--from" ? options.from : options.to) = date;
            }
        } else if (argument == "--profile") {
            commandOptions.push_back(argument);
            if (const auto file = value("a profile file"))
                options.profile = *file;
        } else if (argument == "--model") {
            commandOptions.push_back(argument);
            if (const auto model = value("a model, R480 to R483")) {
                if (!IsModel(*model))
                    fail("unknown model " + *model + " (R480 to R483)");
                options.model = *model;
            }
        } else if (argument == "--out") {
            commandOptions.push_back(argument);
            if (const auto dir = value("a folder"))
                options.outDir = *dir;
        } else if (argument == "--archive") {
            commandOptions.push_back(argument);
            if (const auto file = value("an archive file or URL"))
                options.archive = *file;
        } else if (argument == "--no-archive") {
            commandOptions.push_back(argument);
            options.noArchive = true;
        } else if (argument == "--device-id") {
            commandOptions.push_back(argument);
            if (const auto id = value("a device ID")) {
                const data::DeviceIdText normal = data::NormalDeviceId(*id);
                if (!normal.ok())
                    fail("--device-id: " + normal.error);
                options.deviceId = normal.id;
            }
        } else if (argument == "--keep-partial") {
            commandOptions.push_back(argument);
            options.keepPartial = true;
        } else if (argument == "--set") {
            commandOptions.push_back(argument);
            if (const auto text = value("now or \"YYYY-MM-DD HH:MM:SS\"")) {
                options.setClock = true;
                if (*text == "now") {
                    options.setClockNow = true;
                } else if (const auto at = ParseDateTime(*text)) {
                    options.clockValue = *at;
                    if (!ClockYear(at->date.year))
                        fail(TwoDigitYearsRefusal(argument, at->date.year));
                } else {
                    fail("--set: \"" + *text + "\" is neither now nor a time YYYY-MM-DD HH:MM:SS");
                }
            }
        } else if (argument == "--nc" || argument == "--pulse" || argument == "--stop") {
            commandOptions.push_back(argument);
            if (options.relay != RelayMode::None) {
                fail("relay takes one of --nc, --pulse and --stop");
            } else if (argument == "--stop") {
                options.relay = RelayMode::Stop;
            } else if (argument == "--nc") {
                options.relay = RelayMode::NcNo;
                if (const auto text = value("the relay working time in seconds")) {
                    const auto seconds = ParseUnsigned(*text, kMaxRelaySeconds);
                    if (!seconds)
                        fail("--nc: \"" + *text + "\" is not a number of seconds 0 to " +
                             std::to_string(kMaxRelaySeconds));
                    options.relaySeconds = seconds.value_or(0);
                }
            } else {
                options.relay = RelayMode::Pulse;
                if (i + 3 >= arguments.size()) {
                    fail("--pulse needs ON and OFF seconds and a REPEAT count");
                    break;
                }
                const auto on = ParseUnsigned(arguments[i + 1], 65535);
                const auto off = ParseUnsigned(arguments[i + 2], 65535);
                const auto repeat = ParseUnsigned(arguments[i + 3], 255);
                if (!on || !off)
                    fail("--pulse: ON and OFF are numbers of seconds 0 to 65535");
                else if (!repeat)
                    fail("--pulse: REPEAT is a count 0 to 255");
                options.onSeconds = on.value_or(0);
                options.offSeconds = off.value_or(0);
                options.repeat = static_cast<std::uint8_t>(repeat.value_or(0));
                i += 3;
            }
        } else if (argument.size() > 1 && argument[0] == '-') {
            fail("unknown option " + argument);
        } else if (options.command.empty()) {
            options.command = argument;
        } else {
            operands.push_back(argument);
        }
    }
    if (options.command == "archive" && !operands.empty() && operands.front() == "copy") {
        options.from.reset();
        options.to.reset();
    } else {
        options.copyFrom.clear();
        options.copyTo.clear();
        if (!dateError.empty())
            fail(dateError);
    }
    if (!options.error.empty())
        return options;

    if (options.version)
        return options;
    if (options.command == "help") {
        options.help = true;
        options.command = operands.empty() ? std::string() : operands.front();
        if (!options.command.empty() && FindCommand(options.command) == nullptr)
            fail("unknown command \"" + options.command + "\"");
        return options;
    }
    if (options.help) {
        if (!options.command.empty() && FindCommand(options.command) == nullptr)
            fail("unknown command \"" + options.command + "\"");
        return options;
    }
    if (options.command.empty()) {
        fail("no command given");
        return options;
    }
    const CommandEntry* entry = FindCommand(options.command);
    if (entry == nullptr) {
        fail("unknown command \"" + options.command + "\"");
        return options;
    }
    if (!options.port.empty() && options.demo)
        fail("--port and --demo exclude each other");
    if (options.ports.size() > 1 && options.command != "collect")
        fail(options.command + " takes one --port; collect takes several");

    // Options that belong to another command.
    for (const std::string& option : commandOptions) {
        const std::string& c = options.command;
        const bool allowed =
            (option == "--json" && entry->json) || (option == "--no-verify" && c == "write") ||
            (option == "--yes" && c == "factory-reset") ||
            ((option == "--from" || option == "--to" || option == "--out" ||
              option == "--keep-partial" || option == "--no-archive") &&
             c == "history") ||
            ((option == "--from" || option == "--to" || option == "--out" ||
              option == "--ports-glob" || option == "--jobs" || option == "--since-last" ||
              option == "--passwords") &&
             c == "collect") ||
            (option == "--archive" && (c == "history" || c == "archive" || c == "collect")) ||
            ((option == "--from" || option == "--to" || option == "--out" ||
              option == "--device-id" || option == "--model") &&
             c == "archive") ||
            (option == "--set" && c == "clock") ||
            ((option == "--profile" || option == "--model") && c == "report") ||
            ((option == "--nc" || option == "--pulse" || option == "--stop") && c == "relay");
        if (!allowed)
            fail(c + " does not take " + option);
    }
    if (entry->operand == Operand::Profile) {
        if (operands.size() != 1)
            fail(options.command + " needs one profile file");
        else
            options.profile = operands.front();
    } else if (entry->operand == Operand::CsvFile) {
        if (operands.size() != 1)
            fail(options.command + " needs one CSV file");
        else
            options.csvFile = operands.front();
    } else if (entry->operand == Operand::ArchiveAction) {
        CheckArchiveCommand(operands, options);
    } else if (!operands.empty()) {
        fail(options.command + " takes no argument \"" + operands.front() + "\"");
    }
    if (options.noArchive && !options.archive.empty())
        fail("--archive and --no-archive exclude each other");
    if (options.command == "history" && (!options.from || !options.to))
        fail("history needs --from and --to");
    else if (options.command == "history" && *options.to < *options.from)
        fail("history: the range ends before it starts (--to " + DateText(*options.to) +
             " is before --from " + DateText(*options.from) + ")");
    if (options.command == "collect") {
        if (options.ports.empty() && options.portsGlobs.empty())
            fail("collect needs --port PATH or --ports-glob PATTERN");
        if (options.demo)
            fail("collect does not take --demo");
        if (options.sinceLast && (options.from || options.to))
            fail("--since-last and --from/--to exclude each other");
        else if (!options.sinceLast && (!options.from || !options.to))
            fail("collect needs --since-last or --from and --to");
        else if (!options.sinceLast && *options.to < *options.from)
            fail("collect: the range ends before it starts");
    }
    if (options.command == "relay" && options.relay == RelayMode::None)
        fail("relay needs --nc, --pulse or --stop");
    if (options.command == "factory-reset" && !options.yes)
        fail("factory-reset resets every setting of the logger: confirm with --yes");
    if (entry->logger && options.port.empty() && !options.demo && options.error.empty())
        fail(options.command + " needs --port PATH or --demo");
    return options;
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

std::string VersionText() {
    return std::string("lgcset-cli ") + kVersion + "\n";
}

}  // namespace lgcset::cli
