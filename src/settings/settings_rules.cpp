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
    const std::string next = ScheduleCheckName(k + 1);
    const std::string nextTime = ScheduleTimeName(k + 1);
    if (view.Checked(ScheduleCheckName(k))) {
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
    const int mode = view.ItemIndex("cb_pdat");
    if (mode == 0) {
        view.SetEnabled("edt1", true);
        for (int k = 1; k <= kScheduleCount; ++k) {
            view.SetEnabled(ScheduleCheckName(k), false);
            view.SetChecked(ScheduleCheckName(k), false);
            view.SetEnabled(ScheduleTimeName(k), false);
        }
    } else if (mode == 1) {
        view.SetEnabled("edt1", false);
        for (int k = 1; k <= kScheduleCount; ++k) {
            view.SetEnabled(ScheduleCheckName(k), k == 1);
            view.SetEnabled(ScheduleTimeName(k), k == 1);
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
    const int mode = view.ItemIndex("cbb_gprsupmode");
    if (mode == 0) {
        view.SetEnabled("edt_gprstimeup", true);
        view.SetEnabled("dtp_gprspointup", false);
    } else if (mode == 1) {
        view.SetEnabled("edt_gprstimeup", false);
        view.SetEnabled("dtp_gprspointup", true);
    }
}

void edt_gprstimeupChange(SettingsView& view, const ShowMessageFn& showMessage) {
    const std::string text = view.Text("edt_gprstimeup");
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
    view.SetText("edt_gprstimeup", EncodeUtf8(characters));
}

bool RunClickReaction(SettingsView& view, std::string_view checkBox) {
    if (checkBox == "CheckBox2") {
        CheckBox2Click(view);
    } else if (checkBox == "CheckBox3") {
        CheckBox3Click(view);
    } else if (checkBox == "CheckBox4") {
        CheckBox4Click(view);
    } else {
        return false;
    }
    return true;
}

bool RunListChangeReaction(SettingsView& view, std::string_view list) {
    if (list == "cb_pdat") {
        cb_pdatChange(view);
    } else if (list == "cbb_gprsupmode") {
        cbb_gprsupmodeChange(view);
    } else {
        return false;
    }
    return true;
}

bool RunTextChangeReaction(SettingsView& view, std::string_view edit,
                           const ShowMessageFn& showMessage) {
    if (edit != "edt_gprstimeup") {
        return false;
    }
    edt_gprstimeupChange(view, showMessage);
    return true;
}

}  // namespace lgcset::settings
