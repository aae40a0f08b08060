#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <tuple>

#include "cli/cli_command_table.h"
#include "data/device_id.h"
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

// The words an option takes after it, as the table says; nothing, with the line refused, when
// they are not there.
std::optional<std::vector<std::string>> TakeWords(const OptionEntry& option,
                                                  const std::vector<std::string>& arguments,
                                                  std::size_t& at, CliOptions& options) {
    const bool more = at + 1 < arguments.size();
    std::size_t count = 0;
    switch (option.takes) {
        case Takes::Nothing:
            return std::vector<std::string>();
        case Takes::MaybeModel:
            // The next word is the model when it is one; else it is left on the line.
            if (more && IsModel(arguments[at + 1]))
                return std::vector<std::string>{arguments[++at]};
            if (more && LooksLikeModel(arguments[at + 1])) {
                options.Refuse("unknown model " + arguments[at + 1] + " (R480 to R483)");
                return std::nullopt;
            }
            return std::vector<std::string>();
        case Takes::Value:
            count = 1;
            break;
        case Takes::ThreeValues:
            count = 3;
            break;
    }
    if (at + count >= arguments.size()) {
        options.Refuse(std::string(option.name) + " needs " + std::string(option.needs));
        return std::nullopt;
    }
    std::vector<std::string> words(arguments.begin() + static_cast<std::ptrdiff_t>(at) + 1,
                                   arguments.begin() + static_cast<std::ptrdiff_t>(at + count) + 1);
    at += count;
    return words;
}

// --nc, --pulse and --stop exclude each other; a second one is refused before its words are
// read.
bool SecondRelayMode(OptionId id, CliOptions& options) {
    const bool relayMode = id == OptionId::Nc || id == OptionId::Pulse || id == OptionId::Stop;
    if (!relayMode || options.relay == RelayMode::None)
        return false;
    options.Refuse("relay takes one of --nc, --pulse and --stop");
    return true;
}

// --nc SECONDS and --pulse ON OFF REPEAT.
void ApplyRelayOption(OptionId id, const std::vector<std::string>& words, CliOptions& options) {
    if (id == OptionId::Stop) {
        options.relay = RelayMode::Stop;
    } else if (id == OptionId::Nc) {
        options.relay = RelayMode::NcNo;
        const auto seconds = ParseUnsigned(words[0], kMaxRelaySeconds);
        if (!seconds)
            options.Refuse("--nc: \"" + words[0] + "\" is not a number of seconds 0 to " +
                           std::to_string(kMaxRelaySeconds));
        options.relaySeconds = seconds.value_or(0);
    } else {
        options.relay = RelayMode::Pulse;
        const auto on = ParseUnsigned(words[0], 65535);
        const auto off = ParseUnsigned(words[1], 65535);
        const auto repeat = ParseUnsigned(words[2], 255);
        if (!on || !off)
            options.Refuse("--pulse: ON and OFF are numbers of seconds 0 to 65535");
        else if (!repeat)
            options.Refuse("--pulse: REPEAT is a count 0 to 255");
        options.onSeconds = on.value_or(0);
        options.offSeconds = off.value_or(0);
        options.repeat = static_cast<std::uint8_t>(repeat.value_or(0));
    }
}

