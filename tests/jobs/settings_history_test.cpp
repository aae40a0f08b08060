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

// What a restore writes: the snapshot's settings and the bytes no setting owns, each a row of
// the review, over an erased logger or one that differs from the snapshot in one such byte.
TEST(SettingsHistory, ARestoreReviewsAndPlansTheSnapshotsPagesByteForByte) {
    SettingsSnapshot snapshot = CustomerSnapshot();
    PageOf(snapshot, protocol::kGprsPage)[250] = 0x00;  // owned by no setting
    const Pages kept = SnapshotPages(snapshot);
    Pages almost = kept;
    almost.at(protocol::kGprsPage)[250] = 0x77;
    settings::SettingsModel typed;
    DecodeSnapshot(snapshot, typed);
    settings::CodeTables codes;
    settings::SettingsModel scratch;
    session::ApplyIdentity(scratch, LoginReplyOf("R481", "V3.05-R48x"), codes);

    struct Case {
        const char* name;
        Pages held;
        bool choose;
        std::size_t settingRows;
        std::vector<std::string> byteLines;  // a part of them
    };
    const std::vector<Case> cases{
        {"erased logger", {}, true, 0, {}},
        {"one byte apart", almost, true, 0, {"GPRS page / byte 250 (no setting): 0x77 -> 0x00"}},
        {"one byte apart, left out",
         almost,
         false,
         0,
         {"GPRS page / byte 250 (no setting): 0x77 -> 0x00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings::SettingsModel logger;
        DecodePages(c.held, LoginReplyOf("R481", "V3.05-R48x"), logger);
        std::vector<ReviewRow> rows = ReviewChanges(logger, typed);
        const std::size_t settingRows = rows.size();
        const std::vector<ReviewRow> raw = RawByteChanges(c.held, kept, typed, codes);
        rows.insert(rows.end(), raw.begin(), raw.end());
        if (!c.byteLines.empty()) {
            EXPECT_EQ(settingRows, c.settingRows);
            ASSERT_EQ(raw.size(), c.byteLines.size());
            for (std::size_t i = 0; i < raw.size(); ++i)
                EXPECT_EQ(ChangeLine(raw[i]), c.byteLines[i]);
        } else {
            EXPECT_GT(settingRows, 0u);
        }
        const WritePlan plan =
            PlanWrite(c.held, logger, typed, rows, std::vector<bool>(rows.size(), c.choose), codes);
        ASSERT_EQ(plan.invalid, "");
        EXPECT_EQ(plan.pages, c.choose ? kept : c.held);
        EXPECT_EQ(plan.changes.size(), c.choose ? rows.size() : 0u);
    }
}

}  // namespace
}  // namespace lgcset::jobs
