#include "cli/cli_settings_history.h"

#include <memory>

#include "archive/archive_store.h"
#include "cli/cli_archive.h"
#include "cli/cli_change_log.h"
#include "cli/cli_reviewed_write.h"
#include "cli/headless_session.h"
#include "jobs/settings_history.h"
#include "jobs/settings_review.h"

namespace lgcset::cli {

namespace {

using archive::SettingsSnapshot;

// "[" and "]" around rows written one a line, as the other commands' JSON lists are.
class JsonList {
  public:
    explicit JsonList(std::ostream& out) : out_(out) { out_ << "["; }
    std::ostream& Next() { return out_ << (rows_++ == 0 ? "\n  " : ",\n  "); }
    void End() { out_ << (rows_ == 0 ? "]" : "\n]"); }

  private:
    std::ostream& out_;
    int rows_ = 0;
};

int List(archive::ArchiveStore& store, const CliOptions& options, std::ostream& out,
         std::ostream& err) {
    const archive::Rows<SettingsSnapshot> read = store.Snapshots(options.deviceId);
    if (!read.status.ok())
        return Fail(err, Outcome::Failed(kExitUsage, read.status.message));
    std::unique_ptr<JsonList> json;
    if (options.json)
        json = std::make_unique<JsonList>(out);
    for (const SettingsSnapshot& s : read.rows) {
        const std::string why(archive::SnapshotReasonText(s.reason));
        if (json)
            json->Next() << "{\"id\": " << s.id << ", \"at\": " << JsonString(jobs::UtcText(s.at))
                         << ", \"device_id\": " << JsonString(s.deviceId)
                         << ", \"model\": " << JsonString(s.model)
                         << ", \"firmware\": " << JsonString(s.firmware)
                         << ", \"why\": " << JsonString(why) << "}";
        else
            out << s.id << "\t" << jobs::UtcText(s.at) << "\t" << s.deviceId << "\t" << s.model
                << "\t" << s.firmware << "\t" << why << "\n";
    }
    if (json) {
        json->End();
        out << "\n";
    }
    return kExitOk;
}

// The snapshot of that number, or why there is none.
Outcome Find(archive::ArchiveStore& store, std::int64_t id, SettingsSnapshot& snapshot) {
    archive::Rows<SettingsSnapshot> read = store.Snapshot(id);
    if (!read.status.ok())
        return Outcome::Failed(kExitUsage, read.status.message);
    if (read.rows.empty())
        return Outcome::Failed(kExitUsage,
                               "the archive holds no settings snapshot " + std::to_string(id));
    snapshot = std::move(read.rows.front());
    return {};
}

int Show(const SettingsSnapshot& snapshot, bool json, std::ostream& out) {
    const std::vector<jobs::SnapshotSetting> settings = jobs::SnapshotSettings(snapshot);
    if (!json) {
        for (const jobs::SnapshotSetting& s : settings)
            out << s.group << "\t" << s.caption << "\t" << s.value << "\t" << s.unit << "\n";
        return kExitOk;
    }
    JsonList list(out);
    for (const jobs::SnapshotSetting& s : settings)
        list.Next() << "{\"group\": " << JsonString(s.group)
                    << ", \"caption\": " << JsonString(s.caption)
                    << ", \"value\": " << JsonString(s.value)
                    << ", \"unit\": " << JsonString(s.unit) << "}";
    list.End();
    out << "\n";
    return kExitOk;
}

int Diff(const SettingsSnapshot& first, const SettingsSnapshot& second, bool json,
         std::ostream& out) {
    const jobs::SnapshotDifference difference = jobs::DiffSnapshots(first, second);
    if (json) {
        out << "{\"settings\": ";
        JsonList settings(out);
        for (const auto& d : difference.settings)
            settings.Next() << "{\"setting\": " << JsonString(d.widget)
                            << ", \"caption\": " << JsonString(d.caption)
                            << ", \"first\": " << JsonString(d.left)
                            << ", \"second\": " << JsonString(d.right) << "}";
        settings.End();
        out << ",\n\"bytes\": ";
        JsonList bytes(out);
        for (const auto& b : difference.bytes)
            bytes.Next() << "{\"page\": " << b.page << ", \"offset\": " << b.offset
                         << ", \"first\": " << int{b.first} << ", \"second\": " << int{b.second}
                         << "}";
        bytes.End();
        out << "}\n";
    } else {
        for (const auto& d : difference.settings)
            out << d.caption << "\t" << d.left << "\t" << d.right << "\n";
        for (const auto& b : difference.bytes)
            out << "page " << b.page << " byte " << b.offset << "\t" << jobs::HexByte(b.first)
                << "\t" << jobs::HexByte(b.second) << "\n";
    }
    return difference.None() ? kExitOk : kExitRefused;
}

// The snapshot written back as `write` writes a profile, over the snapshot's own pages so that
// the bytes no setting owns come back too; recorded in the archive it was read from.
int Restore(const SettingsSnapshot& snapshot, const CliOptions& options,
            const CliEnvironment& environment, std::ostream& out, std::ostream& err) {
    CommandRecord record(ChangesFor(options, environment), err);
    Connection c;
    if (Outcome connected = Connect(options, environment, c); !connected.ok())
        return Fail(err, connected);
    if (const auto refusal =
            jobs::RestoreRefusal(snapshot, c.settings.Text(settings::Setting::Model)))
        return Fail(err, Outcome::Failed(kExitRefused, *refusal));
    settings::SettingsModel typed;
    jobs::DecodeSnapshot(snapshot, typed);
    return ReviewedWrite(c, typed, jobs::SnapshotPages(snapshot), record, options, environment, out,
                         err);
}

}  // namespace

int RunSettingsHistory(const CliOptions& options, const CliEnvironment& environment,
                       std::ostream& out, std::ostream& err) {
    std::unique_ptr<archive::ArchiveStore> store;
    if (Outcome opened = OpenArchive(options, environment, store, err, ArchiveUse::Read);
        !opened.ok())
        return Fail(err, opened);
    if (options.archiveAction == "list")
        return List(*store, options, out, err);
    std::vector<SettingsSnapshot> named(options.snapshots.size());
    for (std::size_t i = 0; i < named.size(); ++i)
        if (Outcome found = Find(*store, options.snapshots[i], named[i]); !found.ok())
            return Fail(err, found);
    if (options.archiveAction == "show")
        return Show(named.front(), options.json, out);
    if (options.archiveAction == "diff")
        return Diff(named[0], named[1], options.json, out);
    // Opened again to record the restore: upgraded then if it has to be, never made.
    store.reset();
    return Restore(named.front(), options, environment, out, err);
}

}  // namespace lgcset::cli
