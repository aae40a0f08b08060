// The characters that may be typed into the filtered edit boxes. Each filter looks at one
// typed character and the box's whole text at the moment of the key press.
#pragma once

#include <string>
#include <string_view>

#include "settings/settings_table.h"

namespace lgcset::settings {

inline constexpr char32_t kBackspace = 8;

// Digits and Backspace.
bool edt_adtKeyPress(char32_t key, std::string_view text);
// Digits, '+', '-', '.' and Backspace.
bool edt_pwdKeyPress(char32_t key, std::string_view text);
// Digits, '.' and Backspace.
bool edt_rec_timeKeyPress(char32_t key, std::string_view text);
// Digits, '.' and Backspace.
bool edt_numpoint_KeyPress(char32_t key, std::string_view text);
// Digits and Backspace; '+' only while the whole text is empty, wherever the caret stands.
bool edt_tel1KeyPress(char32_t key, std::string_view text);

// The filter named by the table; KeyFilter::None accepts every character.
bool AcceptsKey(KeyFilter filter, char32_t key, std::string_view text);

// Pasted text passes the same filter: each character of pasted is checked as if typed,
// against textBefore (the box's text without the part the paste replaces) followed by the
// characters accepted so far. Rejected characters are dropped and the rest is kept, so a
// pasted "+49 (171) 555-12" into an empty number box gives "+4917155512". Control characters
// (Backspace included) are dropped from every paste, unfiltered boxes too. Returns the accepted
// characters in their order (UTF-8); the box inserts them at the caret.
std::string FilterPastedText(KeyFilter filter, std::string_view textBefore,
                             std::string_view pasted);

}  // namespace lgcset::settings
