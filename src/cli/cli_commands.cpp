#include "cli/cli_commands.h"

#include <ctime>
#include <optional>

#ifdef LGCSET_ARCHIVE
#include "archive/throwaway_archive.h"
#include "cli/cli_archive.h"
#include "cli/cli_collect.h"
#endif
#include "cli/cli_command_table.h"
#include "cli/cli_history.h"
#include "cli/cli_options.h"
#include "cli/cli_report.h"
#include "cli/headless_session.h"
#include "data/current_data.h"
#include "data/device_clock.h"
#include "data/history_query.h"
#include "data/printable_text.h"
#include "link/port_details.h"
#include "link/port_list.h"
#include "loggersim/options.h"
#include "profiles/ini_storage.h"
#include "profiles/profile.h"
#include "profiles/profile_check.h"
#include "protocol/commands.h"
#include "protocol/operation_outcome.h"
#include "settings/channel_layout.h"
#include "settings/held_settings.h"

namespace lgcset::cli {

namespace {

constexpr const char* kProgram = "lgcset-cli: ";

// What the window says when the operation succeeds; the command line says it too.
std::string DoneMessage(protocol::Operation operation) {
    return protocol::OutcomeMessage({operation, protocol::Result::Done});
}

// The settings that the pages give, decoded as a read does into a model adapted to the
// logger that gave the login reply.
void DecodePages(const std::map<std::uint32_t, Page>& pages,
                 std::span<const std::uint8_t> loginReply, settings::SettingsModel& model) {
    settings::CodeTables codes;
    ApplyIdentity(model, loginReply, codes);
    settings::ParameterImage image;
    for (const std::uint32_t address : settings::kSettingsPages) {
        const auto page = pages.find(address);
        if (page != pages.end())
            image.Store(address, page->second);
        settings::DecodePage(address, model, image, codes);
    }
}

std::string Hex(std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {'0', 'x', kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

// "caption: logger VALUE, profile VALUE" lines: each stored setting that the logger holds
// otherwise than typed, or, where every setting is held, each byte of the pages that differs
// from what was written (a byte no setting owns).
std::vector<std::string> WriteDifferences(const std::map<std::uint32_t, Page>& logger,
                                          const std::map<std::uint32_t, Page>& written,
                                          std::span<const std::uint8_t> loginReply,
                                          const settings::SettingsView& typed) {
    std::vector<std::string> lines;
    settings::SettingsModel loggerModel;
    DecodePages(logger, loginReply, loggerModel);
    for (const auto& d : settings::DiffHeldSettings(loggerModel, typed))
        lines.push_back(d.caption + ": logger \"" + d.left + "\", profile \"" + d.right + "\"");
    if (!lines.empty())
        return lines;
    for (const auto& [address, page] : written) {
        const auto found = logger.find(address);
        for (std::size_t i = 0; i < page.size(); ++i) {
            const std::uint8_t held = found == logger.end() ? 0xFF : found->second[i];
            if (held != page[i])
                lines.push_back("page " + std::to_string(address) + " byte " + std::to_string(i) +
                                ": logger " + Hex(held) + ", written " + Hex(page[i]));
        }
    }
    return lines;
}

// The profile file named on the command line, read before the logger is touched.
Outcome ReadProfile(const std::string& path, profiles::IniFile& file) {
    std::string error;
    switch (profiles::ReadIniFile(path, file, error)) {
        case profiles::ReadOutcome::Read:
            return {};
        case profiles::ReadOutcome::Missing:
            error = profiles::kNoSuchFile;
            break;
        case profiles::ReadOutcome::Failed:
            break;
    }
    return Outcome::Failed(kExitUsage, profiles::UnreadableProfileMessage(path, error));
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

struct Connection {
    settings::SettingsModel settings;
    std::optional<HeadlessSession> session;
};

Outcome Connect(const CliOptions& options, const CliEnvironment& environment, Connection& c) {
    c.settings.SetText("edt_setpwd", options.password);
    c.session.emplace(c.settings, environment.resendIntervalMs);
    Outcome opened;
    if (options.demo) {
        sim::Options logger;
        logger.model = options.demoModel;
        opened = c.session->OpenSimulated(logger, "simulated " + options.demoModel);
    } else {
        opened = c.session->Open(options.port);
    }
    if (!opened.ok())
        return opened;
    return c.session->Login();
}

int Info(Connection& c, const CliOptions& options, std::ostream& out) {
    const std::string model = c.settings.Text("Edit1");
    const std::string firmware = c.settings.Text("edt43");
    if (options.json)
        out << "{\"model\": " << JsonString(model) << ", \"firmware\": " << JsonString(firmware)
            << "}\n";
    else
        out << "model " << model << "\nfirmware " << firmware << "\n";
    return kExitOk;
}

int Read(Connection& c, const CliOptions& options, std::ostream& err) {
    if (Outcome read = c.session->ReadSettings(); !read.ok())
        return Fail(err, read);
    std::string error;
    if (!profiles::SaveProfileFile(c.settings, options.profile, error))
        return Fail(err, Outcome::Failed(kExitUsage, "cannot write the profile " + options.profile +
                                                         ": " + error));
    return kExitOk;
}

// A profile that holds none of the settings is refused before the logger is touched; a
// half profile loads (the missing keys take their defaults) and is named on stderr, so that
// a script sees it. A value that does not fit its setting is refused as the logger's own
// limits are: loaded, it would go out as another value.
Outcome CheckProfileKeys(const profiles::IniFile& profile, const std::string& path,
                         std::ostream& err) {
    const int missing = profiles::MissingProfileKeys(profile);
    if (missing == profiles::kProfileKeyCount)
        return Outcome::Failed(kExitUsage, profiles::NoSettingsMessage(path));
    if (std::string unfit = profiles::UnfitProfileValue(profile); !unfit.empty())
        return Outcome::Failed(kExitRefused, std::move(unfit));
    if (missing > 0)
        err << kProgram << data::PrintableText(profiles::MissingKeysMessage(path, missing)) << "\n";
    return {};
}

int Write(Connection& c, const CliOptions& options, const profiles::IniFile& profile,
          std::ostream& out, std::ostream& err) {
    profiles::LoadProfile(profile, c.settings);
    const settings::SettingsModel typed = c.settings;
    if (Outcome saved = c.session->SaveSettings(); !saved.ok())
        return Fail(err, saved);
    if (options.noVerify) {
        out << "written\n";
        return kExitOk;
    }
    const std::map<std::uint32_t, Page> written = c.session->WrittenPages();
    if (Outcome read = c.session->ReadSettings(); !read.ok())
        return Fail(err, read);
    const auto lines =
        WriteDifferences(c.session->ReadPages(), written, c.session->LoginReply(), typed);
    if (lines.empty()) {
        out << "verified\n";
        return kExitOk;
    }
    for (const std::string& line : lines) out << line << "\n";
    err << kProgram << "the logger does not hold what was written (" << lines.size()
        << " differences)\n";
    return kExitRefused;
}

int Diff(Connection& c, const CliOptions& options, const profiles::IniFile& profile,
         std::ostream& out, std::ostream& err) {
    // The profile loaded as "Load Profile" does and checked as "Save Settings" does, then
    // compared with what the logger holds as a write would be verified.
    settings::SettingsModel loaded;
    settings::CodeTables codes;
    ApplyIdentity(loaded, c.session->LoginReply(), codes);
    profiles::LoadProfile(profile, loaded);
    const auto invalid = settings::ValidateForSave(loaded);
    if (!invalid.empty())
        return Fail(err, Outcome::Failed(kExitRefused, settings::InvalidFieldsMessage(invalid)));

    if (Outcome read = c.session->ReadSettings(); !read.ok())
        return Fail(err, read);
    settings::SettingsModel logger;
    DecodePages(c.session->ReadPages(), c.session->LoginReply(), logger);
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

int Relay(Connection& c, const CliOptions& options, std::ostream& out, std::ostream& err) {
    protocol::RequestParams& params = c.session->Params();
    switch (options.relay) {
        case RelayMode::NcNo:
            params.pendingRelayAction = protocol::RelayAction::NcNo;
            params.relay.workingTime = options.relaySeconds;
            break;
        case RelayMode::Pulse:
            params.pendingRelayAction = protocol::RelayAction::Pulse;
            params.relay.onTime = options.onSeconds;
            params.relay.offTime = options.offSeconds;
            params.relay.repeatCount = options.repeat;
            break;
        case RelayMode::Stop:
        case RelayMode::None:
            params.pendingRelayAction = protocol::RelayAction::Stop;
            break;
    }
    const Outcome done =
        c.session->Ask(protocol::kRelayControlRequest, protocol::Command::RelayControl, nullptr,
                       protocol::Operation::RelayControl);
    if (!done.ok())
        return Fail(err, done);
    out << DoneMessage(protocol::Operation::RelayControl) << "\n";
    return kExitOk;
}

int FactoryReset(Connection& c, std::ostream& out, std::ostream& err) {
    if (Outcome reset = c.session->FactoryReset(); !reset.ok())
        return Fail(err, reset);
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

int Clock(Connection& c, const CliOptions& options, std::ostream& out, std::ostream& err) {
    if (options.setClock) {
        protocol::ClockSetting& clock = c.session->Params().clock;
        if (options.setClockNow) {
            data::StoreClockFromNow(clock);
        } else {
            data::StoreClockFromPickers(options.clockValue.date, options.clockValue.time, clock);
        }
        const Outcome set = c.session->Ask(protocol::kSetTimeRequest, protocol::Command::SetTime,
                                           nullptr, protocol::Operation::SetTime);
        if (!set.ok())
            return Fail(err, set);
        const std::string text = ClockText(2000 + clock.year, clock.month, clock.day, clock.hour,
                                           clock.minute, clock.second);
        if (options.json)
            out << "{\"set\": " << JsonString(text) << "}\n";
        else
            out << DoneMessage(protocol::Operation::SetTime) << ": " << text << "\n";
        return kExitOk;
    }
    protocol::ReceivedFrame frame;
    if (Outcome read =
            c.session->Ask(protocol::kReadTimeRequest, protocol::Command::ReadTime, &frame);
        !read.ok())
        return Fail(err, read);
    const data::ClockReply reply = data::DecodeClockReply(frame.payload);
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
    protocol::ReceivedFrame frame;
    if (Outcome read =
            c.session->Ask(protocol::kCurrentDataRequest, protocol::Command::CurrentData, &frame);
        !read.ok())
        return Fail(err, read);
    data::CurrentReading reading;
    if (data::ParseCurrentData(frame.payload, frame.payloadCount, reading) ==
        data::CurrentDataEnd::UndefinedItem)
        err << kProgram << data::kUndefinedDataMessage << "\n";
    // Scripts read one decimal separator whatever the locale.
    const data::CurrentDataRow row = data::CurrentDataTexts(reading, ".");
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

// The profile named on the command line, read and checked before the logger is touched.
Outcome ReadCheckedProfile(const std::string& path, profiles::IniFile& profile, std::ostream& err) {
    if (Outcome read = ReadProfile(path, profile); !read.ok())
        return read;
    return CheckProfileKeys(profile, path, err);
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
    return OnLogger(call, [&](Connection& c) { return Read(c, call.options, call.err); });
}

int WriteCommand(const CommandCall& call) {
    profiles::IniFile profile;
    if (Outcome read = ReadCheckedProfile(call.options.profile, profile, call.err); !read.ok())
        return Fail(call.err, read);
    return OnLogger(
        call, [&](Connection& c) { return Write(c, call.options, profile, call.out, call.err); });
}

int DiffCommand(const CommandCall& call) {
    profiles::IniFile profile;
    if (Outcome read = ReadCheckedProfile(call.options.profile, profile, call.err); !read.ok())
        return Fail(call.err, read);
    return OnLogger(
        call, [&](Connection& c) { return Diff(c, call.options, profile, call.out, call.err); });
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
        std::optional<FetchedHistory> fetched;
        const Outcome done =
            RunHistory(*c.session, options, outFolder, out, err, environment.errorIsTerminal,
                       environment.exportClock, &fetched,
                       CliExportOrigin(c.settings, deviceId, *options.from, *options.to));
#ifdef LGCSET_ARCHIVE
        // Records that reached the export are archived even when the transfer was cut short
        // or the export could not be written (the status still says so).
        const bool archiving =
            !options.noArchive && (!options.archive.empty() || environment.defaultArchive);
        if (fetched && archiving)
            if (Outcome kept = ArchiveTransfer(deviceId, c.settings, options, environment,
                                               fetched->records, fetched->exported, out);
                !kept.ok()) {
                const int status = Fail(err, kept);
                return done.ok() ? status : Fail(err, done);
            }
#endif
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

int ArchiveCommand(const CommandCall& call) {
#ifdef LGCSET_ARCHIVE
    return RunArchive(call.options, call.environment, call.out, call.err);
#else
    return Fail(call.err, Outcome::Failed(kExitUsage, "this build keeps no archive"));
#endif
}

int ClockCommand(const CommandCall& call) {
    return OnLogger(call,
                    [&](Connection& c) { return Clock(c, call.options, call.out, call.err); });
}

int CurrentCommand(const CommandCall& call) {
    return OnLogger(call,
                    [&](Connection& c) { return Current(c, call.options, call.out, call.err); });
}

int RelayCommand(const CommandCall& call) {
    return OnLogger(call,
                    [&](Connection& c) { return Relay(c, call.options, call.out, call.err); });
}

int FactoryResetCommand(const CommandCall& call) {
    return OnLogger(call, [&](Connection& c) { return FactoryReset(c, call.out, call.err); });
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
    if (!options.error.empty()) {
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
    const CommandSpec* command = FindCommand(options.command);
    if (command == nullptr)
        return Fail(err,
                    Outcome::Failed(kExitUsage, "unknown command \"" + options.command + "\""));
    return command->handler(call);
}

}  // namespace lgcset::cli
