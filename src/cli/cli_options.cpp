#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <tuple>

#include "cli/cli_command_table.h"
#include "data/device_id.h"
#include "link/port_list.h"
#include "project_version.h"
#include "protocol/commands.h"

namespace lgcset::cli {

namespace {

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

// The words after an option on the command line, taken as the option reads them.
class Words {
  public:
    Words(const std::vector<std::string>& arguments, std::size_t& at, std::string option,
          CliOptions& options)
        : arguments_(arguments), at_(at), option_(std::move(option)), options_(options) {}

    // The value after the option, or a usage error naming the option and `what` it needs.
    std::optional<std::string> Value(const std::string& what) {
        if (at_ + 1 >= arguments_.size()) {
            Fail(option_ + " needs " + what);
            return std::nullopt;
        }
        return arguments_[++at_];
    }
    // The next `count` words, all of them or none and a usage error.
    std::optional<std::vector<std::string>> Values(std::size_t count, const std::string& what) {
        if (at_ + count >= arguments_.size()) {
            Fail(option_ + " needs " + what);
            return std::nullopt;
        }
        std::vector<std::string> values(
            arguments_.begin() + static_cast<std::ptrdiff_t>(at_) + 1,
            arguments_.begin() + static_cast<std::ptrdiff_t>(at_ + count) + 1);
        at_ += count;
        return values;
    }
    // The next word, left on the line; nothing at its end.
    const std::string* Next() const {
        return at_ + 1 < arguments_.size() ? &arguments_[at_ + 1] : nullptr;
    }
    void Take() { ++at_; }
    void Fail(std::string text) {
        if (options_.error.empty())
            options_.error = std::move(text);
    }
    const std::string& Option() const { return option_; }

