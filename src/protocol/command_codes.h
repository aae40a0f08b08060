// One-byte command codes shared by a request and its reply.
#pragma once

#include <cstdint>

namespace lgcset::protocol {

enum class Command : std::uint8_t {
    Login = 0x01,
    WritePage = 0x10,
    ReadPage = 0x11,
    ErasePage = 0x12,
    FinishWrite = 0x13,
    FactoryReset = 0x14,
    HistoryCount = 0x15,
    HistoryRecord = 0x16,
    CurrentData = 0x17,
    RelayControl = 0x18,
    DebugMode = 0x20,
    DebugData = 0x21,
    SetTime = 0x22,
    ReadTime = 0x23,
};

inline constexpr std::uint8_t code(Command c) {
    return static_cast<std::uint8_t>(c);
}

// The four parameter pages and the address where the login reply is kept.
inline constexpr std::uint32_t kPageSize = 256;
inline constexpr std::uint32_t kNumbersPage = 1024;
inline constexpr std::uint32_t kAlarmPage = 2048;
inline constexpr std::uint32_t kGprsPage = 3072;
inline constexpr std::uint32_t kSystemPage = 4096;
inline constexpr std::uint32_t kLoginReplyAddress = 5120;

}  // namespace lgcset::protocol
