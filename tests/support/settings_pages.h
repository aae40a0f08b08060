// Settings pages as the logger should hold them, written out field by field.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace lgcset::support {

using Page = std::array<std::uint8_t, 256>;

// An erased page: every byte 0xFF.
Page BlankPage();

void PutU16(Page& page, std::size_t at, std::uint16_t value);
void PutF32(Page& page, std::size_t at, float value);
// Characters from `at` on; the rest of the field stays as it was (0xFF on a blank page).
void PutText(Page& page, std::size_t at, std::string_view text);

// One sensor's 36 bytes of the alarm page.
struct AlarmBlock {
    std::uint8_t type;
    std::uint8_t step;
    std::uint16_t relayTime;
    std::array<float, 4> thresholds;  // ultra-low, low, ultra-high, high
    std::uint16_t alarmInterval;
    std::uint16_t verifyTime;
    std::uint8_t input;  // the analog input's code
    float min;
    float max;
};

// A block as the factory leaves it: every value "not set".
AlarmBlock FactoryAlarmBlock(std::uint8_t type);
void PutAlarmBlock(Page& page, std::size_t at, const AlarmBlock& block);

// The offsets where two pages differ, for a readable failure.
std::string Differences(const Page& actual, const Page& expected);

}  // namespace lgcset::support
