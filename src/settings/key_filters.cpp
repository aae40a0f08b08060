#include "settings/key_filters.h"

#include "settings/text_units.h"

namespace lgcset::settings {
namespace {

bool IsDigit(char32_t key) {
    return key >= '0' && key <= '9';
}

}  // namespace

bool edt_adtKeyPress(char32_t key, std::string_view /*text*/) {
    return IsDigit(key) || key == kBackspace;
}

bool edt_pwdKeyPress(char32_t key, std::string_view /*text*/) {
    return IsDigit(key) || key == '+' || key == '-' || key == '.' || key == kBackspace;
}

bool edt_rec_timeKeyPress(char32_t key, std::string_view /*text*/) {
    return IsDigit(key) || key == '.' || key == kBackspace;
}

bool edt_numpoint_KeyPress(char32_t key, std::string_view /*text*/) {
    return IsDigit(key) || key == '.' || key == kBackspace;
}

bool edt_tel1KeyPress(char32_t key, std::string_view text) {
    return IsDigit(key) || key == kBackspace || (key == '+' && text.empty());
}

bool AcceptsKey(KeyFilter filter, char32_t key, std::string_view text) {
    switch (filter) {
        case KeyFilter::None:
            return true;
        case KeyFilter::Adt:
            return edt_adtKeyPress(key, text);
        case KeyFilter::Pwd:
            return edt_pwdKeyPress(key, text);
        case KeyFilter::RecTime:
            return edt_rec_timeKeyPress(key, text);
        case KeyFilter::NumPoint:
            return edt_numpoint_KeyPress(key, text);
        case KeyFilter::Tel:
            return edt_tel1KeyPress(key, text);
    }
    return false;
}

std::string FilterPastedText(KeyFilter filter, std::string_view textBefore,
                             std::string_view pasted) {
    std::string current(textBefore);  // the box's text as each character arrives
    const std::size_t start = current.size();
    for (const char32_t c : DecodeUtf8(pasted)) {
        if (c < 0x20 || c == 0x7F) {
            continue;  // control characters, Backspace included, are never inserted by a paste
        }
        if (AcceptsKey(filter, c, current)) {
            AppendUtf8(current, c);
        }
    }
    return current.substr(start);
}

}  // namespace lgcset::settings
