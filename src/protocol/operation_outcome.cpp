#include "protocol/operation_outcome.h"

#include <array>
#include <string_view>

namespace lgcset::protocol {

namespace {

struct Text {
    Operation operation;
    Result result;
    std::string_view text;
};

// The logger's users know these texts by heart: they stay as they have always been.
constexpr std::array<Text, 18> kTexts{{
    {Operation::Login, Result::Done, "Login success."},
    {Operation::Login, Result::Refused,
     "Login failure! Please enter the device password correctly."},
    {Operation::ReadSettings, Result::Done, "Uploading device parameters successfully."},
    {Operation::SaveSettings, Result::Done, "saved successfully."},
    {Operation::SaveSettings, Result::EraseRefused, "erase failure!"},
    {Operation::SaveSettings, Result::WriteRefused, "saved failure!"},
    {Operation::SaveSettings, Result::Unexpected, "saved failure!"},
    {Operation::FinishWrite, Result::Refused, "operate failure!"},
    {Operation::FactoryReset, Result::Done,
     "Reset to factory mode successfully.All parameters are back to default settings."},
    {Operation::FactoryReset, Result::Refused, "Reset to factory mode failure!"},
    {Operation::RelayControl, Result::Done, "operate successfully."},
    {Operation::RelayControl, Result::Refused, "operate failure!"},
    {Operation::DebugModeOn, Result::Done, "enable Debug mode successfully"},
    {Operation::DebugModeOn, Result::Refused, "enable Debug mode failure"},
    {Operation::DebugModeOff, Result::Done, "disable Debug mode successfully"},
    {Operation::DebugModeOff, Result::Refused, "disable Debug mode failure"},
    {Operation::SetTime, Result::Done, "time setting successfully"},
    {Operation::SetTime, Result::Refused, "time setting failure!"},
}};

const Text* Find(const OperationOutcome& outcome) {
    for (const Text& entry : kTexts)
        if (entry.operation == outcome.operation && entry.result == outcome.result)
            return &entry;
    return nullptr;
}

}  // namespace

bool OutcomeShown(const OperationOutcome& outcome) {
    return outcome.result == Result::Invalid || Find(outcome) != nullptr;
}

std::string OutcomeMessage(const OperationOutcome& outcome) {
    if (outcome.result == Result::Invalid)
        return outcome.detail;
    const Text* entry = Find(outcome);
    return entry != nullptr ? std::string(entry->text) : std::string();
}

}  // namespace lgcset::protocol
