#include "settings/settings_rules.h"

#include <string>

#include "settings/number_text.h"
#include "settings/settings_table.h"
#include "settings/text_units.h"

namespace lgcset::settings {
namespace {

constexpr int kScheduleCount = 4;

// Schedule k (1..3) checked or not decides whether schedule k + 1 is available.
void ScheduleClick(SettingsView& view, int k) {
    const SettingId next{Setting::ScheduleEnabled, k + 1};
    const SettingId nextTime{Setting::ScheduleTime, k + 1};
    if (view.Checked({Setting::ScheduleEnabled, k})) {
        view.SetEnabled(next, true);
        view.SetEnabled(nextTime, true);
    } else {
        view.SetEnabled(next, false);
        view.SetChecked(next, false);
        view.SetEnabled(nextTime, false);
    }
}

}  // namespace

void cb_pdatChange(SettingsView& view) {
    const int mode = view.ItemIndex(Setting::ReportMode);
    if (mode == 0) {
        view.SetEnabled(Setting::ReportInterval, true);
        for (int k = 1; k <= kScheduleCount; ++k) {
            view.SetEnabled({Setting::ScheduleEnabled, k}, false);
            view.SetChecked({Setting::ScheduleEnabled, k}, false);
            view.SetEnabled({Setting::ScheduleTime, k}, false);
        }
    } else if (mode == 1) {
        view.SetEnabled(Setting::ReportInterval, false);
        for (int k = 1; k <= kScheduleCount; ++k) {
            view.SetEnabled({Setting::ScheduleEnabled, k}, k == 1);
            view.SetEnabled({Setting::ScheduleTime, k}, k == 1);
        }
    }
}

void CheckBox2Click(SettingsView& view) {
    ScheduleClick(view, 1);
}
void CheckBox3Click(SettingsView& view) {
    ScheduleClick(view, 2);
}
void CheckBox4Click(SettingsView& view) {
    ScheduleClick(view, 3);
}

void cbb_gprsupmodeChange(SettingsView& view) {
    const int mode = view.ItemIndex(Setting::UploadMode);
    if (mode == 0) {
        view.SetEnabled(Setting::UploadTimer, true);
        view.SetEnabled(Setting::UploadTime, false);
    } else if (mode == 1) {
        view.SetEnabled(Setting::UploadTimer, false);
        view.SetEnabled(Setting::UploadTime, true);
    }
}

void edt_gprstimeupChange(SettingsView& view, const ShowMessageFn& showMessage) {
    const std::string text = view.Text(Setting::UploadTimer);
    const auto minutes = ToInteger(text);
    if (!minutes || *minutes <= kUploadTimerLimit) {
        return;
    }
    if (showMessage) {
        showMessage(std::string(kOutOfRangeMessage));
    }
    auto characters = DecodeUtf8(text);
    if (characters.size() < 4) {
        return;  // cannot happen for a decimal above 1440, but never loop on it
    }
    characters.erase(characters.begin() + 3);
    view.SetText(Setting::UploadTimer, EncodeUtf8(characters));
}

bool RunClickReaction(SettingsView& view, SettingId checkBox) {
    // The last schedule has no next one to make available.
    if (checkBox.what != Setting::ScheduleEnabled || checkBox.row < 1 ||
        checkBox.row >= kScheduleCount) {
        return false;
    }
    ScheduleClick(view, checkBox.row);
    return true;
}

bool RunListChangeReaction(SettingsView& view, SettingId list) {
    if (list == Setting::ReportMode) {
        cb_pdatChange(view);
    } else if (list == Setting::UploadMode) {
        cbb_gprsupmodeChange(view);
    } else {
        return false;
    }
    return true;
}

bool RunTextChangeReaction(SettingsView& view, SettingId edit, const ShowMessageFn& showMessage) {
    if (edit != Setting::UploadTimer) {
        return false;
    }
    edt_gprstimeupChange(view, showMessage);
    return true;
}

}  // namespace lgcset::settings
