#include "random_settings.h"

#include <set>
#include <string_view>
#include <vector>

#include "profiles/profile.h"
#include "settings/parameter_image.h"
#include "settings/settings_table.h"

namespace lgcset::soak {

namespace {

using settings::KeyFilter;
using settings::WidgetKind;
using settings::WidgetRow;

int Below(std::mt19937_64& rng, int n) {
    return static_cast<int>(rng() % static_cast<std::uint64_t>(n));
}

std::string Digits(std::mt19937_64& rng, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>('0' + Below(rng, 10));
    return text;
}

// A decimal number of the box's form: [-]digits[.digits].
std::string Number(std::mt19937_64& rng, bool sign, int width) {
    std::string text = sign && Below(rng, 3) == 0 ? "-" : "";
    text += Digits(rng, 1 + Below(rng, 3));
    if (Below(rng, 2) == 0)
        text += "." + Digits(rng, 1 + Below(rng, 2));
    return width > 0 && static_cast<int>(text.size()) > width ? text.substr(0, width) : text;
}

// Plain text: printable ASCII and a few Latin-1 letters (one byte each in the logger), with
// no blank at either end and no quote around it, which a profile does not keep.
std::string Text(std::mt19937_64& rng, int width) {
    static const std::vector<std::string> kLatin1 = {"\xC3\xA9", "\xC3\xBC", "\xC3\x85"};
    const int length = Below(rng, (width > 0 ? width : 16) + 1);
    std::string text;
    for (int i = 0; i < length; ++i) {
        if (Below(rng, 12) == 0) {
            text += kLatin1[static_cast<std::size_t>(Below(rng, 3))];
            continue;
        }
        char c = static_cast<char>(0x21 + Below(rng, 0x7E - 0x21 + 1));
        if (c == '"' || c == '\'')
            c = 'q';
        text += c;
    }
    return text;
}

std::string EditText(std::mt19937_64& rng, const WidgetRow& w) {
    const int width = w.maxLength;
    switch (w.filter) {
        case KeyFilter::Adt:
            return Digits(rng, Below(rng, (width > 0 ? width : 5) + 1));
        case KeyFilter::Pwd:
            return Number(rng, true, width);
        case KeyFilter::RecTime:
        case KeyFilter::NumPoint:
            return Number(rng, false, width);
        case KeyFilter::Tel: {
            const std::string plus = Below(rng, 2) == 0 ? "+" : "";
            const int room = (width > 0 ? width : 20) - static_cast<int>(plus.size());
            return plus + Digits(rng, Below(rng, room + 1));
        }
        case KeyFilter::None:
            break;
    }
    return Text(rng, width);
}

void SetRandom(std::mt19937_64& rng, settings::SettingsModel& model, const WidgetRow& w) {
    switch (w.kind) {
        case WidgetKind::Edit:
            model.SetText(w.name, EditText(rng, w));
            break;
        case WidgetKind::List: {
            const auto items = model.Items(w.name);
            if (!items.empty())
                model.SetItemIndex(w.name, Below(rng, static_cast<int>(items.size())));
            break;
        }
        case WidgetKind::CheckBox:
            model.SetChecked(w.name, Below(rng, 2) == 0);
            break;
        case WidgetKind::TimePicker:
            model.SetTime(w.name, {Below(rng, 24), Below(rng, 60)});
            break;
        case WidgetKind::ReadOnlyEdit:
            break;
    }
}

}  // namespace

void FillRandomSettings(std::mt19937_64& rng, settings::SettingsModel& model) {
    for (const WidgetRow* w : profiles::ProfileWidgets()) SetRandom(rng, model, *w);
    // A value the save refuses (a number past its field, a digit string the field cannot
    // hold) is drawn again, and left empty after a few tries: empty boxes are fine.
    for (int round = 0; round < 20; ++round) {
        const auto invalid = settings::ValidateForSave(model);
        if (invalid.empty())
            return;
        for (const auto& field : invalid) {
            if (round < 19)
                model.SetText(field.widget, EditText(rng, *settings::FindWidget(field.widget)));
            else
                model.SetText(field.widget, "");
        }
    }
}

}  // namespace lgcset::soak
