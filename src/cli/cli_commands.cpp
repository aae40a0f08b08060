#include "cli/cli_commands.h"

#include <chrono>
#include <ctime>
#include <functional>
#include <optional>

#ifdef LGCSET_ARCHIVE
#include "archive/throwaway_archive.h"
#include "cli/cli_archive.h"
#include "cli/cli_audit.h"
#include "cli/cli_collect.h"
#include "cli/cli_settings_history.h"
#endif
#include "cli/cli_change_log.h"
#include "cli/cli_command_table.h"
#include "cli/cli_configure.h"
#include "cli/cli_connection.h"
#include "cli/cli_history.h"
#include "cli/cli_options.h"
#include "cli/cli_profile_file.h"
#include "cli/cli_recording.h"
#include "cli/cli_report.h"
#include "cli/cli_reviewed_write.h"
#include "cli/headless_session.h"
#include "data/current_data.h"
#include "data/device_clock.h"
#include "data/history_query.h"
#include "data/printable_text.h"
#include "data/relay_test.h"
#include "jobs/audit_entries.h"
#include "jobs/device_tools_jobs.h"
#include "jobs/settings_jobs.h"
#include "jobs/settings_review.h"
#include "jobs/transfer_job.h"
#include "jobs/write_record.h"
#include "link/port_details.h"
#include "link/port_list.h"
#include "profiles/ini_storage.h"
#include "profiles/profile.h"
#include "profiles/profile_check.h"
#include "profiles/profile_origin.h"
#include "project_version.h"
#include "protocol/commands.h"
#include "protocol/operation_outcome.h"
#include "settings/channel_layout.h"
#include "settings/held_settings.h"
#include "sim/options.h"

