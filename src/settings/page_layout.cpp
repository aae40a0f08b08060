#include "settings/page_layout.h"

#include <algorithm>
#include <optional>

#include "settings/settings_table.h"

namespace lgcset::settings {
namespace {

// The byte of the page row that holds the mode a field depends on.
std::uint32_t ModeOffset(Setting mode) {
    return RowOf(mode).place.value().offset;
}

PageField FieldOf(Setting setting, const PagePlace& place) {
    PageField f;
    f.offset = place.offset;
    f.width = place.width;
    f.setting = setting;
    f.encoding = place.encoding;
    f.emptyValue = place.emptyValue;
    f.emptyNumber = place.emptyNumber;
    f.codeTable = place.codeTable;
    f.mode = place.mode;
    if (place.mode) {
        f.modeOffset = ModeOffset(*place.mode);
    }
    return f;
}

PageField FixedBytes(std::uint32_t offset, std::vector<std::uint8_t> bytes) {
    PageField f;
    f.offset = offset;
    f.width = static_cast<std::uint32_t>(bytes.size());
    f.encoding = FieldEncoding::Fixed;
    f.fixed = std::move(bytes);
    return f;
}

// The four report schedules share one field: the pairs of the checked ones in Schedule mode.
PageField ReportSchedules(std::uint32_t offset) {
    PageField f;
    f.offset = offset;
    f.width = 8;
    f.encoding = FieldEncoding::Schedules;
    f.mode = Setting::ReportMode;
    f.modeOffset = ModeOffset(Setting::ReportMode);
    return f;
}

// The fields of a page: the settings the table places on it (the first row of those that
// repeat stands for every row) and the fields no setting holds, in order of offset.
PageLayout BuildLayout(std::uint32_t address, int rows, std::uint32_t rowStride,
                       std::vector<PageField> unheld) {
    PageLayout layout{address, rows, rowStride, std::move(unheld)};
    for (const WidgetRow& def : SettingsTable()) {
        if (def.place && def.place->page == address && def.id.row <= 1) {
            layout.fields.push_back(FieldOf(def.id.what, *def.place));
        }
    }
    std::stable_sort(layout.fields.begin(), layout.fields.end(),
                     [](const PageField& a, const PageField& b) { return a.offset < b.offset; });
    return layout;
}

}  // namespace

const PageLayout& NumbersPageLayout() {
    static const PageLayout layout = BuildLayout(kNumbersPageAddress, kNumberRows, 22, {});
    return layout;
}

const PageLayout& AlarmPageLayout() {
    static const PageLayout layout =
        BuildLayout(kAlarmPageAddress, kSensorCount, 36, {FixedBytes(25, {0xFF, 0xFF, 0xFF})});
    return layout;
}

const PageLayout& GprsPageLayout() {
    static const PageLayout layout = BuildLayout(kGprsPageAddress, 1, 0, {});
    return layout;
}

const PageLayout& SystemPageLayout() {
    static const PageLayout layout = BuildLayout(kSystemPageAddress, 1, 0,
                                                 {
                                                     FixedBytes(43, {0xFF}),
                                                     FixedBytes(44, {0x3C, 0x00}),  // u16 60
                                                     FixedBytes(75, {0xFF}),
                                                     FixedBytes(81, {0xFF}),
                                                     ReportSchedules(84),
                                                     FixedBytes(112, {'C'}),
                                                     FixedBytes(113, {0xFF}),
                                                     FixedBytes(116, {0xFF, 0xFF, 0xFF, 0xFF}),
                                                 });
    return layout;
}

std::vector<PlacedField> PlaceFields(const PageLayout& layout) {
    std::vector<PlacedField> placed;
    for (int row = 1; row <= layout.rows; ++row) {
        const std::uint32_t rowStart =
            layout.address + layout.rowStride * static_cast<std::uint32_t>(row - 1);
        for (const auto& field : layout.fields) {
            const WidgetRow* tableRow = nullptr;
            if (field.setting) {
                tableRow = &RowOf({*field.setting, layout.rows > 1 ? row : 0});
            }
            placed.push_back(
                {rowStart + field.offset, &field, tableRow, row, rowStart + field.modeOffset});
        }
    }
    return placed;
}

}  // namespace lgcset::settings