// What an option and its words set; `dateError` keeps a --from or --to that is no date until
// the line shows whether they name dates.
void ApplyOption(const OptionEntry& option, const std::vector<std::string>& words,
                 CliOptions& options, std::optional<std::string>& dateError) {
    const std::string name(option.name);
    const std::string& word = words.empty() ? name : words.front();
    switch (option.id) {
        case OptionId::Help:
            options.help = true;
            break;
        case OptionId::Version:
            options.version = true;
            break;
        case OptionId::Port:
            options.port = word;
            options.ports.push_back(word);
            break;
        case OptionId::PortsGlob:
            options.portsGlobs.push_back(word);
            break;
        case OptionId::Jobs: {
            long long jobs = 0;
            if (!ParseNumber(word, jobs) || jobs < 1 || jobs > 1000)
                options.Refuse("--jobs: \"" + word + "\" is not a number of sessions 1 to 1000");
            options.jobs = static_cast<int>(jobs);
            break;
        }
        case OptionId::SinceLast:
            options.sinceLast = true;
            break;
        case OptionId::Passwords:
            options.passwordsFile = word;
            break;
        case OptionId::Demo:
            options.demo = true;
            if (!words.empty())
                options.demoModel = word;
            break;
        case OptionId::Password:
            options.password = word;
            options.passwordGiven = true;
            if (std::optional<std::string> refused = PasswordRefusal(name, word))
                options.Refuse(std::move(*refused));
            break;
        case OptionId::Json:
            options.json = true;
            break;
        case OptionId::NoVerify:
            options.noVerify = true;
            break;
        case OptionId::Force:
            options.force = true;
            break;
        case OptionId::Yes:
            options.yes = true;
            break;
        case OptionId::DryRun:
            options.dryRun = true;
            break;
        case OptionId::Reason:
            options.reason = word;
            break;
        case OptionId::From:
        case OptionId::To: {
            // A date, except for archive copy, where they name archives: which is known
            // once the whole line is read.
            const bool from = option.id == OptionId::From;
            (from ? options.copyFrom : options.copyTo) = word;
            const auto date = ParseDate(word);
            if (!date && !dateError)
                dateError = name + ": \"" + word + "\" is not a date YY-MM-DD";
            else if (date && !ClockYear(date->year) && !dateError)
                dateError = TwoDigitYearsRefusal(name, date->year);
            (from ? options.from : options.to) = date;
            break;
        }
        case OptionId::Profile:
            options.profile = word;
            break;
        case OptionId::Template:
            options.templateFile = word;
            break;
        case OptionId::Values:
            options.valuesFile = word;
            break;
        case OptionId::OnlyChanged:
            options.onlyChanged = true;
            break;
        case OptionId::DefaultRow: {
            const data::DeviceIdText normal = data::NormalDeviceId(word);
            if (!normal.ok())
                options.Refuse("--default-row: " + normal.error);
            options.defaultRow = normal.id;
            break;
        }
        case OptionId::Model:
            if (!IsModel(word))
                options.Refuse("unknown model " + word + " (R480 to R483)");
            options.model = word;
            break;
        case OptionId::Out:
            options.outDir = word;
            break;
        case OptionId::Archive:
            options.archive = word;
            break;
        case OptionId::CsvOut:
            options.csvOut = word;
            break;
        case OptionId::PdfOut:
            options.pdfOut = word;
            break;
        case OptionId::NoArchive:
            options.noArchive = true;
            break;
        case OptionId::DeviceId: {
            const data::DeviceIdText normal = data::NormalDeviceId(word);
            if (!normal.ok())
                options.Refuse("--device-id: " + normal.error);
            options.deviceId = normal.id;
            break;
        }
        case OptionId::KeepPartial:
            options.keepPartial = true;
            break;
        case OptionId::Set:
            options.setClock = true;
            if (word == "now") {
                options.setClockNow = true;
            } else if (const auto at = ParseDateTime(word)) {
                options.clockValue = *at;
                if (!ClockYear(at->date.year))
                    options.Refuse(TwoDigitYearsRefusal(name, at->date.year));
            } else {
                options.Refuse("--set: \"" + word +
                               "\" is neither now nor a time YYYY-MM-DD HH:MM:SS");
            }
            break;
        case OptionId::Nc:
        case OptionId::Pulse:
        case OptionId::Stop:
            ApplyRelayOption(option.id, words, options);
            break;
    }
}

// The action of a command that has them (archive, settings-history): its operand, its own
// rules and the options it does not take.
void CheckAction(const CommandEntry& command, const std::vector<std::string>& operands,
                 const std::vector<const OptionEntry*>& optionsGiven, CliOptions& options) {
    const std::string action = operands.empty() ? std::string() : operands.front();
    options.archiveAction = action;
    const std::size_t files = operands.empty() ? 0 : operands.size() - 1;
    const ActionEntry* actionEntry = FindAction(command, action);
    if (actionEntry == nullptr) {
        options.Refuse(std::string(command.name) + " needs " + ActionNames(command));
        return;
    }
    const std::string named = std::string(command.name) + " " + action;
    if (actionEntry->operand == Operand::CsvFile) {
        if (files != 1)
            options.Refuse(named + " needs one CSV file");
        else
            options.csvFile = operands[1];
    } else if (actionEntry->operand == Operand::OneSnapshot ||
               actionEntry->operand == Operand::TwoSnapshots) {
        const std::size_t wanted = actionEntry->operand == Operand::OneSnapshot ? 1 : 2;
        if (files != wanted)
            options.Refuse(named +
                           (wanted == 1 ? " needs one snapshot ID" : " needs two snapshot IDs"));
        for (std::size_t i = 1; i < operands.size(); ++i) {
            std::int64_t id = 0;
            const std::string& word = operands[i];
            const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), id);
            if (error != std::errc() || end != word.data() + word.size() || id <= 0)
                options.Refuse(named + ": \"" + word + "\" is not a snapshot ID");
            options.snapshots.push_back(id);
        }
    } else if (files != 0) {
        options.Refuse(named + " takes no argument \"" + operands[1] + "\"");
    }
    if (actionEntry->check != nullptr)
        actionEntry->check(options);
    const auto refused = [actionEntry](bool given, OptionId id) {
        return given && !TakesOption(actionEntry->options, id);
    };
    if (refused(options.from.has_value(), OptionId::From) ||
        refused(options.to.has_value(), OptionId::To) ||
        refused(!options.outDir.empty(), OptionId::Out))
        options.Refuse(named + " takes no --from, --to or --out");
    if (refused(!options.deviceId.empty(), OptionId::DeviceId) ||
        refused(!options.model.empty(), OptionId::Model))
        options.Refuse(named + " takes no --device-id or --model");
    if (refused(options.json, OptionId::Json))
        options.Refuse(named + " does not take --json");
    if (refused(!options.csvOut.empty(), OptionId::CsvOut) ||
        refused(!options.pdfOut.empty(), OptionId::PdfOut))
        options.Refuse(named + " takes no --csv or --pdf");
    for (const OptionEntry* option : optionsGiven)
        if (!TakesOption(actionEntry->options, option->id))
            options.Refuse(named + " does not take " + std::string(option->name));
}