namespace lgcset::cli {

namespace {

constexpr const char* kProgram = "lgcset-cli: ";

// What the window says when the operation succeeds; the command line says it too.
std::string DoneMessage(protocol::Operation operation) {
    return protocol::OutcomeMessage({operation, protocol::Result::Done});
}

// A job of the tools that the logger answers yes or no; the refusal's text is the window's.
Outcome ToolDone(const HeadlessSession& session, const jobs::ToolResult& result,
                 protocol::Operation operation) {
    switch (result.end) {
        case jobs::ToolResult::End::Done:
            return {};
        case jobs::ToolResult::End::Refused:
            return Outcome::Failed(
                kExitRefused, "the logger refused: " +
                                  protocol::OutcomeMessage({operation, protocol::Result::Refused}));
        case jobs::ToolResult::End::LineEnded:
            break;
    }
    return Outcome::Failed(kExitLink, session.LinkError(result.line));
}

int Ports(const CliEnvironment& environment, std::ostream& out, std::ostream& err) {
    std::vector<std::string> ports;
    try {
        ports = link::ListSerialPorts(environment.ttyClassRoot, environment.devRoot);
    } catch (const std::exception& e) {
        err << kProgram << "cannot list the serial ports: " << e.what() << "\n";
        return kExitLink;
    }
    for (const std::string& port : ports)
        out << link::PortLine(port, link::DescribeSerialPort(port, environment.ttyClassRoot))
            << "\n";
    return kExitOk;
}

int Info(Connection& c, const CliOptions& options, std::ostream& out) {
    const std::string model = c.settings.Text(settings::Setting::Model);
    const std::string firmware = c.settings.Text(settings::Setting::Firmware);
    if (options.json)
        out << "{\"model\": " << JsonString(model) << ", \"firmware\": " << JsonString(firmware)
            << "}\n";
    else
        out << "model " << model << "\nfirmware " << firmware << "\n";
    return kExitOk;
}

// The logger an action is recorded under: its device ID costs a page read, made only when
// there is an archive to record it in, and before the action (a reset changes the ID).
Outcome LoggerOf(Connection& c, const CommandRecord& record, archive::LoggerKey& logger) {
    logger.model = c.settings.Text(settings::Setting::Model);
    if (!record.Keeps())
        return {};
    return c.session->ReadDeviceId(logger.deviceId);
}

int Read(Connection& c, const CliOptions& options, CommandRecord& record, std::ostream& err) {
    if (Outcome read = ReadSettings(*c.session); !read.ok())
        return Fail(err, read);
    KeepRead(c, record);
    // The settings just read hold the logger's own device ID.
    const profiles::ProfileOrigin origin{c.settings.Text(settings::Setting::Model),
                                         c.settings.Text(settings::Setting::Firmware),
                                         c.settings.Text(settings::Setting::DeviceId),
                                         profiles::UtcTimestamp(std::chrono::system_clock::now()),
                                         std::string("lgcset-cli ") + kVersion};
    std::string error;
    if (!profiles::SaveProfileFile(c.settings, origin, options.profile, error))
        return Fail(err, Outcome::Failed(kExitUsage, "cannot write the profile " + options.profile +
                                                         ": " + error));
    return kExitOk;
}

// A profile saved from another model or another logger is refused unless --force: written,
// it would make this logger a copy of that one, its device ID among the settings. `use`
// says what --force does ("write", "compare").
Outcome CheckOrigin(Connection& c, const CliOptions& options, const profiles::IniFile& profile,
                    const std::string& use) {
    const auto origin = profiles::ReadOrigin(profile);
    if (options.force || !origin)
        return {};
    profiles::LoggerIdentity logger{c.settings.Text(settings::Setting::Model), {}};
    // The ID costs a page read: asked only when the model alone does not refuse.
    if (!origin->deviceId.empty() && !profiles::OriginMismatch(profile, logger))
        if (Outcome read = c.session->ReadDeviceId(logger.deviceId); !read.ok())
            return read;
    if (const auto mismatch = profiles::OriginMismatch(profile, logger))
        return Outcome::Failed(
            kExitRefused, data::PrintableText(options.profile + " was " + *mismatch + "; --force " +
                                              use + "s it anyway"));
    return {};
}

int Write(Connection& c, const CliOptions& options, const CliEnvironment& environment,
          const profiles::IniFile& profile, CommandRecord& record, std::ostream& out,
          std::ostream& err) {
    profiles::LoadProfile(profile, c.settings);
    // Settings that the write refuses without sending anything are refused for themselves,
    // before the logger is asked for anything.
    if (const auto invalid = settings::ValidateForSave(c.settings); !invalid.empty())
        return Fail(err, Outcome::Failed(kExitRefused, settings::InvalidFieldsMessage(invalid)));
    if (Outcome checked = CheckOrigin(c, options, profile, "write"); !checked.ok())
        return Fail(err, checked);
    // The review's read overwrites the session's settings; the profile's stay in `typed`.
    const settings::SettingsModel typed = c.settings;
    return ReviewedWrite(c, typed, std::nullopt, record, options, environment, out, err);
}

int Diff(Connection& c, const CliOptions& options, const profiles::IniFile& profile,
         CommandRecord& record, std::ostream& out, std::ostream& err) {
    // The profile loaded as "Load Profile" does and checked as "Save Settings" does, then
    // compared with what the logger holds as a write would be verified.
    settings::SettingsModel loaded;
    settings::CodeTables codes;
    ApplyIdentity(loaded, c.session->LoginReply(), codes);
    profiles::LoadProfile(profile, loaded);
    const auto invalid = settings::ValidateForSave(loaded);
    if (!invalid.empty())
        return Fail(err, Outcome::Failed(kExitRefused, settings::InvalidFieldsMessage(invalid)));
    if (Outcome checked = CheckOrigin(c, options, profile, "compare"); !checked.ok())
        return Fail(err, checked);

    if (Outcome read = ReadSettings(*c.session); !read.ok())
        return Fail(err, read);
    KeepRead(c, record);
    settings::SettingsModel logger;
    jobs::DecodePages(c.session->ReadPages(), c.session->LoginReply(), logger);
    const auto differences = settings::DiffHeldSettings(logger, loaded);
    if (options.json) {
        out << "[";
        for (std::size_t i = 0; i < differences.size(); ++i) {
            const auto& d = differences[i];
            out << (i == 0 ? "\n  " : ",\n  ") << "{\"setting\": " << JsonString(d.widget)
                << ", \"caption\": " << JsonString(d.caption)
                << ", \"logger\": " << JsonString(d.left)
                << ", \"profile\": " << JsonString(d.right) << "}";
        }
        out << (differences.empty() ? "]\n" : "\n]\n");
    } else {
        for (const auto& d : differences)
            out << d.caption << "\t" << d.left << "\t" << d.right << "\n";
    }
    return differences.empty() ? kExitOk : kExitRefused;
}

int Relay(Connection& c, const CliOptions& options, CommandRecord& record, std::ostream& out,
          std::ostream& err) {
    data::RelayTestRequest request{protocol::RelayAction::Stop, c.session->Params().relay};
    switch (options.relay) {
        case RelayMode::NcNo:
            request.action = protocol::RelayAction::NcNo;
            request.params.workingTime = options.relaySeconds;
            break;
        case RelayMode::Pulse:
            request.action = protocol::RelayAction::Pulse;
            request.params.onTime = options.onSeconds;
            request.params.offTime = options.offSeconds;
            request.params.repeatCount = options.repeat;
            break;
        case RelayMode::Stop:
        case RelayMode::None:
            break;
    }
    archive::LoggerKey logger;
    if (Outcome known = LoggerOf(c, record, logger); !known.ok())
        return Fail(err, known);
    jobs::RelayJob relay(c.session->Device(), request);
    c.session->Run(relay);
    record.Record(jobs::RelayTestedEntry(logger, relay.Result(), request,
                                         c.session->LinkError(relay.Result().line)));
    if (Outcome done = ToolDone(*c.session, relay.Result(), protocol::Operation::RelayControl);
        !done.ok())
        return Fail(err, done);
    out << DoneMessage(protocol::Operation::RelayControl) << "\n";
    return kExitOk;
}

int FactoryReset(Connection& c, CommandRecord& record, std::ostream& out, std::ostream& err) {
    using End = jobs::FactoryResetResult::End;
    archive::LoggerKey logger;
    if (Outcome known = LoggerOf(c, record, logger); !known.ok())
        return Fail(err, known);
    jobs::FactoryResetJob reset(c.session->Device());  // AskYesNo answers yes: confirmed
    c.session->Run(reset);
    const jobs::FactoryResetResult& result = reset.Result();
    record.Record(jobs::FactoryResetEntry(logger, result, c.session->LinkError(result.line)));
    if (result.end == End::LineEnded || result.end == End::NotSent)
        return Fail(err, Outcome::Failed(kExitLink, c.session->LinkError(result.line)));
    if (result.end == End::Refused)
        return Fail(err, Outcome::Failed(kExitRefused, "the logger refused the factory reset: " +
                                                           protocol::OutcomeMessage(
                                                               {protocol::Operation::FactoryReset,
                                                                protocol::Result::Refused})));
    out << DoneMessage(protocol::Operation::FactoryReset) << "\n";
    return kExitOk;
}

std::string TwoDigits(int value) {
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

std::string ClockText(int year, int month, int day, int hour, int minute, int second) {
    return std::to_string(year) + "-" + TwoDigits(month) + "-" + TwoDigits(day) + " " +
           TwoDigits(hour) + ":" + TwoDigits(minute) + ":" + TwoDigits(second);
}

// The logger's time before a set, for its record: none when it holds no time.
Outcome ClockBefore(Connection& c, std::optional<data::DeviceTime>& before) {
    jobs::ClockReadJob read(c.session->Device());
    c.session->Run(read);
    if (read.Result().end == jobs::ClockReadResult::End::LineEnded)
        return Outcome::Failed(kExitLink, c.session->LinkError(read.Result().line));
    if (read.Result().reply.kind == data::ClockReplyKind::Valid)
        before = read.Result().reply.time;
    return {};
}

int Clock(Connection& c, const CliOptions& options, CommandRecord& record, std::ostream& out,
          std::ostream& err) {
    if (options.setClock) {
        protocol::ClockSetting clock = c.session->Params().clock;
        if (options.setClockNow) {
            data::StoreClockFromNow(clock);
        } else {
            data::StoreClockFromPickers(options.clockValue.date, options.clockValue.time, clock);
        }
        archive::LoggerKey logger;
        std::optional<data::DeviceTime> before;
        if (Outcome known = LoggerOf(c, record, logger); !known.ok())
            return Fail(err, known);
        if (record.Keeps())
            if (Outcome read = ClockBefore(c, before); !read.ok())
                return Fail(err, read);
        jobs::ClockSetJob set(c.session->Device(), clock);
        c.session->Run(set);
        record.Record(jobs::ClockSetEntry(logger, set.Result(), before, clock,
                                          c.session->LinkError(set.Result().line)));
        if (Outcome done = ToolDone(*c.session, set.Result(), protocol::Operation::SetTime);
            !done.ok())
            return Fail(err, done);
        const std::string text = ClockText(2000 + clock.year, clock.month, clock.day, clock.hour,
                                           clock.minute, clock.second);
        if (options.json)
            out << "{\"set\": " << JsonString(text) << "}\n";
        else
            out << DoneMessage(protocol::Operation::SetTime) << ": " << text << "\n";
        return kExitOk;
    }
    jobs::ClockReadJob read(c.session->Device());
    c.session->Run(read);
    if (read.Result().end == jobs::ClockReadResult::End::LineEnded)
        return Fail(err, Outcome::Failed(kExitLink, c.session->LinkError(read.Result().line)));
    const data::ClockReply& reply = read.Result().reply;
    if (reply.kind == data::ClockReplyKind::MonthZero)
        return Fail(err,
                    Outcome::Failed(kExitRefused, "the logger has no time (" +
                                                      std::string(data::kTimeErrorMessage) + ")"));
    if (reply.kind == data::ClockReplyKind::Invalid)
        return Fail(err, Outcome::Failed(kExitRefused, data::InvalidClockMessage(reply)));
    const data::DeviceTime& t = reply.time;
    const std::string text =
        ClockText(t.date.year, t.date.month, t.date.day, t.time.hour, t.time.minute, t.time.second);
    if (options.json)
        out << "{\"clock\": " << JsonString(text) << "}\n";
    else
        out << text << "\n";
    return kExitOk;
}

int Current(Connection& c, const CliOptions& options, std::ostream& out, std::ostream& err) {
    jobs::CurrentDataJob read(c.session->Device());
    c.session->Run(read);
    const jobs::CurrentDataResult& result = read.Result();
    if (result.end == jobs::CurrentDataResult::End::LineEnded)
        return Fail(err, Outcome::Failed(kExitLink, c.session->LinkError(result.line)));
    if (result.undefinedItem)
        err << kProgram << data::kUndefinedDataMessage << "\n";
    // Scripts read one decimal separator whatever the locale.
    const data::CurrentDataRow row = data::CurrentDataTexts(result.reading, ".");
    if (options.json) {
        out << "{";
        for (std::size_t k = 0; k < row.size(); ++k)
            out << (k == 0 ? "" : ", ") << JsonString(data::kCurrentDataHeadings[k + 1]) << ": "
                << (row[k] ? JsonString(*row[k]) : std::string("null"));
        out << "}\n";
    } else {
        // A value the reply did not carry stays empty, as the grid's cell does.
        for (std::size_t k = 0; k < row.size(); ++k)
            out << data::kCurrentDataHeadings[k + 1] << "\t" << row[k].value_or("") << "\n";
    }
    return kExitOk;
}

// Connects and logs in, then runs the command on the logger.
template <typename Run>
int OnLogger(const CommandCall& call, Run run) {
    Connection c;
    if (Outcome connected = Connect(call.options, call.environment, c); !connected.ok())
        return Fail(call.err, connected);
    return run(c);
}

}  // namespace

int PortsCommand(const CommandCall& call) {
    return Ports(call.environment, call.out, call.err);
}

int InfoCommand(const CommandCall& call) {
    return OnLogger(call, [&](Connection& c) { return Info(c, call.options, call.out); });
}

int ReadCommand(const CommandCall& call) {
    CommandRecord record(ChangesFor(call.options, call.environment), call.err);
    return OnLogger(call, [&](Connection& c) { return Read(c, call.options, record, call.err); });
}

int WriteCommand(const CommandCall& call) {
    profiles::IniFile profile;
    if (Outcome read = ReadCheckedProfile(call.options.profile, profile, call.err); !read.ok())
        return Fail(call.err, read);
    CommandRecord record(ChangesFor(call.options, call.environment), call.err);
    return OnLogger(call, [&](Connection& c) {
        return Write(c, call.options, call.environment, profile, record, call.out, call.err);
    });
}

int DiffCommand(const CommandCall& call) {
    profiles::IniFile profile;
    if (Outcome read = ReadCheckedProfile(call.options.profile, profile, call.err); !read.ok())
        return Fail(call.err, read);
    CommandRecord record(ChangesFor(call.options, call.environment), call.err);
    return OnLogger(call, [&](Connection& c) {
        return Diff(c, call.options, profile, record, call.out, call.err);
    });
}

int HistoryCommand(const CommandCall& call) {
    const CliOptions& options = call.options;
    const CliEnvironment& environment = call.environment;
    std::ostream& out = call.out;
    std::ostream& err = call.err;
    // An export folder that cannot be made or written stops the command before the logger
    // is touched.
    std::filesystem::path outFolder;
    if (Outcome ready = PrepareOutFolder(options.outDir, outFolder); !ready.ok())
        return Fail(err, ready);
    CommandRecord record(ChangesFor(options, environment), err);
    return OnLogger(call, [&](Connection& c) {
        // Read before the transfer, so that the manifest names the logger and what arrived
        // before a lost line can still be archived under it; not for a range the query
        // refuses without asking the logger.
        const data::CalendarDate& from = *options.from;
        const data::CalendarDate& to = *options.to;
        std::string deviceId;
        if (data::RangeMonths(data::MakeQueryRange(from.year, from.month, from.day, to.year,
                                                   to.month, to.day)) < data::kTooManyMonths)
            if (Outcome read = c.session->ReadDeviceId(deviceId); !read.ok())
                return Fail(err, read);
        // Records that reached the export are archived even when the transfer was cut short
        // or the export could not be written (the status still says so).
        Outcome kept;
        std::function<void(jobs::TransferJob&)> keep;
#ifdef LGCSET_ARCHIVE
        if (!options.noArchive && (!options.archive.empty() || environment.defaultArchive))
            keep = [&](jobs::TransferJob& job) {
                kept = ArchiveTransfer(job, deviceId, c.settings, options, environment, out);
            };
#endif
        // The transfer and its export are recorded once the archive has what it keeps.
        const auto recordTransfer = [&](const jobs::TransferResult& transfer) {
            const jobs::DownloadOrigin origin{
                {deviceId, c.settings.Text(settings::Setting::Model)},
                c.settings.Text(settings::Setting::Firmware),
                DateText(from),
                DateText(to),
                options.demo ? "simulated " + options.demoModel : options.port};
            record.Record(jobs::HistoryDownloadedEntry(origin, transfer, c.session->LinkError()));
            record.Record(jobs::ExportWrittenEntry(origin, transfer));
        };
        const Outcome done =
            RunHistory(*c.session, options, outFolder, out, err, environment.errorIsTerminal,
                       environment.exportClock, keep,
                       CliExportOrigin(c.settings, deviceId, *options.from, *options.to),
                       recordTransfer);
        if (!kept.ok()) {
            const int status = Fail(err, kept);
            return done.ok() ? status : Fail(err, done);
        }
        return done.ok() ? kExitOk : Fail(err, done);
    });
}

int CollectCommand(const CommandCall& call) {
#ifdef LGCSET_ARCHIVE
    return RunCollect(call.options, call.environment, call.out, call.err);
#else
    return Fail(call.err, Outcome::Failed(kExitUsage, "this build keeps no archive"));
#endif
}

int ConfigureCommand(const CommandCall& call) {
    return RunConfigure(call.options, call.environment, call.out, call.err);
}

int ArchiveCommand(const CommandCall& call) {
#ifdef LGCSET_ARCHIVE
    return RunArchive(call.options, call.environment, call.out, call.err);
#else
    return Fail(call.err, Outcome::Failed(kExitUsage, "this build keeps no archive"));
#endif
}

int AuditCommand(const CommandCall& call) {
#ifdef LGCSET_ARCHIVE
    return RunAudit(call.options, call.environment, call.out, call.err);
#else
    return Fail(call.err, Outcome::Failed(kExitUsage, "this build keeps no archive"));
#endif
}

int SettingsHistoryCommand(const CommandCall& call) {
#ifdef LGCSET_ARCHIVE
    return RunSettingsHistory(call.options, call.environment, call.out, call.err);
#else
    return Fail(call.err, Outcome::Failed(kExitUsage, "this build keeps no archive"));
#endif
}

int ClockCommand(const CommandCall& call) {
    CommandRecord record(ChangesFor(call.options, call.environment), call.err);
    return OnLogger(
        call, [&](Connection& c) { return Clock(c, call.options, record, call.out, call.err); });
}

int CurrentCommand(const CommandCall& call) {
    return OnLogger(call,
                    [&](Connection& c) { return Current(c, call.options, call.out, call.err); });
}

int RelayCommand(const CommandCall& call) {
    CommandRecord record(ChangesFor(call.options, call.environment), call.err);
    return OnLogger(
        call, [&](Connection& c) { return Relay(c, call.options, record, call.out, call.err); });
}

int FactoryResetCommand(const CommandCall& call) {
    CommandRecord record(ChangesFor(call.options, call.environment), call.err);
    return OnLogger(call,
                    [&](Connection& c) { return FactoryReset(c, record, call.out, call.err); });
}

int ReportCommand(const CommandCall& call) {
    const CliOptions& options = call.options;
    profiles::IniFile profile;
    if (!options.profile.empty())
        if (Outcome read = ReadCheckedProfile(options.profile, profile, call.err); !read.ok())
            return Fail(call.err, read);
    const auto setups = ReportSetups(options.profile.empty() ? nullptr : &profile,
                                     settings::LayoutForModel(options.model));
    const Outcome done = RunReport(options.csvFile, setups, options.json, call.out, call.err);
    return done.ok() ? kExitOk : Fail(call.err, done);
}

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           const CliEnvironment& given) {
    const CliOptions options = ParseCommandLine(arguments);
    if (!options.Understood()) {
        // One line, as every failure: scripts keep the last line of standard error.
        err << kProgram << data::PrintableText(options.error) << "; see lgcset-cli --help\n";
        return kExitUsage;
    }
    CliEnvironment environment = given;
#ifdef LGCSET_ARCHIVE
    // Demo mode never touches the user's archive (nor the configured one): unless --archive
    // names one, it keeps an archive of its own, thrown away at the end of the run.
    std::optional<archive::ThrowawayArchive> demoArchive;
    if (options.demo && options.archive.empty()) {
        demoArchive.emplace();
        environment.defaultArchive = demoArchive->File();
        environment.throwawayArchive = true;
    }
#endif
    if (options.version) {
        out << VersionText();
        return kExitOk;
    }
    const CommandCall call{options, environment, out, err};
    if (options.help)
        return HelpCommand(call);
    // ParseCommandLine lets through only the commands of the table.
    const CommandEntry* command = FindCommand(options.command);
    if (command == nullptr)
        return Fail(err,
                    Outcome::Failed(kExitUsage, "unknown command \"" + options.command + "\""));
    return command->handler(call);
}

}  // namespace lgcset::cli
