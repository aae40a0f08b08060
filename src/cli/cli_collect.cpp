#include "cli/cli_collect.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <tuple>

#include "archive/archive_store.h"
#include "cli/cli_archive.h"
#include "cli/cli_history.h"
#include "data/history_query.h"
#include "data/printable_text.h"
#include "export/history_export.h"
#include "jobs/audit_entries.h"
#include "jobs/change_log.h"
#include "jobs/transfer_job.h"

namespace lgcset::cli {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kQueryMonths = data::kTooManyMonths - 1;

data::CalendarDate MonthsBack(const data::CalendarDate& day, int months) {
    int month = day.year * 12 + (day.month - 1) - months;
    data::CalendarDate back{month / 12, month % 12 + 1, day.day};
    back.day = std::min(back.day, data::DaysInMonth(back.year, back.month));
    return back;
}

// What every port's worker shares: the archive (one writer at a time) and the lines on view.
// Where a port's session stands, for its line on the terminal.
enum class Stage { Waiting, LoggingIn, ReadingId, Fetching, Archiving, Done, Failed };

const char* StageText(Stage stage) {
    switch (stage) {
        case Stage::Waiting: return "waiting";
        case Stage::LoggingIn: return "logging in";
        case Stage::ReadingId: return "reading the device ID";
        case Stage::Fetching: return "fetching";
        case Stage::Archiving: return "archiving";
        case Stage::Done: return "done";
        case Stage::Failed: return "failed";
    }
    return "";
}

struct Shared {
    std::mutex mutex;
    archive::ArchiveStore* store = nullptr;
    jobs::ChangeLog* changes = nullptr;  // over `store`
    std::vector<PortCollection> ports;
    struct Progress {
        std::uint32_t answered = 0, total = 0;
        SteadyClock::time_point started{};
        Stage stage = Stage::Waiting;
    };
    std::vector<Progress> progress;
};

// The transfer's host for one port: its progress on the port's line; a transfer cut short
// is kept, so that what arrived is archived.
class CollectHost final : public jobs::TransferHost {
  public:
    CollectHost(HeadlessSession& session, Shared& shared, std::size_t index)
        : session_(session), shared_(shared), index_(index) {}

    bool ExportWhatArrived(const data::HistoryOutcome&) override { return true; }
    std::string LineEndText(jobs::LineEnd) override { return session_.LinkError(); }
    void ShowProgress(std::uint16_t answered, std::uint16_t total) override {
        std::lock_guard lock(shared_.mutex);
        Shared::Progress& p = shared_.progress[index_];
        if (answered == 0)
            p.started = SteadyClock::now();
        p.answered = answered;
        p.total = total;
        p.stage = Stage::Fetching;
    }

