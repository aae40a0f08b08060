// The texts of the operations' ends: the operations' and the window's tests see each of them
// where it is shown; here what must hold over the whole table.
#include "protocol/operation_outcome.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace lgcset::protocol;

namespace {

TEST(OperationOutcome, EveryEndTheOperationsReportShowsABoxWithATextExceptAFinishedSavesClosingReply) {
    const std::vector<std::pair<Operation, Result>> reported{
        {Operation::Login, Result::Done},
        {Operation::Login, Result::Refused},
        {Operation::ReadSettings, Result::Done},
        {Operation::SaveSettings, Result::Done},
        {Operation::SaveSettings, Result::EraseRefused},
        {Operation::SaveSettings, Result::WriteRefused},
        {Operation::SaveSettings, Result::Unexpected},
        {Operation::FinishWrite, Result::Refused},
        {Operation::FactoryReset, Result::Done},
        {Operation::FactoryReset, Result::Refused},
        {Operation::RelayControl, Result::Done},
        {Operation::RelayControl, Result::Refused},
        {Operation::DebugModeOn, Result::Done},
        {Operation::DebugModeOn, Result::Refused},
        {Operation::DebugModeOff, Result::Done},
        {Operation::DebugModeOff, Result::Refused},
        {Operation::SetTime, Result::Done},
        {Operation::SetTime, Result::Refused},
    };
    for (const auto& [operation, result] : reported) {
        EXPECT_TRUE(OutcomeShown({operation, result}))
            << static_cast<int>(operation) << "/" << static_cast<int>(result);
        EXPECT_FALSE(OutcomeMessage({operation, result}).empty())
            << static_cast<int>(operation) << "/" << static_cast<int>(result);
    }
    // Ends that show no box: a save's closing reply, and ends no operation reports.
    for (const auto& [operation, result] : std::vector<std::pair<Operation, Result>>{
             {Operation::FinishWrite, Result::Done},
             {Operation::ReadSettings, Result::Refused},
             {Operation::Login, Result::WriteRefused}}) {
        EXPECT_FALSE(OutcomeShown({operation, result}))
            << static_cast<int>(operation) << "/" << static_cast<int>(result);
        EXPECT_EQ(OutcomeMessage({operation, result}), "");
    }

    // A success never reads as its operation's failure.
    for (const Operation operation :
         {Operation::Login, Operation::FactoryReset, Operation::RelayControl,
          Operation::DebugModeOn, Operation::DebugModeOff, Operation::SetTime})
        EXPECT_NE(OutcomeMessage({operation, Result::Done}),
                  OutcomeMessage({operation, Result::Refused}))
            << static_cast<int>(operation);
    for (const Result failure : {Result::EraseRefused, Result::WriteRefused, Result::Unexpected})
        EXPECT_NE(OutcomeMessage({Operation::SaveSettings, Result::Done}),
                  OutcomeMessage({Operation::SaveSettings, failure}));
    // Switching debug mode on and off are told apart, whatever the result.
    for (const Result result : {Result::Done, Result::Refused})
        EXPECT_NE(OutcomeMessage({Operation::DebugModeOn, result}),
                  OutcomeMessage({Operation::DebugModeOff, result}));

    // A save refused before sending shows the message that names the settings, as it is.
    const std::string named = "The value of \"Port\" is not a valid number.";
    EXPECT_TRUE(OutcomeShown({Operation::SaveSettings, Result::Invalid, named}));
    EXPECT_EQ(OutcomeMessage({Operation::SaveSettings, Result::Invalid, named}), named);
}

}  // namespace
