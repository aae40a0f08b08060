#include "jobs/settings_history.h"

#include <gtest/gtest.h>

#include <functional>

#include "jobs/settings_review.h"
#include "session/device_identity.h"
#include "support/settings_snapshot.h"

namespace lgcset::jobs {
namespace {

using archive::SettingsSnapshot;
using support::CustomerSnapshot;

std::vector<std::uint8_t>& PageOf(SettingsSnapshot& s, std::uint32_t address) {
    return s.pages.at(address);
}

TEST(SettingsHistory, TwoSnapshotsDifferInTheSettingsTheUserSeesAndInBytesNoSettingOwns) {
    struct Case {
        const char* name;
        std::function<void(SettingsSnapshot&)> change;
        std::vector<std::string> settings;  // "caption: first -> second"
        std::vector<std::size_t> bytes;     // offsets in the GPRS page
    };
    const std::vector<Case> cases{
        {"same pages", [](SettingsSnapshot&) {}, {}, {}},
        {"another time and reason only",
         [](SettingsSnapshot& s) {
             s.at += 60;
             s.reason = archive::SnapshotReason::AfterWrite;
         },
         {},
         {}},
        {"port",
         [](SettingsSnapshot& s) { PageOf(s, protocol::kGprsPage)[64] = 0x24; },
         {"Port: 9001 -> 8996"},
         {}},
        {"a byte past the settings",
         [](SettingsSnapshot& s) { PageOf(s, protocol::kGprsPage)[250] = 0x00; },
         {},
         {250}},
        {"a missing page is erased",
         [](SettingsSnapshot& s) { s.pages.erase(protocol::kGprsPage); },
         {"Target Server IP(DNS): lgc.example.com -> ", "Target Sub-server IP(DNS): 10.0.0.2 -> ",
          "Port: 9001 -> 65535", "Protocol: UDP -> ", "Access Point Name: cmnet -> ",
          "User Name: user -> ", "Password: secret -> "},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SettingsSnapshot first = CustomerSnapshot();
        SettingsSnapshot second = first;
        c.change(second);
        const SnapshotDifference difference = DiffSnapshots(first, second);
        std::vector<std::string> settings;
        for (const auto& d : difference.settings)
            settings.push_back(d.caption + ": " + d.left + " -> " + d.right);
        EXPECT_EQ(settings, c.settings);
        std::vector<std::size_t> bytes;
        for (const UnownedByte& b : difference.bytes) {
            EXPECT_EQ(b.page, protocol::kGprsPage);
            bytes.push_back(b.offset);
        }
        EXPECT_EQ(bytes, c.bytes);
    }
}

TEST(SettingsHistory, ASnapshotShowsEverySettingAProfileHoldsWithItsGroupAndUnit) {
    const std::vector<SnapshotSetting> shown = SnapshotSettings(CustomerSnapshot());
    EXPECT_EQ(shown.size(), 98u);
    const auto find = [&](const std::string& caption) {
        for (const SnapshotSetting& s : shown)
            if (s.caption == caption)
                return s.group + "|" + s.value + "|" + s.unit;
        return std::string("missing");
    };
    EXPECT_EQ(find("Port"), "GPRS Connection setting|9001|");
    EXPECT_EQ(find("Device ID"), "System Parameters|000000000004711|");
}

TEST(SettingsHistory, OnlyASnapshotOfTheLoggersOwnModelCanBeRestored) {
    EXPECT_EQ(
        RestoreRefusal(CustomerSnapshot("R483"), "R481"),
        "This snapshot was taken from an R483; the logger is an R481: it cannot be restored.");
    EXPECT_EQ(RestoreRefusal(CustomerSnapshot("R481"), "R481"), std::nullopt);
}

// What a restore writes: the snapshot's settings chosen whole over its own pages.
TEST(SettingsHistory, ARestorePlansTheSnapshotsPagesByteForByteOverAnErasedLogger) {
    SettingsSnapshot snapshot = CustomerSnapshot();
    PageOf(snapshot, protocol::kGprsPage)[250] = 0x00;  // owned by no setting
    settings::SettingsModel logger;
    DecodePages({}, LoginReplyOf("R481", "V3.05-R48x"), logger);
    settings::SettingsModel kept;
    DecodeSnapshot(snapshot, kept);
    settings::CodeTables codes;
    settings::SettingsModel scratch;
    session::ApplyIdentity(scratch, LoginReplyOf("R481", "V3.05-R48x"), codes);
    const std::vector<ReviewRow> rows = ReviewChanges(logger, kept);
    const WritePlan plan = PlanWrite(SnapshotPages(snapshot), logger, kept, rows,
                                     std::vector<bool>(rows.size(), true), codes);
    ASSERT_EQ(plan.invalid, "");
    EXPECT_EQ(plan.pages, SnapshotPages(snapshot));
}

}  // namespace
}  // namespace lgcset::jobs
