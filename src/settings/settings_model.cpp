#include "settings/settings_model.h"

#include <stdexcept>

#include "settings/key_filters.h"
#include "settings/text_units.h"

namespace lgcset::settings {
namespace {

bool IsEdit(WidgetKind kind) {
    return kind == WidgetKind::Edit || kind == WidgetKind::ReadOnlyEdit;
}

}  // namespace

SettingsModel::SettingsModel(ShowMessageFn showMessage) : showMessage_(std::move(showMessage)) {
    for (const auto& def : SettingsTable()) {
        State state;
        state.def = &def;
        state.text = def.defaultText;
        state.index = def.defaultIndex;
        state.items = def.items;
        state.checked = def.defaultChecked;
        state.time = def.defaultTime;
        state.enabled = def.enabled;
        widgets_.push_back(std::move(state));
    }
}

SettingsModel::State& SettingsModel::Any(SettingId id) {
    return widgets_[static_cast<std::size_t>(&RowOf(id) - SettingsTable().data())];
}

const SettingsModel::State& SettingsModel::Any(SettingId id) const {
    return const_cast<SettingsModel*>(this)->Any(id);
}

SettingsModel::State& SettingsModel::At(SettingId id, WidgetKind kind) {
    State& state = Any(id);
    const WidgetKind actual = state.def->kind;
    if (actual != kind && !(IsEdit(actual) && IsEdit(kind))) {
        throw std::invalid_argument("settings widget " + state.def->name +
                                    " is not of the kind asked for");
    }
    return state;
}

const SettingsModel::State& SettingsModel::At(SettingId id, WidgetKind kind) const {
    return const_cast<SettingsModel*>(this)->At(id, kind);
}

std::string SettingsModel::Text(SettingId id) const {
    return At(id, WidgetKind::Edit).text;
}

void SettingsModel::SetText(SettingId id, const std::string& text) {
    State& state = At(id, WidgetKind::Edit);
    if (state.text == text) {
        return;  // no change, no change reaction
    }
    state.text = text;
    RunTextChangeReaction(*this, id, showMessage_);
}

int SettingsModel::ItemIndex(SettingId id) const {
    return At(id, WidgetKind::List).index;
}

void SettingsModel::SetItemIndex(SettingId id, int index) {
    State& state = At(id, WidgetKind::List);
    state.index = index >= 0 && static_cast<std::size_t>(index) < state.items.size() ? index : -1;
}

std::vector<std::string> SettingsModel::Items(SettingId id) const {
    return At(id, WidgetKind::List).items;
}

void SettingsModel::SetItems(SettingId id, const std::vector<std::string>& items) {
    State& state = At(id, WidgetKind::List);
    state.items = items;
    state.index = -1;
}

bool SettingsModel::Checked(SettingId id) const {
    return At(id, WidgetKind::CheckBox).checked;
}

void SettingsModel::SetChecked(SettingId id, bool checked) {
    State& state = At(id, WidgetKind::CheckBox);
    if (state.checked == checked) {
        return;
    }
    state.checked = checked;
    RunClickReaction(*this, id);
}

TimeOfDay SettingsModel::Time(SettingId id) const {
    return At(id, WidgetKind::TimePicker).time;
}

void SettingsModel::SetTime(SettingId id, TimeOfDay time) {
    At(id, WidgetKind::TimePicker).time = time;
}

bool SettingsModel::Enabled(SettingId id) const {
    return Any(id).enabled;
}

void SettingsModel::SetEnabled(SettingId id, bool enabled) {
    Any(id).enabled = enabled;
}

void SettingsModel::ChooseItem(SettingId id, int index) {
    if (!Enabled(id)) {
        return;
    }
    SetItemIndex(id, index);
    RunListChangeReaction(*this, id);
}

void SettingsModel::TypeKey(SettingId id, char32_t key) {
    State& state = At(id, WidgetKind::Edit);
    if (!state.enabled || state.def->kind == WidgetKind::ReadOnlyEdit ||
        !AcceptsKey(state.def->filter, key, state.text)) {
        return;
    }
    auto characters = DecodeUtf8(state.text);
    if (key == kBackspace) {
        if (characters.empty()) {
            return;
        }
        characters.pop_back();
    } else {
        const int limit = state.def->maxLength;
        if (limit > 0 && characters.size() >= static_cast<std::size_t>(limit)) {
            return;
        }
        characters.push_back(key);
    }
    SetText(id, EncodeUtf8(characters));
}

void SettingsModel::TypeText(SettingId id, std::string_view keys) {
    for (const char32_t key : DecodeUtf8(keys)) {
        TypeKey(id, key);
    }
}

void SettingsModel::Click(SettingId id) {
    if (!Enabled(id)) {
        return;
    }
    SetChecked(id, !Checked(id));
}

}  // namespace lgcset::settings