  private:
    HeadlessSession& session_;
    Shared& shared_;
    std::size_t index_;
};

void SetStage(Shared& shared, std::size_t index, Stage stage) {
    std::lock_guard lock(shared.mutex);
    shared.progress[index].stage = stage;
}

bool Failed(const PortCollection& port) {
    return port.status != kExitOk;
}

// The worst status decides; the first failure is the one said.
void Fail(PortCollection& port, const Outcome& outcome) {
    if (!Failed(port))
        port.error = outcome.error;
    if (!Failed(port) || outcome.status > port.status)
        port.status = outcome.status;
}

struct Plan {
    const CliOptions& options;
    const CliEnvironment& environment;
    std::vector<std::string> passwords;
    data::CalendarDate today;
};

// The range this port's logger is asked for. With --since-last, an archive that cannot say
// what it holds is a failure: guessing would fetch six months or miss days.
Outcome RangeFor(const Plan& plan, Shared& shared, const archive::LoggerKey& logger,
                 DayRange& range) {
    if (!plan.options.sinceLast) {
        range = {*plan.options.from, *plan.options.to};
        return {};
    }
    std::optional<data::CalendarDate> newest;
    std::lock_guard lock(shared.mutex);
    const archive::Rows<archive::LoggerSummary> loggers = shared.store->Loggers();
    if (!loggers.status.ok())
        return Outcome::Failed(kExitUsage, "no range for --since-last: " + loggers.status.message);
    for (const archive::LoggerSummary& known : loggers.rows)
        if (known.logger.deviceId == logger.deviceId && known.logger.model == logger.model &&
            known.readings > 0)
            newest = data::CivilFromDays(
                (known.lastReading >= 0 ? known.lastReading : known.lastReading - 86399) / 86400);
    range = SinceLastRange(newest, plan.today);
    return {};
}

// The port's download and its export, each a row of the archive's audit trail; a row that
// could not be kept is said in the port's note.
void RecordTransfer(Shared& shared, const jobs::DownloadOrigin& origin,
                    const jobs::TransferResult& transfer, const std::string& lineText,
                    PortCollection& port) {
    const std::optional<archive::AuditEntry> rows[] = {
        jobs::HistoryDownloadedEntry(origin, transfer, lineText),
        jobs::ExportWrittenEntry(origin, transfer)};
    for (const std::optional<archive::AuditEntry>& row : rows) {
        if (!row)
            continue;
        std::lock_guard lock(shared.mutex);
        if (const archive::ArchiveStatus kept = shared.changes->Record(*row); !kept.ok()) {
            port.note += (port.note.empty() ? "" : "; ") + jobs::NotRecordedLine(kept);
            return;
        }
    }
}

void CollectOne(const Plan& plan, Shared& shared, std::size_t index) {
    PortCollection port;
    {
        std::lock_guard lock(shared.mutex);
        port = shared.ports[index];
    }
    const SteadyClock::time_point started = SteadyClock::now();
    settings::SettingsModel settings;
    HeadlessSession session(settings, plan.environment.resendIntervalMs);
    auto done = [&] {
        port.seconds = std::chrono::duration<double>(SteadyClock::now() - started).count();
        std::lock_guard lock(shared.mutex);
        shared.ports[index] = port;
        shared.progress[index].stage = Failed(port) ? Stage::Failed : Stage::Done;
    };

    SetStage(shared, index, Stage::LoggingIn);
    if (Outcome opened = session.Open(port.port); !opened.ok()) {
        Fail(port, opened);
        return done();
    }
    if (Outcome in = LogIn(session, settings, plan.passwords); !in.ok()) {
        Fail(port, in);
        return done();
    }
    port.model = settings.Text(settings::Setting::Model);
    SetStage(shared, index, Stage::ReadingId);
    if (Outcome read = session.ReadDeviceId(port.deviceId); !read.ok()) {
        Fail(port, read);
        return done();
    }
    {
        std::lock_guard lock(shared.mutex);
        shared.ports[index].deviceId = port.deviceId;
    }
    const archive::LoggerKey logger{port.deviceId, port.model};
    DayRange range;
    if (Outcome ranged = RangeFor(plan, shared, logger, range); !ranged.ok()) {
        Fail(port, ranged);
        return done();
    }
    if (range.clamped)
        port.note = "its newest archived reading is older than six months: asked from " +
                    DateText(range.from);
    port.from = DateText(range.from);
    port.to = DateText(range.to);

    std::optional<std::filesystem::path> folder;
    if (!plan.options.outDir.empty()) {
        std::filesystem::path made;
        const std::string dir =
            (std::filesystem::path(plan.options.outDir) / DeviceFolderName(port.deviceId)).string();
        if (Outcome ready = PrepareOutFolder(dir, made); !ready.ok()) {
            Fail(port, ready);
            return done();
        }
        folder = made;
    }

    // The transfer, as `history` runs it, with what arrived kept even when the line is lost
    // on the way.
    SetStage(shared, index, Stage::Fetching);
    CollectHost host(session, shared, index);
    jobs::TransferRequest request;
    request.range = data::MakeQueryRange(range.from.year, range.from.month, range.from.day,
                                         range.to.year, range.to.month, range.to.day);
    if (folder) {
        request.exportTo.emplace();
        request.exportTo->folders = {*folder};
        request.exportTo->origin = CliExportOrigin(settings, port.deviceId, range.from, range.to);
    }
    jobs::TransferJob job(session.Device(), host, std::move(request));
    session.Run(job);
    const jobs::TransferResult& transfer = job.Result();
    if (transfer.end == jobs::TransferResult::End::RangeRefused) {
        Fail(port, Outcome::Failed(kExitUsage,
                                   transfer.reports.empty()
                                       ? "the range was refused"
                                       : data::OutcomeMessage(transfer.reports.front())));
        return done();
    }
    const jobs::DownloadOrigin origin{logger, settings.Text(settings::Setting::Firmware), port.from,
                                      port.to, port.port};
    if (transfer.end == jobs::TransferResult::End::LineEnded)
        Fail(port, Outcome::Failed(kExitLink, session.LinkError() + ": " +
                                                  std::to_string(transfer.arrived) + " of " +
                                                  std::to_string(transfer.total) +
                                                  " records had arrived"));
    port.received = transfer.records.size();
    for (const data::HistoryOutcome& outcome : transfer.reports)
        if (outcome.result != data::HistoryResult::NoRecords)
            port.note += (port.note.empty() ? "" : "; ") + data::OutcomeMessage(outcome);
    if (transfer.exported == jobs::TransferResult::Export::Failed)
        Fail(port, Outcome::Failed(kExitUsage,
                                   "the export could not be written: " + transfer.files.error));

    if (!transfer.records.empty()) {
        SetStage(shared, index, Stage::Archiving);
        {
            std::lock_guard lock(shared.mutex);
            job.ArchiveInto(*shared.store, origin);
        }
        if (transfer.archived == jobs::TransferResult::Archive::Archived) {
            port.added = transfer.counts.added;
            port.alreadyThere = transfer.counts.alreadyThere;
            if (Failed(port))
                port.error += "; they were archived";
        } else {
            Fail(port, Outcome::Failed(kExitUsage, "not archived: " + transfer.notArchived));
        }
    }
    RecordTransfer(shared, origin, transfer, session.LinkError(), port);
    done();
}

std::string ProgressText(const PortCollection& port, const Shared::Progress& progress,
                         SteadyClock::time_point now) {
    std::string line = port.port;
    if (!port.deviceId.empty())
        line += "  " + port.deviceId;
    line += "  ";
    if (progress.stage == Stage::Fetching && progress.total > 0) {
        const double elapsed = std::chrono::duration<double>(now - progress.started).count();
        line += data::TransferProgressText(progress.answered, progress.total, elapsed);
    } else if (progress.stage == Stage::Failed) {
        line += "failed: " + port.error;
    } else if (progress.stage == Stage::Done) {
        line += std::to_string(port.added) + " new records";
    } else {
        line += StageText(progress.stage);
    }
    return line;
}

// The line of each port on the terminal.
std::vector<std::string> ProgressLines(Shared& shared) {
    std::vector<std::string> lines;
    std::lock_guard lock(shared.mutex);
    const SteadyClock::time_point now = SteadyClock::now();
    for (std::size_t i = 0; i < shared.ports.size(); ++i)
        lines.push_back(ProgressText(shared.ports[i], shared.progress[i], now));
    return lines;
}

// "ok", "ok; <note>" or what went wrong.
std::string ResultText(const PortCollection& port) {
    if (Failed(port))
        return port.error;
    return port.note.empty() ? "ok" : "ok; " + port.note;
}

std::string TwoDecimals(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", s);
    return text;
}

}  // namespace

