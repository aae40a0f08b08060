#include "settings/held_settings.h"

#include <algorithm>
#include <string>

#include "settings/number_text.h"
#include "settings/page_layout.h"
#include "settings/settings_table.h"
#include "settings/text_units.h"

namespace lgcset::settings {
namespace {

// A typed integer as the decoder shows the stored one; a text that is no number (a save
// refuses it) as it is, so it differs from anything the logger shows.
std::string IntegerShown(const std::string& typed, std::uint32_t emptyValue) {
    if (typed.empty())
        return std::to_string(emptyValue);
    const auto value = ToWideInteger(typed);
    return value ? std::to_string(*value) : typed;
}

std::string FloatShown(const std::string& typed, float emptyNumber) {
    if (typed.empty())
        return FormatTwoDecimals(emptyNumber);
    const auto value = ToFloat(typed);
    return value ? FormatTwoDecimals(*value) : typed;
}

// The ID is kept right-aligned behind '0's and read back with them.
std::string IdShown(const std::string& typed, std::uint32_t width) {
    std::vector<char32_t> characters = DecodeUtf8(typed);
    if (characters.size() < width)
        characters.insert(characters.begin(), width - characters.size(), U'0');
    return EncodeUtf8(characters);
}

std::string ListShown(const SettingsView& view, SettingId widget, bool firstWhenNone) {
    // A list with no item selected stores the code of its first item.
    if (firstWhenNone && view.ItemIndex(widget) < 0) {
        const std::vector<std::string> items = view.Items(widget);
        return items.empty() ? std::string() : items.front();
    }
    return ValueText(view, RowOf(widget));
}

struct Comparison {
    SettingId widget;
    std::string logger;
    std::string typed;
};

void CompareShown(const SettingsView& logger, const SettingsView& typed, SettingId widget,
                  std::vector<Comparison>& out) {
    const WidgetRow& entry = RowOf(widget);
    out.push_back({widget, ValueText(logger, entry), ValueText(typed, entry)});
}

void CompareField(const SettingsView& logger, const SettingsView& typed, const PlacedField& placed,
                  std::vector<Comparison>& out) {
    const PageField& f = *placed.field;
    const SettingId w = placed.tableRow != nullptr ? placed.tableRow->id : SettingId{};
    const int mode = f.mode ? typed.ItemIndex(*f.mode) : -1;
    using E = FieldEncoding;
    switch (f.encoding) {
        case E::Text:
        case E::PasswordText:
            out.push_back({w, logger.Text(w), typed.Text(w)});
            return;
        case E::RightAlignedId:
            out.push_back({w, logger.Text(w), IdShown(typed.Text(w), f.width)});
            return;
        case E::Decimal:
        case E::DigitSum:
            out.push_back({w, logger.Text(w), IntegerShown(typed.Text(w), f.emptyValue)});
            return;
        case E::UploadTimer:
        case E::ReportInterval:
            if (mode == 0)
                out.push_back({w, logger.Text(w), IntegerShown(typed.Text(w), 0)});
            return;
        case E::Float32:
            out.push_back({w, logger.Text(w), FloatShown(typed.Text(w), f.emptyNumber)});
            return;
        case E::Code:
            out.push_back({w, ListShown(logger, w, false), ListShown(typed, w, true)});
            return;
        case E::ItemIndex:
        case E::Flag:
            CompareShown(logger, typed, w, out);
            return;
        case E::ModeByte:
            // A list with neither mode selected leaves its byte unwritten.
            if (typed.ItemIndex(w) == 0 || typed.ItemIndex(w) == 1)
                CompareShown(logger, typed, w, out);
            return;
        case E::UploadTime:
            if (mode == 1)
                CompareShown(logger, typed, w, out);
            return;
        case E::Schedules:
            for (int k = 1; mode == 1 && k <= 4; ++k) {
                CompareShown(logger, typed, SettingId{Setting::ScheduleEnabled, k}, out);
                if (typed.Checked(SettingId{Setting::ScheduleEnabled, k}))
                    CompareShown(logger, typed, SettingId{Setting::ScheduleTime, k}, out);
            }
            return;
        case E::Fixed:
            return;
    }
}

}  // namespace

std::vector<SettingDifference> DiffHeldSettings(const SettingsView& logger,
                                                const SettingsView& typed) {
    std::vector<Comparison> comparisons;
    for (const PageLayout* layout :
         {&NumbersPageLayout(), &AlarmPageLayout(), &GprsPageLayout(), &SystemPageLayout()})
        for (const PlacedField& placed : PlaceFields(*layout))
            CompareField(logger, typed, placed, comparisons);

    std::vector<SettingDifference> differences;
    for (const auto& widget : SettingsTable()) {
        const auto found = std::find_if(comparisons.begin(), comparisons.end(),
                                        [&](const Comparison& c) { return c.widget == widget.id; });
        if (found != comparisons.end() && found->logger != found->typed)
            differences.push_back(
                {widget.name, DifferenceCaption(widget), found->logger, found->typed});
    }
    return differences;
}

}  // namespace lgcset::settings
