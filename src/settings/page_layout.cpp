#include "settings/page_layout.h"

#include <optional>

#include "settings/settings_table.h"

namespace lgcset::settings {
namespace {

PageField Field(std::uint32_t offset, std::uint32_t width, std::optional<Setting> setting,
                FieldEncoding encoding) {
    PageField f;
    f.offset = offset;
    f.width = width;
    f.setting = setting;
    f.encoding = encoding;
    return f;
}

PageField Number(std::uint32_t offset, std::uint32_t width, Setting setting, FieldEncoding encoding,
                 std::uint32_t emptyValue) {
    PageField f = Field(offset, width, setting, encoding);
    f.emptyValue = emptyValue;
    return f;
}

PageField Float(std::uint32_t offset, Setting setting, float emptyNumber) {
    PageField f = Field(offset, 4, setting, FieldEncoding::Float32);
    f.emptyNumber = emptyNumber;
    return f;
}

PageField Coded(std::uint32_t offset, Setting setting, CodeTable table) {
    PageField f = Field(offset, 1, setting, FieldEncoding::Code);
    f.codeTable = table;
    return f;
}

PageField Fixed(std::uint32_t offset, std::vector<std::uint8_t> bytes) {
    PageField f =
        Field(offset, static_cast<std::uint32_t>(bytes.size()), std::nullopt, FieldEncoding::Fixed);
    f.fixed = std::move(bytes);
    return f;
}

PageField ModeDependent(std::uint32_t offset, std::uint32_t width, std::optional<Setting> setting,
                        FieldEncoding encoding, Setting mode, std::uint32_t modeOffset) {
    PageField f = Field(offset, width, setting, encoding);
    f.mode = mode;
    f.modeOffset = modeOffset;
    return f;
}

constexpr float kThresholdNotSet = 999.0f;
constexpr float kRangeNotSet = 99999.0f;

}  // namespace

const PageLayout& NumbersPageLayout() {
    using S = Setting;
    static const PageLayout layout{
        kNumbersPageAddress,
        6,
        22,
        {
            Coded(0, S::NumberCode1, CodeTable::Number),
            Coded(1, S::NumberCode2, CodeTable::Number),
            Field(2, 20, S::Number, FieldEncoding::Text),
        },
    };
    return layout;
}

const PageLayout& AlarmPageLayout() {
    using E = FieldEncoding;
    using S = Setting;
    static const PageLayout layout{
        kAlarmPageAddress,
        4,
        36,
        {
            Coded(0, S::SensorType, CodeTable::SensorType),
            Number(1, 1, S::SensorStep, E::DigitSum, 99),
            Number(2, 2, S::SensorRelayTime, E::DigitSum, 9999),
            Float(4, S::SensorUltraLow, kThresholdNotSet),
            Float(8, S::SensorLow, kThresholdNotSet),
            Float(12, S::SensorUltraHigh, kThresholdNotSet),
            Float(16, S::SensorHigh, kThresholdNotSet),
            Number(20, 2, S::SensorAlarmInterval, E::DigitSum, 999),
            Number(22, 2, S::SensorVerifyTime, E::DigitSum, 999),
            Coded(24, S::SensorAnalog, CodeTable::Ain),
            Fixed(25, {0xFF, 0xFF, 0xFF}),
            Float(28, S::SensorRangeMin, kRangeNotSet),
            Float(32, S::SensorRangeMax, kRangeNotSet),
        },
    };
    return layout;
}

const PageLayout& GprsPageLayout() {
    using E = FieldEncoding;
    using S = Setting;
    static const PageLayout layout{
        kGprsPageAddress,
        1,
        0,
        {
            Field(0, 32, S::ServerAddress, E::Text),
            Field(32, 32, S::SubServerAddress, E::Text),
            Number(64, 2, S::ServerPort, E::Decimal, 0xFFFF),
            Field(66, 1, S::Protocol, E::ItemIndex),
            Field(67, 32, S::AccessPointName, E::Text),
            Field(99, 32, S::GprsUser, E::Text),
            Field(131, 32, S::GprsPassword, E::Text),
        },
    };
    return layout;
}

const PageLayout& SystemPageLayout() {
    using E = FieldEncoding;
    using S = Setting;
    static const PageLayout layout{
        kSystemPageAddress,
        1,
        0,
        {
            Field(0, 1, S::TimeAdjustment, E::ItemIndex),
            Field(1, 20, S::SimNumber, E::Text),
            Field(21, 6, S::DevicePassword, E::PasswordText),
            Field(27, 15, S::DeviceId, E::RightAlignedId),
            Number(42, 1, S::LogInterval, E::Decimal, 0xFF),
            Fixed(43, {0xFF}),
            Fixed(44, {0x3C, 0x00}),  // u16 60
            Field(46, 1, S::PinVerification, E::Flag),
            Field(47, 6, S::PinCode, E::Text),
            Field(53, 20, S::GprsFailureNumber, E::Text),
            Field(73, 1, S::GpsEnable, E::Flag),
            Field(74, 1, S::UploadMode, E::ModeByte),
            Fixed(75, {0xFF}),
            ModeDependent(76, 2, S::UploadTimer, E::UploadTimer, S::UploadMode, 74),
            ModeDependent(78, 2, S::UploadTime, E::UploadTime, S::UploadMode, 74),
            Field(80, 1, S::ReportMode, E::ModeByte),
            Fixed(81, {0xFF}),
            ModeDependent(82, 2, S::ReportInterval, E::ReportInterval, S::ReportMode, 80),
            ModeDependent(84, 8, std::nullopt, E::Schedules, S::ReportMode, 80),
            Field(92, 20, S::ReportNumber, E::Text),
            Fixed(112, {'C'}),
            Fixed(113, {0xFF}),
            Number(114, 2, S::DialInRelayTime, E::Decimal, 0),
            Fixed(116, {0xFF, 0xFF, 0xFF, 0xFF}),
        },
    };
    return layout;
}

std::vector<PlacedField> PlaceFields(const PageLayout& layout) {
    std::vector<PlacedField> placed;
    for (int row = 1; row <= layout.rows; ++row) {
        const std::uint32_t rowStart =
            layout.address + layout.rowStride * static_cast<std::uint32_t>(row - 1);
        for (const auto& field : layout.fields) {
            const WidgetSpec* spec = nullptr;
            if (field.setting) {
                spec = &Spec({*field.setting, layout.rows > 1 ? row : 0});
            }
            placed.push_back(
                {rowStart + field.offset, &field, spec, row, rowStart + field.modeOffset});
        }
    }
    return placed;
}

}  // namespace lgcset::settings