DayRange SinceLastRange(std::optional<data::CalendarDate> newest, const data::CalendarDate& today) {
    const data::CalendarDate earliest = MonthsBack(today, kQueryMonths);
    if (!newest)
        return {earliest, today};
    if (*newest < earliest)
        return {earliest, today, true};
    if (today < *newest)
        return {today, today};  // the logger's clock runs ahead of the computer's
    return {*newest, today};
}

std::string DeviceFolderName(const std::string& deviceId) {
    if (deviceId.empty())
        return "unknown";
    std::string name;
    for (char c : deviceId) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        name += plain ? c : '_';
    }
    if (name == "." || name == "..")
        name = "_";
    return name;
}

std::string CollectTable(const std::vector<PortCollection>& ports) {
    std::vector<std::array<std::string, 5>> rows{{"port", "device ID", "new records", "seconds",
                                                  "result"}};
    for (const PortCollection& p : ports)
        rows.push_back({p.port, p.deviceId.empty() ? "-" : p.deviceId, std::to_string(p.added),
                        TwoDecimals(p.seconds), ResultText(p)});
    return TableText(rows);
}

std::string CollectJson(const std::vector<PortCollection>& ports) {
    std::string text = "[";
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const PortCollection& p = ports[i];
        text += i == 0 ? "\n" : ",\n";
        text += "  {\"port\": " + JsonString(p.port) + ", \"device_id\": " +
                JsonString(p.deviceId) + ", \"model\": " + JsonString(p.model) +
                ", \"from\": " + JsonString(p.from) + ", \"to\": " + JsonString(p.to) +
                ", \"received\": " + std::to_string(p.received) +
                ", \"new_records\": " + std::to_string(p.added) +
                ", \"already_there\": " + std::to_string(p.alreadyThere) +
                ", \"seconds\": " + TwoDecimals(p.seconds) + ", \"status\": " + std::to_string(p.status) +
                ", \"result\": " + JsonString(ResultText(p)) + "}";
    }
    return text + (ports.empty() ? "]\n" : "\n]\n");
}

