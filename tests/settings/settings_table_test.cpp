// The table is what the window, the codec and the profile file share; these tests check
// that its parts fit each other, not that it restates itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/page_layout.h"
#include "settings/settings_table.h"
#include "settings/text_units.h"

namespace lgcset::settings {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

TEST(SettingsTable, NamesAreUniqueAndRepeatedRowsAreExpanded) {
    std::set<std::string> names;
    for (const auto& def : SettingsTable()) {
        EXPECT_TRUE(names.insert(def.name).second) << def.name;
        EXPECT_EQ(def.name.find('{'), std::string::npos) << def.name;
        EXPECT_EQ(def.caption.find('{'), std::string::npos) << def.name;
        EXPECT_NE(FindGroup(def.group), nullptr) << def.name << " in " << def.group;
    }
    // Login 3, system 24, numbers 6 x 3, GPRS 7, sensors 4 x 12.
    EXPECT_EQ(SettingsTable().size(), 3u + 24u + 18u + 7u + 48u);
    for (int n = 1; n <= kSensorCount; ++n) {
        EXPECT_EQ(WidgetsOfGroup(SensorGroup(n)).size(), 12u) << n;
    }
    ASSERT_NE(FindWidget("edt_tel6"), nullptr);
    EXPECT_EQ(FindWidget("edt_tel6")->caption, "No.6");
    EXPECT_TRUE(FindWidget("edt_tel6")->id == (SettingId{Setting::Number, 6}));
    ASSERT_NE(FindWidget("edt_Sensor4_end"), nullptr);
    EXPECT_EQ(FindWidget("edt_Sensor4_end")->group, "grp3");
    EXPECT_EQ(FindWidget("cbb_sensor3")->caption, "Sensor3");
    EXPECT_EQ(FindWidget("edt_tel7"), nullptr);
    EXPECT_EQ(FindWidget(""), nullptr);
}

// Each identifier names one row and each row one identifier: a setting of one row has row 0,
// a repeated one rows 1, 2, ... in table order; any other row is no setting.
TEST(SettingsTable, EverySettingIsOneRowAndEveryRowOneSetting) {
    std::vector<std::vector<int>> rowsOf(kSettingCount);
    for (const auto& def : SettingsTable()) {
        EXPECT_EQ(&RowOf(def.id), &def) << def.name;
        EXPECT_TRUE(SettingNamed(def.name) == def.id) << def.name;
        rowsOf[static_cast<std::size_t>(def.id.what)].push_back(def.id.row);
    }
    for (int what = 0; what < kSettingCount; ++what) {
        const auto setting = static_cast<Setting>(what);
        const std::vector<int>& rows = rowsOf[static_cast<std::size_t>(what)];
        ASSERT_FALSE(rows.empty()) << "setting " << what << " has no row";
        const int first = rows.size() == 1 && rows.front() == 0 ? 0 : 1;
        for (std::size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(rows[i], first + static_cast<int>(i)) << "setting " << what;
        for (const int beyond : {first - 1, first + static_cast<int>(rows.size())})
            EXPECT_THROW(RowOf({setting, beyond}), std::invalid_argument)
                << "setting " << what << " row " << beyond;
    }
    EXPECT_THROW(SettingNamed("edt_tel7"), std::invalid_argument);
}

TEST(SettingsTable, ProfileKeysAreTheNinetyEightDistinctKeys) {
    std::set<std::string> keys;
    int count = 0;
    for (const auto& def : SettingsTable()) {
        if (def.profileKey.empty()) {
            EXPECT_TRUE(def.kind == WidgetKind::ReadOnlyEdit) << def.name;
            continue;
        }
        ++count;
        // The profile service matches names without regard to case.
        EXPECT_TRUE(keys.insert(Lower(def.profileSection + "/" + def.profileKey)).second)
            << def.name;
    }
    EXPECT_EQ(count, 98);
    EXPECT_EQ(FindWidget("cbb_sensor2")->profileSection, "SENSOR2");
    EXPECT_EQ(FindWidget("cbb_tel3_f2")->profileKey, "tel3_fun2");
}

// Each page is built from the places of the table and the fixed bytes between them: a
// mistyped offset or page address shows as a gap, an overlap or a setting left unplaced.
TEST(SettingsTable, EveryPageFieldIsAWidgetThatFitsItsField) {
    std::map<SettingId, int> timesPlaced;
    for (const PageLayout* layout :
         {&NumbersPageLayout(), &AlarmPageLayout(), &GprsPageLayout(), &SystemPageLayout()}) {
        std::uint32_t previousEnd = layout->address;
        for (const auto& placed : PlaceFields(*layout)) {
            const PageField& f = *placed.field;
            // Fields follow one another without gap or overlap and stay inside the page.
            EXPECT_EQ(placed.address, previousEnd) << placed.address;
            previousEnd = placed.address + f.width;
            EXPECT_LE(previousEnd, layout->address + kPageBytes) << placed.address;
            const WidgetRow* def = placed.tableRow;
            if (def == nullptr) {
                EXPECT_TRUE(f.encoding == FieldEncoding::Fixed ||
                            f.encoding == FieldEncoding::Schedules)
                    << placed.address;
                continue;
            }
            ++timesPlaced[def->id];
            if (f.encoding == FieldEncoding::Text || f.encoding == FieldEncoding::RightAlignedId) {
                EXPECT_LE(def->maxLength, static_cast<int>(f.width)) << def->name;
                EXPECT_GT(def->maxLength, 0) << def->name;
            }
            if (f.encoding == FieldEncoding::PasswordText) {
                EXPECT_EQ(def->maxLength, 4);
            }
            if (f.encoding == FieldEncoding::Code || f.encoding == FieldEncoding::ItemIndex ||
                f.encoding == FieldEncoding::ModeByte) {
                EXPECT_EQ(def->kind, WidgetKind::List) << def->name;
            }
        }
    }
    for (const auto& def : SettingsTable()) {
        EXPECT_EQ(timesPlaced[def.id], def.place ? 1 : 0) << def.name;
    }
}

// The window shows every text of the table as UTF-8 (a byte of another encoding shows as a
// replacement character), a list with nothing chosen shows a text of its own, and a heading
// is placed only above a widget of its own group.
TEST(SettingsTable, TextsAreUtf8ListsShowATextAndHeadingsHeadTheirGroupsWidgets) {
    const auto wellFormed = [](const std::string& text) {
        const std::vector<char32_t> characters = DecodeUtf8(text);
        return std::find(characters.begin(), characters.end(), U'\uFFFD') == characters.end();
    };
    for (const auto& def : SettingsTable()) {
        std::vector<std::string> texts{def.caption, def.checkText, def.hint,
                                       def.unit,    def.shownText, def.defaultText};
        texts.insert(texts.end(), def.items.begin(), def.items.end());
        for (const std::string& text : texts)
            EXPECT_TRUE(wellFormed(text)) << def.name << ": " << text;
        if (def.kind != WidgetKind::List)
            continue;
        if (def.defaultIndex < 0)
            EXPECT_FALSE(def.shownText.empty()) << def.name;
        else
            EXPECT_LT(def.defaultIndex, static_cast<int>(def.items.size())) << def.name;
    }
    for (const auto& group : SettingsGroups()) EXPECT_TRUE(wellFormed(group.caption)) << group.name;
    for (const auto& label : LayoutLabels()) {
        EXPECT_TRUE(wellFormed(label.text)) << label.text;
        EXPECT_EQ(RowOf(label.before).group, label.group) << label.text;
    }
}

}  // namespace
}  // namespace lgcset::settings
