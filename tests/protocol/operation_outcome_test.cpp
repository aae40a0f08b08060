// The texts of the operations' ends: the window's tests see most of them in its boxes; here
// what only the table decides.
#include "protocol/operation_outcome.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace lgcset::protocol;

namespace {

TEST(OperationOutcome, EveryEndTheOperationsReportShowsATextExceptAFinishedSavesClosingReply) {
    const std::vector<std::pair<Operation, Result>> reported{
        {Operation::Login, Result::Done},           {Operation::Login, Result::Refused},
        {Operation::ReadSettings, Result::Done},    {Operation::SaveSettings, Result::Done},
        {Operation::SaveSettings, Result::EraseRefused},
        {Operation::SaveSettings, Result::WriteRefused},
        {Operation::SaveSettings, Result::Unexpected},
        {Operation::FinishWrite, Result::Refused},  {Operation::FactoryReset, Result::Done},
        {Operation::FactoryReset, Result::Refused}, {Operation::RelayControl, Result::Done},
        {Operation::RelayControl, Result::Refused}, {Operation::DebugModeOn, Result::Done},
        {Operation::DebugModeOn, Result::Refused},  {Operation::DebugModeOff, Result::Done},
        {Operation::DebugModeOff, Result::Refused}, {Operation::SetTime, Result::Done},
        {Operation::SetTime, Result::Refused},
    };
    for (const auto& [operation, result] : reported)
        EXPECT_FALSE(OutcomeMessage({operation, result}).empty())
            << static_cast<int>(operation) << "/" << static_cast<int>(result);
    EXPECT_EQ(OutcomeMessage({Operation::FinishWrite, Result::Done}), "");

    // Texts two ends share, and the ones a user could mistake for each other.
    EXPECT_EQ(OutcomeMessage({Operation::SaveSettings, Result::Unexpected}), "saved failure!");
    EXPECT_EQ(OutcomeMessage({Operation::FinishWrite, Result::Refused}), "operate failure!");
    EXPECT_EQ(OutcomeMessage({Operation::RelayControl, Result::Refused}), "operate failure!");
    EXPECT_EQ(OutcomeMessage({Operation::DebugModeOff, Result::Done}),
              "disable Debug mode successfully");

    // A save refused before sending shows the message that names the settings, as it is.
    const std::string named = "The value of \"Port\" is not a valid number.";
    EXPECT_EQ(OutcomeMessage({Operation::SaveSettings, Result::Invalid, named}), named);
}

}  // namespace
