#include "jobs/write_record.h"

#include "protocol/operation_outcome.h"
#include "settings/parameter_image.h"

namespace lgcset::jobs {

namespace {

using End = WriteSettingsResult::End;

// "the numbers page", "the alarm, GPRS and system pages" (of the four, from..to); "no page".
std::string PagesText(std::size_t from, std::size_t to) {
    if (from >= to)
        return "no page";
    std::string text = "the ";
    for (std::size_t i = from; i < to; ++i) {
        if (i > from)
            text += i + 1 == to ? " and " : ", ";
        text += PageName(settings::kSettingsPages[i]);
    }
    return text + (to - from == 1 ? " page" : " pages");
}

std::string LineText(LineEnd line) {
    switch (line) {
        case LineEnd::Timeout:
            return "the logger stopped answering";
        case LineEnd::Lost:
            return "the line was lost";
        case LineEnd::Closed:
            break;
    }
    return "the line was closed";
}

std::string StopText(const WriteSettingsResult& result) {
    return result.end == End::LineEnded
               ? LineText(result.line)
               : "the logger refused: " + protocol::OutcomeMessage(result.refusal);
}

std::string HalfWhy(const WriteSettingsResult& result) {
    return StopText(result) + "; written: " + PagesText(0, result.pagesHeld) +
           "; the logger now lacks " + LackingPages(result);
}

std::string DiffersWhy(const WriteSettingsResult& result) {
    std::string why = "read back, the logger holds otherwise:";
    for (const auto& d : result.settings)
        why += "\n" + d.caption + ": " + d.left + " (written " + d.right + ")";
    if (!result.bytes.empty())
        why += "\n" + std::to_string(result.bytes.size()) + " bytes no setting owns";
    return why;
}

}  // namespace

archive::SettingsSnapshot WriteSnapshot(const Pages& pages, const settings::SettingsView& logger,
                                        archive::SnapshotReason reason) {
    archive::SettingsSnapshot snapshot;
    snapshot.deviceId = logger.Text(settings::Setting::DeviceId);
    snapshot.model = logger.Text(settings::Setting::Model);
    snapshot.firmware = logger.Text(settings::Setting::Firmware);
    snapshot.reason = reason;
    for (const auto& [address, page] : pages)
        snapshot.pages[address].assign(page.begin(), page.end());
    return snapshot;
}

archive::AuditEntry WriteEntry(const std::vector<ReviewRow>& changes,
                               const WriteSettingsResult& result,
                               const settings::SettingsView& logger, const std::string& reason) {
    archive::AuditEntry entry;
    entry.deviceId = logger.Text(settings::Setting::DeviceId);
    entry.model = logger.Text(settings::Setting::Model);
    entry.action = archive::AuditAction::SettingsWritten;
    entry.reason = reason;
    for (const ReviewRow& row : changes)
        entry.detail += (entry.detail.empty() ? "" : "\n") + ChangeLine(row);
    switch (result.end) {
        case End::Verified:
            entry.result = archive::AuditResult::Verified;
            break;
        case End::Written:
            entry.result = archive::AuditResult::Done;
            break;
        case End::Differs:
            entry.result = archive::AuditResult::Failed;
            entry.why = DiffersWhy(result);
            break;
        case End::LineEnded:
            if (result.readingBack) {  // every page went; only the check did not finish
                entry.result = archive::AuditResult::Done;
                entry.why = LineText(result.line) + " while reading back: not verified";
                break;
            }
            [[fallthrough]];
        case End::Refused:
        case End::Invalid:
            entry.result = archive::AuditResult::Failed;
            entry.why = HalfWhy(result);
            break;
    }
    return entry;
}

bool HalfWritten(const WriteSettingsResult& result) {
    return (result.end == End::Refused || (result.end == End::LineEnded && !result.readingBack)) &&
           result.pagesHeld < settings::kSettingsPages.size();
}

std::string LackingPages(const WriteSettingsResult& result) {
    return PagesText(result.pagesHeld, settings::kSettingsPages.size());
}

std::string HalfWriteMessage(const WriteSettingsResult& result) {
    return "The logger now lacks " + LackingPages(result) + ": " + StopText(result) +
           " after writing " + PagesText(0, result.pagesHeld) + ".";
}

}  // namespace lgcset::jobs
