// The texts the user has always been shown for the ends of the operations: byte for byte.
#include "protocol/operation_outcome.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lgcset::protocol;

namespace {

struct Expected {
    Operation operation;
    Result result;
    std::string text;
};

TEST(OperationOutcome, EveryReportedEndHasItsOwnText) {
    const std::vector<Expected> table{
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
        // A finished save's closing reply shows no box.
        {Operation::FinishWrite, Result::Done, ""},
    };
    for (const Expected& row : table)
        EXPECT_EQ(OutcomeMessage({row.operation, row.result}), row.text) << row.text;

    // A save refused before sending shows the message that names the settings, as it is.
    const std::string named = "The value of \"Port\" is not a valid number.";
    EXPECT_EQ(OutcomeMessage({Operation::SaveSettings, Result::Invalid, named}), named);
}

}  // namespace
