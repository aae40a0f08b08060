// How an operation on the logger ended, as a value: the window turns it into its message
// box, a program without a window decides by it.
#pragma once

#include <cstdint>
#include <string>

namespace lgcset::protocol {

enum class Operation : std::uint8_t {
    Login,
    ReadSettings,
    SaveSettings,
    FinishWrite,  // the closing request after the fourth page of a save
    FactoryReset,
    RelayControl,
    DebugModeOn,
    DebugModeOff,
    SetTime,
};

enum class Result : std::uint8_t {
    Done,
    Refused,       // the logger answered with a failure
    EraseRefused,  // a save: the logger refused to erase a page
    WriteRefused,  // a save: the logger refused to write a page
    Unexpected,    // a save: a page write acknowledged while no write waited for one
    Invalid,       // refused before anything was sent; the detail names the settings
};

struct OperationOutcome {
    Operation operation;
    Result result;
    std::string detail{};  // Invalid: the message that names the settings

    bool operator==(const OperationOutcome&) const = default;
};

// Whether the user is shown a box for an outcome: not for a finished save's closing reply,
// nor for one the operations never report.
bool OutcomeShown(const OperationOutcome& outcome);

// The message the user is shown for an outcome; empty for one that is not shown.
std::string OutcomeMessage(const OperationOutcome& outcome);

}  // namespace lgcset::protocol
