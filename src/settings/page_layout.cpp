#include "settings/page_layout.h"

#include <string>

namespace lgcset::settings {
namespace {

PageField Field(std::uint32_t offset, std::uint32_t width, std::string widget,
                FieldEncoding encoding) {
    PageField f;
    f.offset = offset;
    f.width = width;
    f.widget = std::move(widget);
    f.encoding = encoding;
    return f;
}

PageField Number(std::uint32_t offset, std::uint32_t width, std::string widget,
                 FieldEncoding encoding, std::uint32_t emptyValue) {
    PageField f = Field(offset, width, std::move(widget), encoding);
    f.emptyValue = emptyValue;
    return f;
}

PageField Float(std::uint32_t offset, std::string widget, float emptyNumber) {
    PageField f = Field(offset, 4, std::move(widget), FieldEncoding::Float32);
    f.emptyNumber = emptyNumber;
    return f;
}

PageField Coded(std::uint32_t offset, std::string widget, CodeTable table) {
    PageField f = Field(offset, 1, std::move(widget), FieldEncoding::Code);
    f.codeTable = table;
    return f;
}

PageField Fixed(std::uint32_t offset, std::vector<std::uint8_t> bytes) {
    PageField f = Field(offset, static_cast<std::uint32_t>(bytes.size()), "", FieldEncoding::Fixed);
    f.fixed = std::move(bytes);
    return f;
}

PageField ModeDependent(std::uint32_t offset, std::uint32_t width, std::string widget,
                        FieldEncoding encoding, std::string modeWidget, std::uint32_t modeOffset) {
    PageField f = Field(offset, width, std::move(widget), encoding);
    f.modeWidget = std::move(modeWidget);
    f.modeOffset = modeOffset;
    return f;
}

constexpr float kThresholdNotSet = 999.0f;
constexpr float kRangeNotSet = 99999.0f;

}  // namespace

const PageLayout& NumbersPageLayout() {
    static const PageLayout layout{
        kNumbersPageAddress,
        6,
        22,
        {
            Coded(0, "cbb_tel{N}_f1", CodeTable::Number),
            Coded(1, "cbb_tel{N}_f2", CodeTable::Number),
            Field(2, 20, "edt_tel{N}", FieldEncoding::Text),
        },
    };
    return layout;
}

const PageLayout& AlarmPageLayout() {
    using E = FieldEncoding;
    static const PageLayout layout{
        kAlarmPageAddress,
        4,
        36,
        {
            Coded(0, "cbb_sensor{N}", CodeTable::SensorType),
            Number(1, 1, "edt_Sensor{N}_STP", E::DigitSum, 99),
            Number(2, 2, "edt_Sensor{N}_Relay", E::DigitSum, 9999),
            Float(4, "edt_Sensor{N}_SLow", kThresholdNotSet),
            Float(8, "edt_Sensor{N}_Low", kThresholdNotSet),
            Float(12, "edt_Sensor{N}_SHigh", kThresholdNotSet),
            Float(16, "edt_Sensor{N}_High", kThresholdNotSet),
            Number(20, 2, "edt_Sensor{N}_SP", E::DigitSum, 999),
            Number(22, 2, "edt_Sensor{N}_ens", E::DigitSum, 999),
            Coded(24, "cbb_sensor{N}_ain", CodeTable::Ain),
            Fixed(25, {0xFF, 0xFF, 0xFF}),
            Float(28, "edt_Sensor{N}_start", kRangeNotSet),
            Float(32, "edt_Sensor{N}_end", kRangeNotSet),
        },
    };
    return layout;
}

const PageLayout& GprsPageLayout() {
    using E = FieldEncoding;
    static const PageLayout layout{
        kGprsPageAddress,
        1,
        0,
        {
            Field(0, 32, "edt_ip1", E::Text),
            Field(32, 32, "edt_ip2", E::Text),
            Number(64, 2, "edt_port", E::Decimal, 0xFFFF),
            Field(66, 1, "cbb_mode", E::ItemIndex),
            Field(67, 32, "edt_apn", E::Text),
            Field(99, 32, "edt_gprsname", E::Text),
            Field(131, 32, "edt_gprspassword", E::Text),
        },
    };
    return layout;
}

const PageLayout& SystemPageLayout() {
    using E = FieldEncoding;
    static const PageLayout layout{
        kSystemPageAddress,
        1,
        0,
        {
            Field(0, 1, "cbb_timemode", E::ItemIndex),
            Field(1, 20, "edt_tel_my", E::Text),
            Field(21, 6, "edt_pwd", E::PasswordText),
            Field(27, 15, "edt_id", E::RightAlignedId),
            Number(42, 1, "edt_rec_time", E::Decimal, 0xFF),
            Fixed(43, {0xFF}),
            Fixed(44, {0x3C, 0x00}),  // u16 60
            Field(46, 1, "chk1", E::Flag),
            Field(47, 6, "edt_PinCode", E::Text),
            Field(53, 20, "edt_GprsFailTel", E::Text),
            Field(73, 1, "CheckBox1", E::Flag),
            Field(74, 1, "cbb_gprsupmode", E::ModeByte),
            Fixed(75, {0xFF}),
            ModeDependent(76, 2, "edt_gprstimeup", E::UploadTimer, "cbb_gprsupmode", 74),
            ModeDependent(78, 2, "dtp_gprspointup", E::UploadTime, "cbb_gprsupmode", 74),
            Field(80, 1, "cb_pdat", E::ModeByte),
            Fixed(81, {0xFF}),
            ModeDependent(82, 2, "edt1", E::ReportInterval, "cb_pdat", 80),
            ModeDependent(84, 8, "", E::Schedules, "cb_pdat", 80),
            Field(92, 20, "edit9", E::Text),
            Fixed(112, {'C'}),
            Fixed(113, {0xFF}),
            Number(114, 2, "edt_relay_time", E::Decimal, 0),
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
            std::string widget = field.widget;
            if (const auto at = widget.find("{N}"); at != std::string::npos) {
                widget.replace(at, 3, std::to_string(row));
            }
            placed.push_back({rowStart + field.offset, &field, std::move(widget), row,
                              rowStart + field.modeOffset});
        }
    }
    return placed;
}

}  // namespace lgcset::settings
