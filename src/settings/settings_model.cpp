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
        widgets_.emplace(def.name, std::move(state));
    }
}

SettingsModel::State& SettingsModel::Any(std::string_view name) {
    const auto it = widgets_.find(name);
    if (it == widgets_.end()) {
        throw std::invalid_argument("no settings widget named " + std::string(name));
    }
    return it->second;
}

const SettingsModel::State& SettingsModel::Any(std::string_view name) const {
    return const_cast<SettingsModel*>(this)->Any(name);
}

SettingsModel::State& SettingsModel::At(std::string_view name, WidgetKind kind) {
    State& state = Any(name);
    const WidgetKind actual = state.def->kind;
    if (actual != kind && !(IsEdit(actual) && IsEdit(kind))) {
        throw std::invalid_argument("settings widget " + std::string(name) +
                                    " is not of the kind asked for");
    }
    return state;
}

const SettingsModel::State& SettingsModel::At(std::string_view name, WidgetKind kind) const {
    return const_cast<SettingsModel*>(this)->At(name, kind);
}

std::string SettingsModel::Text(std::string_view name) const {
    return At(name, WidgetKind::Edit).text;
}

void SettingsModel::SetText(std::string_view name, const std::string& text) {
    State& state = At(name, WidgetKind::Edit);
    if (state.text == text) {
        return;  // no change, no change reaction
    }
    state.text = text;
    RunTextChangeReaction(*this, name, showMessage_);
}

int SettingsModel::ItemIndex(std::string_view name) const {
    return At(name, WidgetKind::List).index;
}

void SettingsModel::SetItemIndex(std::string_view name, int index) {
    State& state = At(name, WidgetKind::List);
    state.index = index >= 0 && static_cast<std::size_t>(index) < state.items.size() ? index : -1;
}

std::vector<std::string> SettingsModel::Items(std::string_view name) const {
    return At(name, WidgetKind::List).items;
}

void SettingsModel::SetItems(std::string_view name, const std::vector<std::string>& items) {
    State& state = At(name, WidgetKind::List);
    state.items = items;
    state.index = -1;
}

bool SettingsModel::Checked(std::string_view name) const {
    return At(name, WidgetKind::CheckBox).checked;
}

void SettingsModel::SetChecked(std::string_view name, bool checked) {
    State& state = At(name, WidgetKind::CheckBox);
    if (state.checked == checked) {
        return;
    }
    state.checked = checked;
    RunClickReaction(*this, name);
}

TimeOfDay SettingsModel::Time(std::string_view name) const {
    return At(name, WidgetKind::TimePicker).time;
}

void SettingsModel::SetTime(std::string_view name, TimeOfDay time) {
    At(name, WidgetKind::TimePicker).time = time;
}

bool SettingsModel::Enabled(std::string_view name) const {
    return Any(name).enabled;
}

void SettingsModel::SetEnabled(std::string_view name, bool enabled) {
    Any(name).enabled = enabled;
}

void SettingsModel::ChooseItem(std::string_view name, int index) {
    if (!Enabled(name)) {
        return;
    }
    SetItemIndex(name, index);
    RunListChangeReaction(*this, name);
}

void SettingsModel::TypeKey(std::string_view name, char32_t key) {
    State& state = At(name, WidgetKind::Edit);
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
    SetText(name, EncodeUtf8(characters));
}

void SettingsModel::TypeText(std::string_view name, std::string_view keys) {
    for (const char32_t key : DecodeUtf8(keys)) {
        TypeKey(name, key);
    }
}

void SettingsModel::Click(std::string_view name) {
    if (!Enabled(name)) {
        return;
    }
    SetChecked(name, !Checked(name));
}

}  // namespace lgcset::settings
