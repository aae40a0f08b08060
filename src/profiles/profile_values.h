// How a profile writes each kind of value, and how it reads values back, including the
// other forms that profiles kept in the field hold (hexadecimal indexes, 12-hour times).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings/settings_table.h"
#include "settings/settings_view.h"

namespace lgcset::profiles {

enum class ValueEncoding {
    Text,   // an edit box's text, unchanged
    Index,  // a list's selected item as a signed decimal, -1 for none
    Flag,   // a check box: "1" checked, "0" not
    Time,   // a time picker: "HH:mm:ss"
};

// The encoding of a widget's value, from its kind.
ValueEncoding EncodingOf(const settings::WidgetRow& widget);

// A number as an index or flag is read: decimal with an optional sign, or hexadecimal
// after "0x" or "0X" (up to eight digits, taken as a signed 32-bit pattern). Anything
// else, an empty text included, gives 0.
int ParseIndex(std::string_view text);
// The same number, or nothing for a text that is no such number.
std::optional<int> ReadIndex(std::string_view text);

// "14:05:00".
std::string FormatTime(settings::TimeOfDay time);

// A time of day as a profile may hold it: "14:05:00", "14:05", "9:05:00", "2:05:00 PM",
// "2:05 pm", "PM 2:05:00", with ':' or '.' between the fields. Seconds are read and
// dropped. Nothing for a text that is no time of day.
std::optional<settings::TimeOfDay> ParseTime(std::string_view text);

}  // namespace lgcset::profiles
