// Where a setting lives in the logger's parameter pages and how its bytes are written. The
// settings table holds one place per setting the pages keep; page_layout.h builds each
// page's field list from those places.
#pragma once

#include <cstdint>
#include <optional>

#include "settings/setting_id.h"

namespace lgcset::settings {

enum class FieldEncoding {
    Text,            // characters then 0xFF up to the width; decoding stops at 0xFF
    PasswordText,    // text of 4, then two fixed 0xFF; decoding reads all 6 up to 0xFF
    RightAlignedId,  // text right-aligned, '0' on the left; decoding keeps every byte
    Decimal,         // u8/u16 of the whole text as a decimal integer (can fail)
    DigitSum,        // u8/u16 of ParseDecimal (never fails)
    Float32,         // IEEE single, shown "0.00"
    Code,            // the code table entry of the selected item
    ItemIndex,       // the selected item index as one byte
    Flag,            // 1 checked, 0 not
    Fixed,           // constant bytes
    ModeByte,        // 'D' for item 0 ("Timer"), 'M' for item 1 ("Schedule")
    UploadTimer,     // Timer: decimal of the box (empty 0); Schedule: 0
    UploadTime,      // Schedule: hour, minute of the picker; Timer: 0xFF 0xFF
    ReportInterval,  // Timer: decimal of the box (empty 0); Schedule: count of checked schedules
    Schedules,       // four (hour, minute) pairs of the checked schedules in Schedule mode
};

enum class CodeTable { Number, Ain, SensorType };

struct PagePlace {
    std::uint32_t page = 0;    // address of the page (kSystemPageAddress, ...)
    std::uint32_t offset = 0;  // within the page row (a sensor's block, a number's row)
    std::uint32_t width = 0;
    FieldEncoding encoding = FieldEncoding::Text;
    std::uint32_t emptyValue = 0;             // Decimal, DigitSum: value of an empty box
    float emptyNumber = 0.0f;                 // Float32: value of an empty box
    CodeTable codeTable = CodeTable::Number;  // Code
    // Mode-dependent fields: the list that picks the mode; its own place holds the mode byte.
    std::optional<Setting> mode;
};

}  // namespace lgcset::settings
