#include "data/relay_test.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace lgcset::data {

namespace {

constexpr std::string_view kControlType = "ComboBox1";
constexpr int kPulseControl = 1;

struct RelayField {
    std::string_view name;
    std::string_view label;
    std::optional<std::uint16_t> protocol::RelayTestParams::*member;
    bool sentByNcNo;
};

constexpr std::array<RelayField, 4> kRelayFields{{
    {"Edit8", "Relay working time", &protocol::RelayTestParams::workingTime, true},
    {"Edit10", "Relay ON", &protocol::RelayTestParams::onTime, false},
    {"Edit11", "then OFF", &protocol::RelayTestParams::offTime, false},
    {"Edit12", "Totally repeat", &protocol::RelayTestParams::repeatCount, false},
}};

enum class FieldValue { Empty, Number, Bad };

FieldValue ParseField(const std::string& text, std::uint16_t& value) {
    if (text.empty()) {
        return FieldValue::Empty;
    }
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc{} && ptr == end ? FieldValue::Number : FieldValue::Bad;
}

}  // namespace

void ComboBox1Change(RelayWidgets& view) {
    const bool pulse = view.ItemIndex(kControlType) == kPulseControl;
    for (const RelayField& field : kRelayFields) {
        view.SetEnabled(field.name, field.sentByNcNo != pulse);
    }
}

void Edit12Change(RelayWidgets& view) {
    if (view.ItemIndex(kControlType) != 0) {
        return;
    }
    for (const RelayField& field : kRelayFields) {
        if (!field.sentByNcNo) {
            view.SetEnabled(field.name, false);
        }
    }
}

RelayFieldsRead ReadRelayTestFields(const RelayWidgets& view) {
    const bool pulse = view.ItemIndex(kControlType) == kPulseControl;
    RelayTestRequest request;
    request.action = pulse ? protocol::RelayAction::Pulse : protocol::RelayAction::NcNo;
    for (const RelayField& field : kRelayFields) {
        const std::string text = view.Text(field.name);
        std::uint16_t value = 0;
        switch (ParseField(text, value)) {
            case FieldValue::Number:
                request.params.*field.member = value;
                break;
            case FieldValue::Empty:
                break;
            case FieldValue::Bad:
                if (field.sentByNcNo != pulse) {
                    return {std::nullopt, std::string(field.label) + ": \"" + text +
                                              "\" is not a whole number from 0 to 65535. "
                                              "Nothing was sent."};
                }
                break;
        }
    }
    return {request, {}};
}

}  // namespace lgcset::data
