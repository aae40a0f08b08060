#include "jobs/settings_review.h"

#include "jobs/settings_jobs.h"
#include "settings/held_settings.h"
#include "settings/number_text.h"
#include "settings/settings_table.h"

namespace lgcset::jobs {

namespace {

using settings::FieldEncoding;
using settings::WidgetRow;

// What an empty box stores where that means "not set" (an interval of 255, a port of
// 65535, a threshold of 999.00), as the logger's value shows it; empty where an empty box
// is a plain 0.
std::string NotSetValue(const WidgetRow& widget) {
    if (!widget.place)
        return {};
    switch (widget.place->encoding) {
        case FieldEncoding::Decimal:
        case FieldEncoding::DigitSum:
            return widget.place->emptyValue == 0 ? std::string()
                                                 : std::to_string(widget.place->emptyValue);
        case FieldEncoding::Float32:
            return settings::FormatTwoDecimals(widget.place->emptyNumber);
        default:
            return {};
    }
}

std::string Shown(const std::string& value, const std::string& notSet) {
    return !notSet.empty() && value == notSet ? "not set (" + value + ")" : value;
}

// The setting's own caption; the group is named beside it.
std::string Caption(const WidgetRow& widget) {
    std::string caption = widget.caption.empty() ? widget.checkText : widget.caption;
    if (!caption.empty() && caption.back() == ':')
        caption.pop_back();
    return caption.empty() ? settings::DifferenceCaption(widget) : caption;
}

std::string GroupCaption(const WidgetRow& widget) {
    const settings::GroupRow* group = settings::FindGroup(widget.group);
    std::string caption = group != nullptr ? group->caption : widget.group;
    while (!caption.empty() && caption.back() == ' ')
        caption.pop_back();  // a box's caption can carry a trailing blank
    return caption;
}

void CopyValue(const settings::SettingsView& from, settings::SettingsView& to,
               const WidgetRow& widget) {
    switch (widget.kind) {
        case settings::WidgetKind::Edit:
        case settings::WidgetKind::ReadOnlyEdit:
            to.SetText(widget.id, from.Text(widget.id));
            return;
        case settings::WidgetKind::List:
            to.SetItemIndex(widget.id, from.ItemIndex(widget.id));
            return;
        case settings::WidgetKind::CheckBox:
            to.SetChecked(widget.id, from.Checked(widget.id));
            return;
        case settings::WidgetKind::TimePicker:
            to.SetTime(widget.id, from.Time(widget.id));
            return;
    }
}

}  // namespace

std::vector<ReviewRow> ReviewChanges(const settings::SettingsView& logger,
                                     const settings::SettingsView& typed) {
    std::vector<ReviewRow> rows;
    for (const settings::SettingDifference& d : settings::DiffHeldSettings(logger, typed)) {
        const WidgetRow& widget = *settings::FindWidget(d.widget);
        const std::string notSet = NotSetValue(widget);
        rows.push_back({d.widget, GroupCaption(widget), Caption(widget), Shown(d.left, notSet),
                        Shown(d.right, notSet), widget.unit, std::nullopt});
    }
    return rows;
}

std::vector<ReviewRow> UnreadChanges(std::span<const std::uint8_t> loginReply,
                                     const settings::SettingsView& typed) {
    settings::SettingsModel erased;
    DecodePages({}, loginReply, erased);
    std::vector<ReviewRow> rows = ReviewChanges(erased, typed);
    for (ReviewRow& row : rows) row.logger = "not read";
    return rows;
}

std::string HexByte(std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {'0', 'x', kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

std::string PageName(std::uint32_t address) {
    switch (address) {
        case settings::kNumbersPageAddress:
            return "numbers";
        case settings::kAlarmPageAddress:
            return "alarm";
        case settings::kGprsPageAddress:
            return "GPRS";
        default:
            return "system";
    }
}

std::vector<ReviewRow> RawByteChanges(const Pages& held, const Pages& kept,
                                      const settings::SettingsView& typed,
                                      const settings::CodeTables& codes) {
    // Encoded alike over both, the pages differ only where no setting writes.
    const Pages overHeld = EncodePages(held, typed, codes);
    const Pages overKept = EncodePages(kept, typed, codes);
    std::vector<ReviewRow> rows;
    for (const auto& [address, page] : overKept) {
        const session::Page& logger = overHeld.at(address);
        for (std::size_t offset = 0; offset < page.size(); ++offset) {
            if (page[offset] == logger[offset])
                continue;
            const std::uint8_t value =
                kept.count(address) != 0 ? kept.at(address)[offset] : page[offset];
            rows.push_back({{},
                            PageName(address) + " page",
                            "byte " + std::to_string(offset) + " (no setting)",
                            HexByte(logger[offset]),
                            HexByte(value),
                            {},
                            RawByte{address, offset, value}});
        }
    }
    return rows;
}

void CopyRowValue(const settings::SettingsView& from, settings::SettingsView& to,
                  const ReviewRow& row) {
    if (!row.raw)
        CopyValue(from, to, *settings::FindWidget(row.widget));
}

void CopySettings(const settings::SettingsView& from, settings::SettingsView& to) {
    for (const WidgetRow& widget : settings::SettingsTable())
        if (widget.group != settings::kLoginGroup &&
            widget.kind != settings::WidgetKind::ReadOnlyEdit)
            CopyValue(from, to, widget);
}

Pages EncodePages(const Pages& base, const settings::SettingsView& settings,
                  const settings::CodeTables& codes) {
    Pages pages;
    settings::ParameterImage image;
    for (const std::uint32_t address : settings::kSettingsPages) {
        if (const auto page = base.find(address); page != base.end())
            image.Store(address, page->second);
        settings::EncodePage(address, settings, image, codes);
        const auto bytes = image.Bytes(address, session::Page{}.size());
        std::copy(bytes.begin(), bytes.end(), pages[address].begin());
    }
    return pages;
}

std::string ChangeLine(const ReviewRow& row) {
    std::string line = row.group + " / " + row.caption + ": " + row.logger + " -> " + row.typed;
    if (!row.unit.empty())
        line += " " + row.unit;
    return line;
}

WritePlan PlanWrite(const Pages& held, const settings::SettingsModel& logger,
                    const settings::SettingsView& typed, const std::vector<ReviewRow>& rows,
                    const std::vector<bool>& chosen, const settings::CodeTables& codes) {
    WritePlan plan{{}, logger, {}, {}};
    Pages base = EncodePages(held, logger, codes);  // all four pages, a missing one erased
    for (std::size_t i = 0; i < rows.size() && i < chosen.size(); ++i) {
        if (!chosen[i])
            continue;
        if (const auto& raw = rows[i].raw)
            base[raw->page][raw->offset] = raw->value;
        else
            CopyValue(typed, plan.settings, *settings::FindWidget(rows[i].widget));
        plan.changes.push_back(rows[i]);
    }
    if (const auto invalid = settings::ValidateForSave(plan.settings); !invalid.empty()) {
        plan.invalid = settings::InvalidFieldsMessage(invalid);
        return plan;
    }
    plan.pages = EncodePages(base, plan.settings, codes);
    return plan;
}

}  // namespace lgcset::jobs