int RunCollect(const CliOptions& options, const CliEnvironment& environment, std::ostream& out,
               std::ostream& err) {
    const std::vector<std::string> ports = CollectPorts(options);
    if (ports.empty()) {
        err << "lgcset-cli: collect: no port matches\n";
        return kExitUsage;
    }
    const PasswordList passwords = CollectPasswords(options);
    if (passwords.outcome == PasswordList::Outcome::Refused) {
        err << "lgcset-cli: " << data::PrintableText(passwords.error) << "\n";
        return kExitUsage;
    }
    if (!options.outDir.empty()) {
        std::filesystem::path folder;
        if (Outcome ready = PrepareOutFolder(options.outDir, folder); !ready.ok()) {
            err << "lgcset-cli: " << data::PrintableText(ready.error) << "\n";
            return kExitUsage;
        }
    }
    std::unique_ptr<archive::ArchiveStore> store;
    if (Outcome opened = OpenArchive(options, environment, store, err); !opened.ok()) {
        err << "lgcset-cli: " << data::PrintableText(opened.error) << "\n";
        return kExitUsage;
    }

    const exports::LocalTime now =
        environment.exportClock ? environment.exportClock() : exports::ReadLocalClock();
    const Plan plan{options, environment, passwords.passwords, {now.year, now.month, now.day}};
    Shared shared;
    shared.store = store.get();
    jobs::ChangeLog changes(*store, jobs::CurrentOperator());
    shared.changes = &changes;
    for (const std::string& port : ports) {
        PortCollection collection;
        collection.port = port;
        shared.ports.push_back(collection);
    }
    shared.progress.resize(ports.size());

    RunEachPort(
        ports.size(), options, environment, [&](std::size_t i) { CollectOne(plan, shared, i); },
        [&] { return ProgressLines(shared); }, err);

    int status = kExitOk;
    for (const PortCollection& port : shared.ports) status = std::max(status, port.status);
    out << (options.json ? CollectJson(shared.ports) : CollectTable(shared.ports));
    return status;
}

}  // namespace lgcset::cli
