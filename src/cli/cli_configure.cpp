#include "cli/cli_configure.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <optional>
#include <utility>

#include "cli/cli_change_log.h"
#include "cli/cli_connection.h"
#include "cli/cli_fleet.h"
#include "cli/cli_profile_file.h"
#include "cli/cli_reviewed_write.h"
#include "data/printable_text.h"
#include "jobs/audit_entries.h"
#include "jobs/settings_jobs.h"
#include "profiles/fleet_template.h"
#include "profiles/profile_check.h"
#include "settings/parameter_image.h"

namespace lgcset::cli {

namespace {

using WriteEnd = jobs::WriteSettingsResult::End;

// Where a port's session stands, for its line on the terminal.
enum class ConfigureStage { Waiting, LoggingIn, Reading, Writing, Done };

const char* ConfigureStageText(ConfigureStage stage) {
    switch (stage) {
        case ConfigureStage::Waiting:
            return "waiting";
        case ConfigureStage::LoggingIn:
            return "logging in";
        case ConfigureStage::Reading:
            return "reading";
        case ConfigureStage::Writing:
            return "writing";
        case ConfigureStage::Done:
            return "done";
    }
    return "";
}

// The files every port's worker reads, checked before any port is opened.
struct ConfigurePlan {
    const CliOptions& options;
    const CliEnvironment& environment;
    std::vector<std::string> passwords;
    profiles::IniFile templateFile;
    std::optional<profiles::ValuesFile> values;
};

// What the workers share: the change log (one writer at a time) and the lines on view.
struct ConfigureShared {
    std::mutex mutex;
    jobs::ChangeLog* changes = nullptr;
    std::vector<LoggerConfiguration> loggers;
    std::vector<ConfigureStage> stages;
    bool recordKept = true;  // false: a change was made with nothing to record it
};

void SetConfigureStage(ConfigureShared& shared, std::size_t index, ConfigureStage stage) {
    std::lock_guard lock(shared.mutex);
    shared.stages[index] = stage;
}

void AddLoggerNote(LoggerConfiguration& logger, const std::string& note) {
    if (!note.empty())
        logger.why += (logger.why.empty() ? "" : "; ") + note;
}

// The result of a write that was asked for.
void WriteResult(const SentWrite& sent, LoggerConfiguration& logger) {
    logger.status = sent.outcome.status;
    logger.why = sent.outcome.error;
    if (sent.halfWritten && sent.end == WriteEnd::LineEnded)
        logger.result = kResultLineLost;
    else if (sent.planRefused || sent.halfWritten || sent.end == WriteEnd::Invalid ||
             sent.end == WriteEnd::Refused)
        logger.result = kResultRefused;
    else if (sent.end == WriteEnd::Differs)
        logger.result = kResultDiffers;
    else if (sent.end == WriteEnd::LineEnded)
        logger.result = kResultFailed;
    else
        logger.result = sent.end == WriteEnd::Verified ? kResultVerified : kResultWritten;
    if (sent.end == WriteEnd::Differs && !sent.differences.empty())
        logger.why += ": " + sent.differences.front();
}

// The logger's own settings with its part of the template over them; nothing, with the
// logger refused, when a value cannot be stored.
std::optional<settings::SettingsModel> TargetOf(const profiles::LoggerProfile& profile,
                                                const settings::SettingsModel& held,
                                                LoggerConfiguration& logger) {
    settings::SettingsModel target = held;
    profiles::ApplyLoggerProfile(profile, target);
    if (const auto invalid = settings::ValidateForSave(target); !invalid.empty()) {
        logger.result = kResultRefused;
        logger.status = kExitRefused;
        logger.why = settings::InvalidFieldsMessage(invalid);
        return std::nullopt;
    }
    return target;
}

void ConfigureOne(const ConfigurePlan& plan, ConfigureShared& shared, std::size_t index) {
    LoggerConfiguration logger;
    {
        std::lock_guard lock(shared.mutex);
        logger = shared.loggers[index];
    }
    settings::SettingsModel settings;
    HeadlessSession session(settings, plan.environment.resendIntervalMs);
    auto done = [&] {
        std::lock_guard lock(shared.mutex);
        shared.loggers[index] = logger;
        shared.stages[index] = ConfigureStage::Done;
    };
    auto failed = [&](const Outcome& outcome) {
        logger.result = kResultFailed;
        logger.status = outcome.status;
        logger.why = outcome.error;
        done();
    };

    SetConfigureStage(shared, index, ConfigureStage::LoggingIn);
    if (Outcome opened = session.Open(logger.port); !opened.ok())
        return failed(opened);
    if (Outcome in = LogIn(session, settings, plan.passwords); !in.ok())
        return failed(in);
    logger.model = settings.Text(settings::Setting::Model);
    if (Outcome read = session.ReadDeviceId(logger.deviceId); !read.ok())
        return failed(read);
    {
        std::lock_guard lock(shared.mutex);
        shared.loggers[index].deviceId = logger.deviceId;
    }
    const profiles::LoggerTemplate part =
        profiles::TemplateForLogger(plan.templateFile, plan.values ? &*plan.values : nullptr,
                                    logger.deviceId, plan.options.defaultRow);
    switch (part.end) {
        case profiles::LoggerTemplate::End::Ready:
            break;
        case profiles::LoggerTemplate::End::NotInValues:
            // Found, and left as it is: its result says so, and the exit status too.
            logger.result = kResultNotInValues;
            logger.status = kExitRefused;
            return done();
        case profiles::LoggerTemplate::End::Unfit:
            logger.result = kResultRefused;
            logger.status = kExitRefused;
            logger.why = part.why;
            return done();
    }

    SetConfigureStage(shared, index, ConfigureStage::Reading);
    if (Outcome read = ReadSettings(session); !read.ok())
        return failed(read);
    const jobs::Pages read = session.ReadPages();
    {
        std::lock_guard lock(shared.mutex);
        const archive::ArchiveStatus kept = shared.changes->Keep(jobs::ReadSnapshot(
            {logger.deviceId, logger.model}, settings.Text(settings::Setting::Firmware), read));
        if (!kept.ok())
            AddLoggerNote(logger, kept.message + " The settings read were not kept.");
    }
    settings::SettingsModel held;
    jobs::DecodePages(read, session.LoginReply(), held);
    const std::optional<settings::SettingsModel> target = TargetOf(part.logger, held, logger);
    if (!target)
        return done();
    logger.changes = jobs::ReviewChanges(held, *target);
    if (logger.changes.empty()) {
        logger.result = kResultUnchanged;
        return done();
    }
    if (plan.options.dryRun) {
        logger.result = kResultWouldChange;
        return done();
    }

    SetConfigureStage(shared, index, ConfigureStage::Writing);
    const std::string notes = logger.why;
    const SentWrite sent =
        SendWrite(session, read, held, *target, logger.changes, {*shared.changes, shared.mutex},
                  plan.options.reason, !plan.options.noVerify);
    WriteResult(sent, logger);
    AddLoggerNote(logger, notes);
    if (sent.recordNote == jobs::kNoRecordKept) {
        std::lock_guard lock(shared.mutex);
        shared.recordKept = false;
    } else {
        AddLoggerNote(logger, sent.recordNote);
    }
    done();
}

std::vector<std::string> ConfigureLines(ConfigureShared& shared) {
    std::vector<std::string> lines;
    std::lock_guard lock(shared.mutex);
    for (std::size_t i = 0; i < shared.loggers.size(); ++i) {
        const LoggerConfiguration& logger = shared.loggers[i];
        std::string line = logger.port;
        if (!logger.deviceId.empty())
            line += "  " + logger.deviceId;
        line += "  ";
        if (shared.stages[i] != ConfigureStage::Done)
            line += ConfigureStageText(shared.stages[i]);
        else
            line += logger.result + (logger.why.empty() ? "" : ": " + logger.why);
        lines.push_back(data::PrintableText(line));
    }
    return lines;
}

bool ListedLogger(const LoggerConfiguration& logger, bool onlyChanged) {
    return !onlyChanged || logger.result != kResultUnchanged;
}

// The files and the ports, checked before any port is opened; the plan's files read.
Outcome PrepareConfigure(const CliOptions& options, ConfigurePlan& plan, std::ostream& err) {
    if (Outcome read =
            ReadCheckedProfile(options.templateFile, plan.templateFile, err, ValuesFit::PerLogger);
        !read.ok())
        return {kExitUsage, read.error};
    if (!options.valuesFile.empty()) {
        std::string why;
        plan.values = profiles::ReadValuesFileAt(options.valuesFile, why);
        if (!plan.values)
            return {kExitUsage, options.valuesFile + ": " + why};
        if (!options.defaultRow.empty() && !profiles::RowFor(*plan.values, {}, options.defaultRow))
            return {kExitUsage, "--default-row: " + options.valuesFile + " has no row of " +
                                    options.defaultRow};
    }
    if (std::string mismatch =
            profiles::TemplateMismatch(plan.templateFile, plan.values ? &*plan.values : nullptr,
                                       options.templateFile, options.valuesFile);
        !mismatch.empty())
        return {kExitUsage, std::move(mismatch)};
    const PasswordList passwords = CollectPasswords(options);
    if (passwords.outcome == PasswordList::Outcome::Refused)
        return {kExitUsage, passwords.error};
    plan.passwords = passwords.passwords;
    return {};
}

std::string JsonChange(const jobs::ReviewRow& row) {
    return "{\"group\": " + JsonString(row.group) + ", \"setting\": " + JsonString(row.caption) +
           ", \"logger\": " + JsonString(row.logger) + ", \"new\": " + JsonString(row.typed) +
           ", \"unit\": " + JsonString(row.unit) + "}";
}

}  // namespace

std::string ConfigureTable(const std::vector<LoggerConfiguration>& loggers, bool onlyChanged) {
    std::vector<std::array<std::string, 6>> rows{
        {"port", "device ID", "model", "result", "changes", "why"}};
    for (const LoggerConfiguration& l : loggers)
        if (ListedLogger(l, onlyChanged))
            rows.push_back({l.port, l.deviceId.empty() ? "-" : l.deviceId,
                            l.model.empty() ? "-" : l.model, l.result,
                            std::to_string(l.changes.size()), data::PrintableText(l.why)});
    return TableText(rows);
}

std::string ConfigureJson(const std::vector<LoggerConfiguration>& loggers, bool onlyChanged) {
    std::string text = "[";
    bool first = true;
    for (const LoggerConfiguration& l : loggers) {
        if (!ListedLogger(l, onlyChanged))
            continue;
        text += std::exchange(first, false) ? "\n" : ",\n";
        text += "  {\"port\": " + JsonString(l.port) +
                ", \"device_id\": " + JsonString(l.deviceId) +
                ", \"model\": " + JsonString(l.model) + ", \"result\": " + JsonString(l.result) +
                ", \"status\": " + std::to_string(l.status) + ", \"why\": " + JsonString(l.why) +
                ", \"changes\": [";
        for (std::size_t i = 0; i < l.changes.size(); ++i)
            text += (i == 0 ? "\n    " : ",\n    ") + JsonChange(l.changes[i]);
        text += l.changes.empty() ? "]}" : "\n  ]}";
    }
    return text + (first ? "]\n" : "\n]\n");
}

int RunConfigure(const CliOptions& options, const CliEnvironment& environment, std::ostream& out,
                 std::ostream& err) {
    ConfigurePlan plan{options, environment, {}, {}, {}};
    if (Outcome prepared = PrepareConfigure(options, plan, err); !prepared.ok())
        return Fail(err, prepared);
    const std::vector<std::string> ports = CollectPorts(options);
    if (ports.empty())
        return Fail(err, {kExitUsage, "configure: no port matches"});
    jobs::ChangeLog changes = ChangesFor(options, environment);
    // An archive that cannot be opened is said once, before any logger is changed.
    archive::ArchiveStatus opened;
    if (changes.Keeps() && changes.Store(opened) == nullptr)
        return Fail(err, {kExitUsage, opened.message});

    ConfigureShared shared;
    shared.changes = &changes;
    for (const std::string& port : ports) {
        LoggerConfiguration logger;
        logger.port = port;
        shared.loggers.push_back(logger);
    }
    shared.stages.resize(ports.size(), ConfigureStage::Waiting);
    RunEachPort(
        ports.size(), options, environment, [&](std::size_t i) { ConfigureOne(plan, shared, i); },
        [&] { return ConfigureLines(shared); }, err);

    if (!shared.recordKept)
        err << "lgcset-cli: " << jobs::kNoRecordKept << "\n";
    int status = kExitOk;
    for (const LoggerConfiguration& logger : shared.loggers)
        status = std::max(status, logger.status);
    out << (options.json ? ConfigureJson(shared.loggers, options.onlyChanged)
                         : ConfigureTable(shared.loggers, options.onlyChanged));
    return status;
}

}  // namespace lgcset::cli
