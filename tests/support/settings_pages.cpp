#include "support/settings_pages.h"

#include <bit>

namespace lgcset::support {

Page BlankPage() {
    Page page;
    page.fill(0xFF);
    return page;
}

void PutU16(Page& page, std::size_t at, std::uint16_t value) {
    page[at] = static_cast<std::uint8_t>(value & 0xFF);
    page[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutF32(Page& page, std::size_t at, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) page[at + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

void PutText(Page& page, std::size_t at, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) page[at + i] = static_cast<std::uint8_t>(text[i]);
}

AlarmBlock FactoryAlarmBlock(std::uint8_t type) {
    return {type, 99, 9999, {999.0f, 999.0f, 999.0f, 999.0f}, 999, 999, '0', 99999.0f, 99999.0f};
}

void PutAlarmBlock(Page& page, std::size_t at, const AlarmBlock& block) {
    page[at] = block.type;
    page[at + 1] = block.step;
    PutU16(page, at + 2, block.relayTime);
    for (std::size_t k = 0; k < 4; ++k) PutF32(page, at + 4 + 4 * k, block.thresholds[k]);
    PutU16(page, at + 20, block.alarmInterval);
    PutU16(page, at + 22, block.verifyTime);
    page[at + 24] = block.input;
    PutF32(page, at + 28, block.min);
    PutF32(page, at + 32, block.max);
}

std::string Differences(const Page& actual, const Page& expected) {
    std::string text;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i]) {
            text += " @" + std::to_string(i) + ": " + std::to_string(actual[i]) + " (expected " +
                    std::to_string(expected[i]) + ")";
        }
    }
    return text;
}

}  // namespace lgcset::support
