#include "profiles/profile_values.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "profiles/ini_file.h"
#include "settings/number_text.h"

namespace lgcset::profiles {
namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// An "AM" or "PM" designator (also "A.M.", "p.m.") at the start or the end of text is
// removed; the result says which it was.
enum class Half { None, Am, Pm };
Half TakeDesignator(std::string_view& text) {
    for (const bool atEnd : {true, false}) {
        for (const std::string_view mark : {"A.M.", "P.M.", "AM", "PM"}) {
            if (text.size() < mark.size()) {
                continue;
            }
            const std::string_view part =
                atEnd ? text.substr(text.size() - mark.size()) : text.substr(0, mark.size());
            bool same = true;
            for (std::size_t i = 0; i < mark.size(); ++i) {
                same = same && Upper(part[i]) == mark[i];
            }
            if (!same) {
                continue;
            }
            text = TrimBlanks(atEnd ? text.substr(0, text.size() - mark.size())
                                    : text.substr(mark.size()));
            return mark.front() == 'A' ? Half::Am : Half::Pm;
        }
    }
    return Half::None;
}

// "h:mm[:ss]": one or two digits per field, one separator throughout.
std::optional<std::vector<int>> Fields(std::string_view text) {
    std::vector<int> fields;
    char separator = 0;
    std::size_t at = 0;
    for (;;) {
        const std::size_t start = at;
        int value = 0;
        while (at < text.size() && IsDigit(text[at]) && at - start < 2) {
            value = value * 10 + (text[at] - '0');
            ++at;
        }
        if (at == start) {
            return std::nullopt;
        }
        fields.push_back(value);
        if (at == text.size()) {
            break;
        }
        const char c = text[at];
        if ((c != ':' && c != '.') || (separator != 0 && c != separator) || fields.size() == 3) {
            return std::nullopt;
        }
        separator = c;
        ++at;
    }
    if (fields.size() < 2) {
        return std::nullopt;
    }
    return fields;
}

}  // namespace

ValueEncoding EncodingOf(const settings::WidgetRow& widget) {
    switch (widget.kind) {
        case settings::WidgetKind::List:
            return ValueEncoding::Index;
        case settings::WidgetKind::CheckBox:
            return ValueEncoding::Flag;
        case settings::WidgetKind::TimePicker:
            return ValueEncoding::Time;
        case settings::WidgetKind::Edit:
        case settings::WidgetKind::ReadOnlyEdit:
            break;
    }
    return ValueEncoding::Text;
}

int ParseIndex(std::string_view text) {
    return ReadIndex(text).value_or(0);
}

std::optional<int> ReadIndex(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const std::string_view digits = text.substr(2);
        if (digits.size() > 8) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (const char c : digits) {
            int digit = 0;
            if (IsDigit(c)) {
                digit = c - '0';
            } else if (Upper(c) >= 'A' && Upper(c) <= 'F') {
                digit = Upper(c) - 'A' + 10;
            } else {
                return std::nullopt;
            }
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        return static_cast<std::int32_t>(value);
    }
    return settings::ToInteger(text);
}

std::string FormatTime(settings::TimeOfDay time) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:00", time.hour, time.minute);
    return text;
}

std::optional<settings::TimeOfDay> ParseTime(std::string_view text) {
    text = TrimBlanks(text);
    const Half half = TakeDesignator(text);
    const auto fields = Fields(text);
    if (!fields) {
        return std::nullopt;
    }
    int hour = (*fields)[0];
    const int minute = (*fields)[1];
    const int second = fields->size() > 2 ? (*fields)[2] : 0;
    if (minute > 59 || second > 59) {
        return std::nullopt;
    }
    if (half == Half::None) {
        if (hour > 23) {
            return std::nullopt;
        }
    } else {
        if (hour < 1 || hour > 12) {
            return std::nullopt;
        }
        hour = hour % 12 + (half == Half::Pm ? 12 : 0);
    }
    return settings::TimeOfDay{hour, minute};
}

}  // namespace lgcset::profiles