// Refuses a command that is not in the table.
void RefuseUnknown(CliOptions& options) {
    if (!options.command.empty() && FindCommand(options.command) == nullptr)
        options.Refuse("unknown command \"" + options.command + "\"");
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

void CliOptions::Refuse(std::string why) {
    if (!Understood())
        return;
    outcome = ParseOutcome::Refused;
    error = std::move(why);
}

std::optional<std::string> PasswordRefusal(const std::string& origin, const std::string& password) {
    if (password.size() <= protocol::kLoginPasswordLength)
        return std::nullopt;
    return origin + ": the logger holds a password of at most " +
           std::to_string(protocol::kLoginPasswordLength) + " characters, not " +
           std::to_string(password.size());
}

CliOptions ParseCommandLine(const std::vector<std::string>& arguments) {
    CliOptions options;
    std::vector<std::string> operands;
    std::vector<const OptionEntry*> commandOptions;  // those a command must take
    std::optional<std::string> dateError;           // --from or --to that is no date
    for (std::size_t i = 0; i < arguments.size() && options.Understood(); ++i) {
        const std::string& argument = arguments[i];
        if (const OptionEntry* option = FindOption(argument)) {
            if (!IsGlobal(*option))
                commandOptions.push_back(option);
            if (SecondRelayMode(option->id, options))
                continue;
            if (const auto words = TakeWords(*option, arguments, i, options))
                ApplyOption(*option, *words, options, dateError);
        } else if (argument.size() > 1 && argument[0] == '-') {
            options.Refuse("unknown option " + argument);
        } else if (options.command.empty()) {
            options.command = argument;
        } else {
            operands.push_back(argument);
        }
    }
    const CommandEntry* entry = FindCommand(options.command);
    const ActionEntry* action =
        entry != nullptr && !operands.empty() ? FindAction(*entry, operands.front()) : nullptr;
    if (action != nullptr && action->fromTo == RangeWords::Archives) {
        options.from.reset();
        options.to.reset();
    } else {
        options.copyFrom.clear();
        options.copyTo.clear();
        if (dateError)
            options.Refuse(std::move(*dateError));
    }
    if (!options.Understood() || options.version)
        return options;

    if (entry != nullptr && entry->operand == Operand::Command) {
        // help [COMMAND]: the help of the command named, or the program's.
        options.help = true;
        options.command = operands.empty() ? std::string() : operands.front();
        RefuseUnknown(options);
        return options;
    }
    if (options.help) {
        RefuseUnknown(options);
        return options;
    }
    if (options.command.empty()) {
        options.Refuse("no command given");
        return options;
    }
    if (entry == nullptr) {
        RefuseUnknown(options);
        return options;
    }
    if (!options.port.empty() && options.demo)
        options.Refuse("--port and --demo exclude each other");
    if (options.ports.size() > 1 && !entry->severalPorts)
        options.Refuse(options.command + " takes one --port; collect and configure take several");

    for (const OptionEntry* option : commandOptions)
        if (!TakesOption(entry->options, option->id))
            options.Refuse(options.command + " does not take " + std::string(option->name));
    if (entry->operand == Operand::Profile) {
        if (operands.size() != 1)
            options.Refuse(options.command + " needs one profile file");
        else
            options.profile = operands.front();
    } else if (entry->operand == Operand::CsvFile) {
        if (operands.size() != 1)
            options.Refuse(options.command + " needs one CSV file");
        else
            options.csvFile = operands.front();
    } else if (entry->operand == Operand::Action) {
        CheckAction(*entry, operands, commandOptions, options);
    } else if (!operands.empty()) {
        options.Refuse(options.command + " takes no argument \"" + operands.front() + "\"");
    }
    if (options.noArchive && !options.archive.empty())
        options.Refuse("--archive and --no-archive exclude each other");
    if (entry->check != nullptr)
        entry->check(options);
    if (entry->logger && options.port.empty() && !options.demo)
        options.Refuse(options.command + " needs --port PATH or --demo");
    return options;
}

std::string VersionText() {
    return std::string("lgcset-cli ") + kVersion + "\n";
}

}  // namespace lgcset::cli