  private:
    const std::vector<std::string>& arguments_;
    std::size_t& at_;
    std::string option_;
    CliOptions& options_;
};

// --nc, --pulse and --stop: one of them, with its words.
void ApplyRelayOption(OptionId id, Words& words, CliOptions& options) {
    if (options.relay != RelayMode::None) {
        words.Fail("relay takes one of --nc, --pulse and --stop");
        return;
    }
    if (id == OptionId::Stop) {
        options.relay = RelayMode::Stop;
    } else if (id == OptionId::Nc) {
        options.relay = RelayMode::NcNo;
        if (const auto text = words.Value("the relay working time in seconds")) {
            const auto seconds = ParseUnsigned(*text, kMaxRelaySeconds);
            if (!seconds)
                words.Fail("--nc: \"" + *text + "\" is not a number of seconds 0 to " +
                           std::to_string(kMaxRelaySeconds));
            options.relaySeconds = seconds.value_or(0);
        }
    } else {
        options.relay = RelayMode::Pulse;
        const auto values = words.Values(3, "ON and OFF seconds and a REPEAT count");
        if (!values)
            return;
        const auto on = ParseUnsigned((*values)[0], 65535);
        const auto off = ParseUnsigned((*values)[1], 65535);
        const auto repeat = ParseUnsigned((*values)[2], 255);
        if (!on || !off)
            words.Fail("--pulse: ON and OFF are numbers of seconds 0 to 65535");
        else if (!repeat)
            words.Fail("--pulse: REPEAT is a count 0 to 255");
        options.onSeconds = on.value_or(0);
        options.offSeconds = off.value_or(0);
        options.repeat = static_cast<std::uint8_t>(repeat.value_or(0));
    }
}

// What an option and its words set; `dateError` keeps a --from or --to that is no date until
// the line shows whether they name dates.
void ApplyOption(OptionId id, Words& words, CliOptions& options, std::string& dateError) {
    const std::string& argument = words.Option();
    switch (id) {
        case OptionId::Help:
            options.help = true;
            break;
        case OptionId::Version:
            options.version = true;
            break;
        case OptionId::Port:
            if (const auto port =
                    words.Value(std::string("a port (such as ") + link::kExamplePortName + ")")) {
                options.port = *port;
                options.ports.push_back(*port);
            }
            break;
        case OptionId::PortsGlob:
            if (const auto pattern = words.Value("a pattern of port names"))
                options.portsGlobs.push_back(*pattern);
            break;
        case OptionId::Jobs:
            if (const auto text = words.Value("a number of sessions at once")) {
                long long jobs = 0;
                if (!ParseNumber(*text, jobs) || jobs < 1 || jobs > 1000)
                    words.Fail("--jobs: \"" + *text + "\" is not a number of sessions 1 to 1000");
                options.jobs = static_cast<int>(jobs);
            }
            break;
        case OptionId::SinceLast:
            options.sinceLast = true;
            break;
        case OptionId::Passwords:
            if (const auto file = words.Value("a file of device IDs and passwords"))
                options.passwordsFile = *file;
            break;
        case OptionId::Demo:
            options.demo = true;
            if (const std::string* next = words.Next(); next != nullptr && IsModel(*next)) {
                options.demoModel = *next;
                words.Take();
            } else if (next != nullptr && LooksLikeModel(*next)) {
                words.Fail("unknown model " + *next + " (R480 to R483)");
            }
            break;
        case OptionId::Password:
            if (const auto password = words.Value("the device password")) {
                options.password = *password;
                options.passwordGiven = true;
                if (std::string refused = PasswordRefusal("--password", *password);
                    !refused.empty())
                    words.Fail(std::move(refused));
            }
            break;
        case OptionId::Json:
            options.json = true;
            break;
        case OptionId::NoVerify:
            options.noVerify = true;
            break;
        case OptionId::Yes:
            options.yes = true;
            break;
        case OptionId::From:
        case OptionId::To:
            // A date, except for archive copy, where they name archives: which is known
            // once the whole line is read.
            if (const auto text = words.Value("a date YY-MM-DD")) {
                (id == OptionId::From ? options.copyFrom : options.copyTo) = *text;
                const auto date = ParseDate(*text);
                if (!date && dateError.empty())
                    dateError = argument + ": \"" + *text + "\" is not a date YY-MM-DD";
                else if (date && !ClockYear(date->year) && dateError.empty())
                    dateError = TwoDigitYearsRefusal(argument, date->year);
                (id == OptionId::From ? options.from : options.to) = date;
            }
            break;
        case OptionId::Profile:
            if (const auto file = words.Value("a profile file"))
                options.profile = *file;
            break;
        case OptionId::Model:
            if (const auto model = words.Value("a model, R480 to R483")) {
                if (!IsModel(*model))
                    words.Fail("unknown model " + *model + " (R480 to R483)");
                options.model = *model;
            }
            break;
        case OptionId::Out:
            if (const auto dir = words.Value("a folder"))
                options.outDir = *dir;
            break;
        case OptionId::Archive:
            if (const auto file = words.Value("an archive file or URL"))
                options.archive = *file;
            break;
        case OptionId::NoArchive:
            options.noArchive = true;
            break;
        case OptionId::DeviceId:
            if (const auto text = words.Value("a device ID")) {
                const data::DeviceIdText normal = data::NormalDeviceId(*text);
                if (!normal.ok())
                    words.Fail("--device-id: " + normal.error);
                options.deviceId = normal.id;
            }
            break;
        case OptionId::KeepPartial:
            options.keepPartial = true;
            break;
        case OptionId::Set:
            if (const auto text = words.Value("now or \"YYYY-MM-DD HH:MM:SS\"")) {
                options.setClock = true;
                if (*text == "now") {
                    options.setClockNow = true;
                } else if (const auto at = ParseDateTime(*text)) {
                    options.clockValue = *at;
                    if (!ClockYear(at->date.year))
                        words.Fail(TwoDigitYearsRefusal(argument, at->date.year));
                } else {
                    words.Fail("--set: \"" + *text +
                               "\" is neither now nor a time YYYY-MM-DD HH:MM:SS");
                }
            }
            break;
        case OptionId::Nc:
        case OptionId::Pulse:
        case OptionId::Stop:
            ApplyRelayOption(id, words, options);
            break;
    }
}

// The action of a command that has them (archive) and what it needs; the first failure goes
// into options.error.
void CheckAction(const CommandSpec& command, const std::vector<std::string>& operands,
                 CliOptions& options) {
    auto fail = [&options](std::string text) {
        if (options.error.empty())
            options.error = std::move(text);
    };
    const std::string action = operands.empty() ? std::string() : operands.front();
    options.archiveAction = action;
    const std::size_t files = operands.empty() ? 0 : operands.size() - 1;
    const ActionSpec* spec = FindAction(command, action);
    if (spec == nullptr) {
        fail(std::string(command.name) + " needs " + ActionNames(command));
        return;
    }
    if (action == "copy") {
        if (files != 0)
            fail("archive copy takes no argument \"" + operands[1] + "\"");
        if (options.copyFrom.empty() || options.copyTo.empty())
            fail(
                "archive copy needs --from and --to: an archive file or a postgresql:// URL "
                "each");
        if (!options.archive.empty())
            fail("archive copy names its archives with --from and --to, not --archive");
        if (!options.deviceId.empty() || !options.model.empty() || !options.outDir.empty() ||
            options.json)
            fail("archive copy takes only --from and --to");
        return;
    }
    if (spec->operand == Operand::CsvFile) {
        if (files != 1)
            fail("archive " + action + " needs one CSV file");
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
    const auto refused = [spec](bool given, OptionId id) {
        return given && !TakesOption(spec->options, id);
    };
    if (refused(options.from.has_value(), OptionId::From) ||
        refused(options.to.has_value(), OptionId::To) ||
        refused(!options.outDir.empty(), OptionId::Out))
        fail("archive " + action + " takes no --from, --to or --out");
    if (refused(!options.deviceId.empty(), OptionId::DeviceId) ||
        refused(!options.model.empty(), OptionId::Model))
        fail("archive " + action + " takes no --device-id or --model");
    if (refused(options.json, OptionId::Json))
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
    std::vector<const OptionSpec*> commandOptions;  // those a command must take
    std::string dateError;                          // --from or --to that is no date
    auto fail = [&options](std::string text) {
        if (options.error.empty())
            options.error = std::move(text);
    };
    for (std::size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
        const std::string& argument = arguments[i];
        if (const OptionSpec* option = FindOption(argument)) {
            if (!IsGlobal(*option))
                commandOptions.push_back(option);
            Words words(arguments, i, argument, options);
            ApplyOption(option->id, words, options, dateError);
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
    const CommandSpec* entry = FindCommand(options.command);
    if (entry == nullptr) {
        fail("unknown command \"" + options.command + "\"");
        return options;
    }
    if (!options.port.empty() && options.demo)
        fail("--port and --demo exclude each other");
    if (options.ports.size() > 1 && !entry->severalPorts)
        fail(options.command + " takes one --port; collect takes several");

    for (const OptionSpec* option : commandOptions)
        if (!TakesOption(entry->options, option->id))
            fail(options.command + " does not take " + std::string(option->name));
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
    } else if (entry->operand == Operand::Action) {
        CheckAction(*entry, operands, options);
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

std::string VersionText() {
    return std::string("lgcset-cli ") + kVersion + "\n";
}

}  // namespace lgcset::cli
