#include "profiles/profile_check.h"

#include <optional>

#include "profiles/profile.h"
#include "profiles/profile_values.h"

namespace lgcset::profiles {
namespace {

using settings::WidgetRow;

// What a list can hold: 0 "Manual" or 1 "Auto".
std::string ListItems(const WidgetRow& widget) {
    std::string text;
    for (std::size_t i = 0; i < widget.items.size(); ++i) {
        if (i > 0)
            text += i + 1 == widget.items.size() ? " or " : ", ";
        text += std::to_string(i) + " \"" + widget.items[i] + "\"";
    }
    return text;
}

// What the widget's setting can hold, when value is not one of them; nothing when it is.
std::optional<std::string> Unfit(const WidgetRow& widget, const std::string& value) {
    switch (EncodingOf(widget)) {
        case ValueEncoding::Text:
            return std::nullopt;
        case ValueEncoding::Index: {
            const auto index = ReadIndex(value);
            const auto items = static_cast<int>(widget.items.size());
            if (index && *index >= -1 && *index < items)
                return std::nullopt;
            return ListItems(widget);
        }
        case ValueEncoding::Flag:
            if (ReadIndex(value))
                return std::nullopt;
            return "0 or 1";
        case ValueEncoding::Time:
            if (ParseTime(value))
                return std::nullopt;
            return "a time hh:mm:ss";
    }
    return std::nullopt;
}

}  // namespace

std::string UnfitProfileValue(const IniFile& file) {
    for (const WidgetRow* widget : ProfileWidgets()) {
        const auto value = file.Read(widget->profileSection, widget->profileKey);
        if (!value || value->empty())
            continue;
        const auto holds = Unfit(*widget, *value);
        if (!holds)
            continue;
        // Some pickers have no label of their own; the key still names them.
        const std::string caption = settings::UserCaption(*widget);
        return (caption.empty() ? "" : caption + ": ") + "[" + widget->profileSection + "] " +
               widget->profileKey + "=" + *value + " does not fit; the setting holds " + *holds +
               ".";
    }
    return {};
}

}  // namespace lgcset::profiles
