// The relay test of the "Others" tab without its widgets: which fields the control type
// enables, and the request parameters read from the fields. The rules work on a
// RelayWidgets over the relay widgets (ComboBox1, Edit8, Edit10, Edit11, Edit12).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "protocol/request_params.h"

namespace lgcset::data {

// The relay test's widgets, found by their names. They are no settings: neither the logger's
// pages nor a profile hold them.
class RelayWidgets {
  public:
    virtual ~RelayWidgets() = default;
    virtual std::string Text(std::string_view name) const = 0;
    virtual int ItemIndex(std::string_view name) const = 0;
    virtual void SetEnabled(std::string_view name, bool enabled) = 0;
};

// Control type changed: "NC/NO" (0) enables the working time only, "Pulse control" (1) the
// ON time, OFF time and repeat count only.
void ComboBox1Change(RelayWidgets& view);
// Repeat count changed: under "NC/NO" the three pulse fields are disabled.
void Edit12Change(RelayWidgets& view);

struct RelayTestRequest {
    protocol::RelayAction action = protocol::RelayAction::NcNo;
    protocol::RelayTestParams params;
};

// What the relay "Start" reads: the letter of the control type, and each field as a decimal
// number (empty: sent as 255). A field that the letter sends and that holds anything else
// (text put in other than by typing) or a number above 65535 gives the message that names
// it instead, and nothing is to be sent; the fields the letter does not send are not
// checked.
struct RelayFieldsRead {
    std::optional<RelayTestRequest> request;
    std::string refusal;
};
RelayFieldsRead ReadRelayTestFields(const RelayWidgets& view);

}  // namespace lgcset::data
