// Fixed contents of the relay test group on the "Others" tab.
#pragma once

#include <array>

namespace lgcset::ui {

inline constexpr std::array<const char*, 2> kRelayControlTypes{"NC/NO", "Pulse control"};

// The four number boxes of the relay test; all take digits only.
struct RelayField {
    const char* name;
    const char* label;
    const char* hint;
    int maxLength;
    const char* defaultText;
    bool enabled;
};

inline constexpr std::array<RelayField, 4> kRelayFields{{
    {"Edit8", "Relay working time:", "(0--9999)sec.", 4, "10", true},
    {"Edit10", "Relay ON", "(0--999)sec.", 3, "3", false},
    {"Edit11", "then OFF", "(0--999)sec.", 3, "1", false},
    {"Edit12", "Totally repeat", "(0--99)times.", 3, "5", false},
}};

}  // namespace lgcset::ui
