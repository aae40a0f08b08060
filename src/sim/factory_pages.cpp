#include "sim/factory_pages.h"

#include <bit>
#include <cstring>

#include "protocol/command_codes.h"

namespace lgcset::sim {

namespace {
using protocol::kAlarmPage;
using protocol::kGprsPage;
using protocol::kNumbersPage;
using protocol::kSystemPage;

// Values the configurator stores for an empty box: they mean "not set".
constexpr float kUnsetThreshold = 999.0f;
constexpr float kUnsetRange = 99999.0f;
constexpr std::uint8_t kUnsetStep = 99;
constexpr std::uint16_t kUnsetRelayTime = 9999;
constexpr std::uint16_t kUnsetAlarmTime = 999;

void PutU16(ParameterMemory& m, std::size_t at, std::uint16_t v) {
    m[at] = static_cast<std::uint8_t>(v & 0xFF);
    m[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PutF32(ParameterMemory& m, std::size_t at, float v) {
    const auto bits = std::bit_cast<std::uint32_t>(v);
    for (std::size_t i = 0; i < 4; ++i) {
        m[at + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
}

void PutText(ParameterMemory& m, std::size_t at, std::string_view text) {
    std::memcpy(&m[at], text.data(), text.size());
}

void WriteNumbersPage(ParameterMemory& m) {
    for (std::size_t row = 0; row < 6; ++row) {
        const std::size_t at = kNumbersPage + 22 * row;
        m[at] = '1';      // Code1 "SMS & Call"
        m[at + 1] = '1';  // Code2 "Return Status SMS"
        // the number itself stays 0xFF: empty
    }
}

void WriteAlarmPage(ParameterMemory& m, ChannelKind kind) {
    for (std::size_t block = 0; block < 4; ++block) {
        const std::size_t at = kAlarmPage + 36 * block;
        m[at] = kind == ChannelKind::Analog ? 'B' : 'C';
        m[at + 1] = kUnsetStep;
        PutU16(m, at + 2, kUnsetRelayTime);
        PutF32(m, at + 4, kUnsetThreshold);   // ultra-low
        PutF32(m, at + 8, kUnsetThreshold);   // low
        PutF32(m, at + 12, kUnsetThreshold);  // ultra-high
        PutF32(m, at + 16, kUnsetThreshold);  // high
        PutU16(m, at + 20, kUnsetAlarmTime);  // alarming interval
        PutU16(m, at + 22, kUnsetAlarmTime);  // alarming verify time
        m[at + 24] = '0';                     // analog sensor "NONE"
        PutF32(m, at + 28, kUnsetRange);      // min.
        PutF32(m, at + 32, kUnsetRange);      // max.
    }
}

void WriteGprsPage(ParameterMemory& m) {
    PutU16(m, kGprsPage + 64, 8000);  // port
    m[kGprsPage + 66] = 0;            // TCP
}

void WriteSystemPage(ParameterMemory& m, std::string_view password, std::string_view deviceId) {
    const std::size_t p = kSystemPage;
    m[p + 0] = 1;  // time adjustment "Auto"
    PutText(m, p + 21, password.substr(0, 4));
    std::memset(&m[p + 27], '0', 15);  // device ID, empty: fifteen '0'
    deviceId = deviceId.substr(0, 15);
    std::memcpy(&m[p + 27 + 15 - deviceId.size()], deviceId.data(), deviceId.size());
    m[p + 42] = 5;                     // log interval, minutes
    PutU16(m, p + 44, 60);             // reserved
    m[p + 46] = 0;                     // PIN verification off
    PutText(m, p + 47, "8604");        // PIN code
    m[p + 73] = 0;                     // GPS off
    m[p + 74] = 'D';                   // upload by timer...
    PutU16(m, p + 76, 0);              // ...with the timer box empty
    m[p + 80] = 'D';                   // SMS report by timer...
    PutU16(m, p + 82, 24);             // ...every 24 hours
    m[p + 112] = 'C';                  // reserved
    PutU16(m, p + 114, 10);            // relay time when dialled in, seconds
}
}  // namespace

void WriteFactoryMemory(ParameterMemory& memory, ChannelKind kind, std::string_view password,
                        std::string_view deviceId) {
    memory.fill(0xFF);
    WriteNumbersPage(memory);
    WriteAlarmPage(memory, kind);
    WriteGprsPage(memory);
    WriteSystemPage(memory, password, deviceId);
}

}  // namespace lgcset::sim
