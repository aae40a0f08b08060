// Byte layout of the four parameter pages. Each page is one table of fields that the
// encoder, the decoder and the save check all read, built from the places of the settings
// table and the bytes between them that no setting holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/command_codes.h"
#include "settings/page_place.h"
#include "settings/setting_id.h"

namespace lgcset::settings {

struct WidgetRow;

// The page addresses are those of the page read and write commands.
inline constexpr std::uint32_t kPageBytes = protocol::kPageSize;
inline constexpr std::uint32_t kNumbersPageAddress = protocol::kNumbersPage;
inline constexpr std::uint32_t kAlarmPageAddress = protocol::kAlarmPage;
inline constexpr std::uint32_t kGprsPageAddress = protocol::kGprsPage;
inline constexpr std::uint32_t kSystemPageAddress = protocol::kSystemPage;
inline constexpr std::uint32_t kLoginReplyAddress = protocol::kLoginReplyAddress;

inline constexpr std::uint8_t kTimerModeCode = 'D';     // upload / report mode "Timer"
inline constexpr std::uint8_t kScheduleModeCode = 'M';  // upload / report mode "Schedule"
inline constexpr std::uint8_t kNotSet = 0xFF;
inline constexpr std::uint32_t kPasswordCharacters = 4;  // of the 6 bytes of the device password

struct PageField {
    std::uint32_t offset = 0;  // within the row
    std::uint32_t width = 0;
    std::optional<Setting> setting;  // of the row being placed; none for Fixed and Schedules
    FieldEncoding encoding = FieldEncoding::Text;
    std::uint32_t emptyValue = 0;             // Decimal, DigitSum: value of an empty box
    float emptyNumber = 0.0f;                 // Float32: value of an empty box
    std::vector<std::uint8_t> fixed;          // Fixed: the bytes
    CodeTable codeTable = CodeTable::Number;  // Code
    std::optional<Setting> mode;              // mode-dependent fields: the list that picks the mode
    std::uint32_t modeOffset = 0;  // mode-dependent fields: where the mode byte is stored
};

struct PageLayout {
    std::uint32_t address = 0;
    int rows = 1;                 // repeated rows (numbers 6, alarm blocks 4)
    std::uint32_t rowStride = 0;  // bytes per row
    std::vector<PageField> fields;
};

const PageLayout& NumbersPageLayout();
const PageLayout& AlarmPageLayout();
const PageLayout& GprsPageLayout();
const PageLayout& SystemPageLayout();

// One field of one row, placed in the image, its setting resolved.
struct PlacedField {
    std::uint32_t address = 0;  // first byte in the image
    const PageField* field = nullptr;
    const WidgetRow* tableRow = nullptr;  // the setting's table row; none for Fixed and Schedules
    int row = 0;
    std::uint32_t modeAddress = 0;  // mode-dependent fields: the image byte of the mode
};

// Every field of a page in the order of its table, row by row.
std::vector<PlacedField> PlaceFields(const PageLayout& layout);

}  // namespace lgcset::settings
