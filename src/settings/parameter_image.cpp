#include "settings/parameter_image.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <string_view>

#include "settings/settings_table.h"
#include "settings/text_units.h"

namespace lgcset::settings {

std::span<std::uint8_t> ParameterImage::Bytes(std::size_t address, std::size_t count) {
    if (address >= kSize) {
        return {};
    }
    return std::span<std::uint8_t>(bytes_).subspan(address, std::min(count, kSize - address));
}

std::span<const std::uint8_t> ParameterImage::Bytes(std::size_t address, std::size_t count) const {
    if (address >= kSize) {
        return {};
    }
    return std::span<const std::uint8_t>(bytes_).subspan(address, std::min(count, kSize - address));
}

void ParameterImage::Store(std::size_t address, std::span<const std::uint8_t> bytes) {
    const auto target = Bytes(address, bytes.size());
    std::copy_n(bytes.begin(), target.size(), target.begin());
}

void ClearImage(ParameterImage& image) {
    const auto all = image.Bytes(0, ParameterImage::kSize);
    std::fill(all.begin(), all.end(), std::uint8_t{0xFF});
}

int ItemForCode(std::span<const std::uint8_t> codes, std::uint8_t code, std::size_t itemCount) {
    const std::size_t count = std::min(codes.size(), itemCount);
    for (std::size_t i = 0; i < count; ++i) {
        if (codes[i] == code) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

namespace {

using Bytes = std::span<std::uint8_t>;
using ConstBytes = std::span<const std::uint8_t>;

std::span<const std::uint8_t> TableOf(const CodeTables& codes, CodeTable table) {
    switch (table) {
        case CodeTable::Number:
            return codes.numberCodes;
        case CodeTable::Ain:
            return codes.ainCodes;
        case CodeTable::SensorType:
            return codes.sensorTypeCodes;
    }
    return {};
}

// Low bytes of value, least significant first, into all of out.
void PutInteger(Bytes out, std::uint32_t value) {
    for (auto& byte : out) {
        byte = static_cast<std::uint8_t>(value & 0xFF);
        value >>= 8;
    }
}

std::uint32_t GetInteger(ConstBytes in) {
    std::uint32_t value = 0;
    for (std::size_t i = in.size(); i > 0; --i) {
        value = (value << 8) | in[i - 1];
    }
    return value;
}

void PutText(Bytes out, std::string_view text) {
    std::fill(out.begin(), out.end(), kNotSet);
    const auto characters = DecodeUtf8(text);
    const std::size_t count = std::min(characters.size(), out.size());
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = ByteOfCharacter(characters[i]);
    }
}

// The bytes as characters, stopping before the first 0xFF when stopAtNotSet.
std::string GetText(ConstBytes in, bool stopAtNotSet) {
    std::string text;
    for (const std::uint8_t byte : in) {
        if (stopAtNotSet && byte == kNotSet) {
            break;
        }
        AppendUtf8(text, CharacterOfByte(byte));
    }
    return text;
}

// The stored form of edt_id: right-aligned in the field, '0' in front.
void PutRightAligned(Bytes out, std::string_view text) {
    auto characters = DecodeUtf8(text);
    if (characters.size() > out.size()) {
        characters.resize(out.size());
    }
    const std::size_t pad = out.size() - characters.size();
    std::fill_n(out.begin(), pad, std::uint8_t{'0'});
    for (std::size_t i = 0; i < characters.size(); ++i) {
        out[pad + i] = ByteOfCharacter(characters[i]);
    }
}

void PutFloat(Bytes out, float value) {
    PutInteger(out, std::bit_cast<std::uint32_t>(value));
}

float GetFloat(ConstBytes in) {
    return std::bit_cast<float>(GetInteger(in));
}

std::uint8_t CodeOfSelection(std::span<const std::uint8_t> table, int index) {
    // A list with no item selected stores the code of its first item.
    const std::size_t at = index < 0 ? 0 : static_cast<std::size_t>(index);
    return at < table.size() ? table[at] : kNotSet;
}

// Decimal box: empty gives the empty value; a text that is no integer gives it too, and
// reports the failure.
bool PutDecimal(Bytes out, std::string_view text, std::uint32_t emptyValue) {
    if (text.empty()) {
        PutInteger(out, emptyValue);
        return true;
    }
    const auto value = ToInteger(text);
    PutInteger(out, value ? static_cast<std::uint32_t>(*value) : emptyValue);
    return value.has_value();
}

// The setting of a field that has one (every field but the fixed bytes and the schedules).
SettingId SettingOf(const PlacedField& placed) {
    return placed.tableRow != nullptr ? placed.tableRow->id : SettingId{};
}

int CheckedScheduleCount(const SettingsView& view) {
    int count = 0;
    for (int k = 1; k <= 4; ++k) {
        count += view.Checked(SettingId{Setting::ScheduleEnabled, k}) ? 1 : 0;
    }
    return count;
}

bool EncodeField(const SettingsView& view, const PlacedField& placed, ParameterImage& image,
                 const CodeTables& codes) {
    const PageField& f = *placed.field;
    const Bytes out = image.Bytes(placed.address, f.width);
    const SettingId w = SettingOf(placed);
    using E = FieldEncoding;
    switch (f.encoding) {
        case E::Text:
            PutText(out, view.Text(w));
            return true;
        case E::PasswordText:
            PutText(out, "");
            PutText(out.first(kPasswordCharacters), view.Text(w));
            return true;
        case E::RightAlignedId:
            PutRightAligned(out, view.Text(w));
            return true;
        case E::Decimal:
            return PutDecimal(out, view.Text(w), f.emptyValue);
        case E::DigitSum: {
            const std::string text = view.Text(w);
            PutInteger(
                out, text.empty() ? f.emptyValue : static_cast<std::uint32_t>(ParseDecimal(text)));
            return true;
        }
        case E::Float32: {
            const std::string text = view.Text(w);
            const auto value = text.empty() ? std::optional<float>(f.emptyNumber) : ToFloat(text);
            PutFloat(out, value.value_or(f.emptyNumber));
            return value.has_value();
        }
        case E::Code:
            out[0] = CodeOfSelection(TableOf(codes, f.codeTable), view.ItemIndex(w));
            return true;
        case E::ItemIndex:
            out[0] = static_cast<std::uint8_t>(view.ItemIndex(w));  // none selected: 0xFF
            return true;
        case E::Flag:
            out[0] = view.Checked(w) ? 1 : 0;
            return true;
        case E::Fixed:
            std::copy(f.fixed.begin(), f.fixed.end(), out.begin());
            return true;
        case E::ModeByte: {
            const int mode = view.ItemIndex(w);
            if (mode == 0 || mode == 1) {
                out[0] = mode == 0 ? kTimerModeCode : kScheduleModeCode;
            }
            return true;
        }
        case E::UploadTimer:
        case E::ReportInterval: {
            const int mode = view.ItemIndex(*f.mode);
            if (mode == 0) {
                return PutDecimal(out, view.Text(w), 0);
            }
            if (mode == 1) {
                PutInteger(out, f.encoding == E::UploadTimer
                                    ? 0u
                                    : static_cast<std::uint32_t>(CheckedScheduleCount(view)));
            }
            return true;
        }
        case E::UploadTime: {
            const int mode = view.ItemIndex(*f.mode);
            if (mode == 0) {
                out[0] = kNotSet;
                out[1] = kNotSet;
            } else if (mode == 1) {
                const TimeOfDay t = view.Time(w);
                out[0] = static_cast<std::uint8_t>(t.hour);
                out[1] = static_cast<std::uint8_t>(t.minute);
            }
            return true;
        }
        case E::Schedules: {
            const int mode = view.ItemIndex(*f.mode);
            if (mode != 0 && mode != 1) {
                return true;
            }
            std::fill(out.begin(), out.end(), kNotSet);
            for (int k = 1; mode == 1 && k <= 4; ++k) {
                if (view.Checked(SettingId{Setting::ScheduleEnabled, k})) {
                    const TimeOfDay t = view.Time(SettingId{Setting::ScheduleTime, k});
                    const auto pair = static_cast<std::size_t>(2 * (k - 1));
                    out[pair] = static_cast<std::uint8_t>(t.hour);
                    out[pair + 1] = static_cast<std::uint8_t>(t.minute);
                }
            }
            return true;
        }
    }
    return true;
}

// A stored pair that is no time of day (the logger's memory can hold anything) is not shown.
bool IsTimeOfDay(std::uint8_t hour, std::uint8_t minute) {
    return hour < 24 && minute < 60;
}

// Upload mode decoding: 'D' Timer, 'M' Schedule, any other byte changes nothing.
void DecodeUploadTimer(SettingsView& view, const PlacedField& placed, std::uint8_t mode,
                       ConstBytes in) {
    if (mode == kTimerModeCode) {
        view.SetText(SettingOf(placed), std::to_string(GetInteger(in)));
        view.SetEnabled(SettingOf(placed), true);
    } else if (mode == kScheduleModeCode) {
        view.SetEnabled(SettingOf(placed), false);
    }
}

void DecodeUploadTime(SettingsView& view, const PlacedField& placed, std::uint8_t mode,
                      ConstBytes in) {
    if (mode == kTimerModeCode) {
        view.SetEnabled(SettingOf(placed), false);
        view.SetTime(SettingOf(placed), {0, 0});
    } else if (mode == kScheduleModeCode) {
        // The picker stays usable in Schedule mode even when no time was stored, so that
        // the user can set one.
        view.SetEnabled(SettingOf(placed), true);
        if (in[0] != kNotSet && IsTimeOfDay(in[0], in[1])) {
            view.SetTime(SettingOf(placed), {in[0], in[1]});
        }
    }
}

void DecodeReportInterval(SettingsView& view, const PlacedField& placed, std::uint8_t mode,
                          ConstBytes in) {
    if (mode == kTimerModeCode) {
        view.SetText(SettingOf(placed), std::to_string(GetInteger(in)));
        view.SetEnabled(SettingOf(placed), true);
    } else if (mode == kScheduleModeCode) {
        view.SetEnabled(SettingOf(placed), false);  // the stored count is not used
    }
}

void DecodeSchedules(SettingsView& view, std::uint8_t mode, ConstBytes in) {
    if (mode == kTimerModeCode) {
        for (int k = 1; k <= 4; ++k) {
            view.SetChecked(SettingId{Setting::ScheduleEnabled, k}, false);
            view.SetEnabled(SettingId{Setting::ScheduleEnabled, k}, false);
            view.SetEnabled(SettingId{Setting::ScheduleTime, k}, false);
            view.SetTime(SettingId{Setting::ScheduleTime, k}, {0, 0});
        }
    } else if (mode == kScheduleModeCode) {
        for (int k = 1; k <= 4; ++k) {
            const auto pair = static_cast<std::size_t>(2 * (k - 1));
            if (in[pair] == kNotSet) {
                view.SetChecked(SettingId{Setting::ScheduleEnabled, k}, false);
                view.SetEnabled(SettingId{Setting::ScheduleTime, k}, false);
            } else {
                view.SetEnabled(SettingId{Setting::ScheduleEnabled, k}, true);
                view.SetChecked(SettingId{Setting::ScheduleEnabled, k}, true);
                view.SetEnabled(SettingId{Setting::ScheduleTime, k}, true);
                if (IsTimeOfDay(in[pair], in[pair + 1])) {
                    view.SetTime(SettingId{Setting::ScheduleTime, k}, {in[pair], in[pair + 1]});
                }
            }
        }
        // Schedule 1 follows the mode alone: it stays available even when none was stored.
        view.SetEnabled(SettingId{Setting::ScheduleEnabled, 1}, true);
        view.SetEnabled(SettingId{Setting::ScheduleTime, 1}, true);
    }
}

void DecodeField(SettingsView& view, const PlacedField& placed, const ParameterImage& image,
                 const CodeTables& codes) {
    const PageField& f = *placed.field;
    const ConstBytes in = image.Bytes(placed.address, f.width);
    const SettingId w = SettingOf(placed);
    using E = FieldEncoding;
    switch (f.encoding) {
        case E::Text:
        case E::PasswordText:
            view.SetText(w, GetText(in, true));
            return;
        case E::RightAlignedId:
            view.SetText(w, GetText(in, false));
            return;
        case E::Decimal:
        case E::DigitSum:
            view.SetText(w, std::to_string(GetInteger(in)));
            return;
        case E::Float32:
            view.SetText(w, FormatTwoDecimals(GetFloat(in)));
            return;
        case E::Code: {
            const int item = ItemForCode(TableOf(codes, f.codeTable), in[0], view.Items(w).size());
            if (item >= 0) {
                view.SetItemIndex(w, item);
            }
            return;
        }
        case E::ItemIndex:
            // A byte beyond the items leaves none selected, as a list does for such an index.
            view.SetItemIndex(w, in[0] < view.Items(w).size() ? in[0] : -1);
            return;
        case E::Flag:
            view.SetChecked(w, in[0] != 0);
            return;
        case E::Fixed:
            return;
        case E::ModeByte:
            if (in[0] == kTimerModeCode || in[0] == kScheduleModeCode) {
                view.SetItemIndex(w, in[0] == kTimerModeCode ? 0 : 1);
            }
            return;
        case E::UploadTimer:
            DecodeUploadTimer(view, placed, image[placed.modeAddress], in);
            return;
        case E::UploadTime:
            DecodeUploadTime(view, placed, image[placed.modeAddress], in);
            return;
        case E::ReportInterval:
            DecodeReportInterval(view, placed, image[placed.modeAddress], in);
            return;
        case E::Schedules:
            DecodeSchedules(view, image[placed.modeAddress], in);
            return;
    }
}

bool EncodeLayout(const PageLayout& layout, const SettingsView& view, ParameterImage& image,
                  const CodeTables& codes) {
    bool allConverted = true;
    for (const auto& placed : PlaceFields(layout)) {
        allConverted = EncodeField(view, placed, image, codes) && allConverted;
    }
    return allConverted;
}

bool DecodeLayout(const PageLayout& layout, SettingsView& view, const ParameterImage& image,
                  const CodeTables& codes) {
    for (const auto& placed : PlaceFields(layout)) {
        DecodeField(view, placed, image, codes);
    }
    return true;
}

// The first character of `text` that no stored byte stands for (a malformed byte reads as
// U+FFFD), as UTF-8; empty when every character has its byte.
std::string FirstUnstorable(std::string_view text) {
    std::string character;
    for (const char32_t c : DecodeUtf8(text)) {
        if (c > CharacterOfByte(0xFF)) {
            AppendUtf8(character, c);
            break;
        }
    }
    return character;
}

// Where a typed integer stands against the largest number its field holds.
std::optional<InvalidReason> IntegerProblem(std::string_view text, bool digitsOnly,
                                            std::uint32_t maximum) {
    const auto value = ToWideInteger(text);
    if (!value) {
        return InvalidReason::NotANumber;
    }
    // The digit sum reads a sign as a digit, so a signed text would be stored as another
    // number: '-' is refused as a negative number, '+' as no number.
    if (digitsOnly && text.front() == '+') {
        return InvalidReason::NotANumber;
    }
    if (*value < 0 || (digitsOnly && text.front() == '-') || *value > std::int64_t{maximum}) {
        return InvalidReason::OutOfRange;
    }
    return std::nullopt;
}

std::uint32_t LargestOfWidth(std::uint32_t width) {
    return width >= 4 ? 0xFFFFFFFFu : (std::uint32_t{1} << (8 * width)) - 1;
}

// The characters a text field keeps; the boxes limit typing to it, a loaded profile may
// bring more.
std::uint32_t CharacterCapacity(const PageField& f) {
    return f.encoding == FieldEncoding::PasswordText ? kPasswordCharacters : f.width;
}

std::optional<InvalidReason> Problem(const SettingsView& view, const PlacedField& placed) {
    const PageField& f = *placed.field;
    using E = FieldEncoding;
    const auto text = [&] { return view.Text(SettingOf(placed)); };
    switch (f.encoding) {
        case E::UploadTimer:
        case E::ReportInterval:
            if (view.ItemIndex(*f.mode) != 0) {
                return std::nullopt;
            }
            [[fallthrough]];
        case E::Decimal:
        case E::DigitSum: {
            const std::string typed = text();
            if (typed.empty()) {
                return std::nullopt;
            }
            return IntegerProblem(typed, f.encoding == E::DigitSum, LargestOfWidth(f.width));
        }
        case E::Float32: {
            const std::string typed = text();
            if (typed.empty() || ToFloat(typed).has_value()) {
                return std::nullopt;
            }
            return InvalidReason::NotANumber;
        }
        case E::Text:
        case E::PasswordText:
        case E::RightAlignedId: {
            const std::string typed = text();
            if (!FirstUnstorable(typed).empty()) {
                return InvalidReason::CharacterNotStorable;
            }
            if (DecodeUtf8(typed).size() > CharacterCapacity(f)) {
                return InvalidReason::TooLong;
            }
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

}  // namespace

bool EncodeNumbersPage(const SettingsView& view, ParameterImage& image, const CodeTables& codes) {
    return EncodeLayout(NumbersPageLayout(), view, image, codes);
}
bool EncodeAlarmPage(const SettingsView& view, ParameterImage& image, const CodeTables& codes) {
    return EncodeLayout(AlarmPageLayout(), view, image, codes);
}
bool EncodeGprsPage(const SettingsView& view, ParameterImage& image, const CodeTables& codes) {
    return EncodeLayout(GprsPageLayout(), view, image, codes);
}
bool EncodeSystemPage(const SettingsView& view, ParameterImage& image, const CodeTables& codes) {
    return EncodeLayout(SystemPageLayout(), view, image, codes);
}

bool DecodeNumbersPage(SettingsView& view, const ParameterImage& image, const CodeTables& codes) {
    return DecodeLayout(NumbersPageLayout(), view, image, codes);
}
bool DecodeAlarmPage(SettingsView& view, const ParameterImage& image, const CodeTables& codes) {
    return DecodeLayout(AlarmPageLayout(), view, image, codes);
}
bool DecodeGprsPage(SettingsView& view, const ParameterImage& image, const CodeTables& codes) {
    return DecodeLayout(GprsPageLayout(), view, image, codes);
}
bool DecodeSystemPage(SettingsView& view, const ParameterImage& image, const CodeTables& codes) {
    return DecodeLayout(SystemPageLayout(), view, image, codes);
}

bool EncodePage(std::uint32_t address, const SettingsView& view, ParameterImage& image,
                const CodeTables& codes) {
    switch (address) {
        case kNumbersPageAddress:
            return EncodeNumbersPage(view, image, codes);
        case kAlarmPageAddress:
            return EncodeAlarmPage(view, image, codes);
        case kGprsPageAddress:
            return EncodeGprsPage(view, image, codes);
        case kSystemPageAddress:
            return EncodeSystemPage(view, image, codes);
        default:
            return false;
    }
}

bool DecodePage(std::uint32_t address, SettingsView& view, const ParameterImage& image,
                const CodeTables& codes) {
    switch (address) {
        case kNumbersPageAddress:
            return DecodeNumbersPage(view, image, codes);
        case kAlarmPageAddress:
            return DecodeAlarmPage(view, image, codes);
        case kGprsPageAddress:
            return DecodeGprsPage(view, image, codes);
        case kSystemPageAddress:
            return DecodeSystemPage(view, image, codes);
        default:
            return false;
    }
}

std::vector<InvalidField> ValidateForSave(const SettingsView& view) {
    std::vector<InvalidField> invalid;
    for (const PageLayout* layout :
         {&NumbersPageLayout(), &AlarmPageLayout(), &GprsPageLayout(), &SystemPageLayout()}) {
        for (const auto& placed : PlaceFields(*layout)) {
            if (const auto problem = Problem(view, placed)) {
                const bool text = *problem == InvalidReason::TooLong;
                const std::string typed = view.Text(SettingOf(placed));
                invalid.push_back(
                    {placed.tableRow->name, UserCaption(*placed.tableRow), *problem, typed,
                     text ? CharacterCapacity(*placed.field) : LargestOfWidth(placed.field->width),
                     FirstUnstorable(typed)});
            }
        }
    }
    return invalid;
}

std::string InvalidFieldsMessage(const std::vector<InvalidField>& fields) {
    if (fields.empty()) {
        return {};
    }
    const InvalidField& first = fields.front();
    if (first.reason == InvalidReason::TooLong) {
        return first.caption + ": \"" + first.value + "\" does not fit; the logger holds " +
               std::to_string(first.maximum) + " characters.";
    }
    if (first.reason == InvalidReason::OutOfRange) {
        return first.caption + ": " + first.value + " does not fit; the logger holds 0 to " +
               std::to_string(first.maximum) + ".";
    }
    if (first.reason == InvalidReason::CharacterNotStorable) {
        return "The value of \"" + first.caption + "\" holds \"" + first.character +
               "\", which the logger cannot store.";
    }
    return "The value of \"" + first.caption +
           "\" is not a valid number. Nothing was written to the device.";
}

}  // namespace lgcset::settings
