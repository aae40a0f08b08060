#include "jobs/settings_history.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>

#include "data/calendar.h"
#include "settings/held_settings.h"
#include "settings/page_layout.h"
#include "settings/parameter_image.h"
#include "settings/settings_table.h"

namespace lgcset::jobs {

namespace {

constexpr std::uint8_t kLoginDone = 1;

// Image addresses of the bytes that a setting is stored in (the schedules included).
const std::set<std::uint32_t>& OwnedBytes() {
    static const std::set<std::uint32_t> owned = [] {
        std::set<std::uint32_t> bytes;
        for (const settings::PageLayout* layout :
             {&settings::NumbersPageLayout(), &settings::AlarmPageLayout(),
              &settings::GprsPageLayout(), &settings::SystemPageLayout()})
            for (const settings::PlacedField& placed : settings::PlaceFields(*layout))
                if (placed.field->setting ||
                    placed.field->encoding == settings::FieldEncoding::Schedules)
                    for (std::uint32_t i = 0; i < placed.field->width; ++i)
                        bytes.insert(placed.address + i);
        return bytes;
    }();
    return owned;
}

std::uint8_t ByteOf(const std::map<std::uint32_t, Page>& pages, std::uint32_t page,
                    std::size_t offset) {
    const auto found = pages.find(page);
    return found == pages.end() ? settings::kNotSet : found->second[offset];
}

}  // namespace

std::vector<std::uint8_t> LoginReplyOf(const std::string& model, const std::string& firmware) {
    std::vector<std::uint8_t> reply{kLoginDone};
    reply.insert(reply.end(), model.begin(), model.end());
    reply.push_back(0x00);
    reply.insert(reply.end(), firmware.begin(), firmware.end());
    reply.push_back(0x00);
    return reply;
}

std::map<std::uint32_t, Page> SnapshotPages(const archive::SettingsSnapshot& snapshot) {
    std::map<std::uint32_t, Page> pages;
    for (const auto& [address, bytes] : snapshot.pages) {
        if (bytes.size() != std::tuple_size_v<Page>)
            continue;
        Page& page = pages[address];
        std::copy(bytes.begin(), bytes.end(), page.begin());
    }
    return pages;
}

void DecodeSnapshot(const archive::SettingsSnapshot& snapshot, settings::SettingsModel& model) {
    DecodePages(SnapshotPages(snapshot), LoginReplyOf(snapshot.model, snapshot.firmware), model);
}

std::vector<SnapshotSetting> SnapshotSettings(const archive::SettingsSnapshot& snapshot) {
    settings::SettingsModel model;
    DecodeSnapshot(snapshot, model);
    std::vector<SnapshotSetting> shown;
    for (const settings::WidgetRow& row : settings::SettingsTable()) {
        if (row.profileOrder == 0)
            continue;
        const settings::GroupRow* group = settings::FindGroup(row.group);
        shown.push_back({group == nullptr ? std::string() : group->caption,
                         settings::DifferenceCaption(row), settings::ValueText(model, row),
                         row.unit});
    }
    return shown;
}

SnapshotDifference DiffSnapshots(const archive::SettingsSnapshot& first,
                                 const archive::SettingsSnapshot& second) {
    settings::SettingsModel left;
    settings::SettingsModel right;
    DecodeSnapshot(first, left);
    DecodeSnapshot(second, right);
    SnapshotDifference difference;
    difference.settings = settings::DiffHeldSettings(left, right);
    const std::map<std::uint32_t, Page> a = SnapshotPages(first);
    const std::map<std::uint32_t, Page> b = SnapshotPages(second);
    const std::set<std::uint32_t>& owned = OwnedBytes();
    for (const std::uint32_t page : settings::kSettingsPages)
        for (std::size_t offset = 0; offset < std::tuple_size_v<Page>; ++offset) {
            const std::uint8_t x = ByteOf(a, page, offset);
            const std::uint8_t y = ByteOf(b, page, offset);
            if (x != y && !owned.contains(page + static_cast<std::uint32_t>(offset)))
                difference.bytes.push_back({page, offset, x, y});
        }
    return difference;
}

std::optional<std::string> RestoreRefusal(const archive::SettingsSnapshot& snapshot,
                                          const std::string& loggerModel) {
    if (snapshot.model == loggerModel)
        return std::nullopt;
    return "This snapshot was taken from an " + snapshot.model + "; the logger is an " +
           loggerModel + ": it cannot be restored.";
}

std::string UtcText(std::int64_t at) {
    const std::int64_t days = (at >= 0 ? at : at - 86399) / 86400;
    const std::int64_t second = at - days * 86400;
    const data::CalendarDate date = data::CivilFromDays(days);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month,
                  date.day, static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60),
                  static_cast<int>(second % 60));
    return text;
}

}  // namespace lgcset::jobs
