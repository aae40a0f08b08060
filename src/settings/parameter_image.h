// The configurator's image of the logger's parameter memory and the conversion of the four
// settings pages between the image and the settings widgets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "settings/number_text.h"
#include "settings/page_layout.h"
#include "settings/settings_view.h"

namespace lgcset::settings {

// 65,536 bytes; the byte at index a stands for memory address a. Starts cleared (0xFF).
class ParameterImage {
public:
    static constexpr std::size_t kSize = 65536;

    ParameterImage() : bytes_(kSize, 0xFF) {}

    std::uint8_t& operator[](std::size_t address) { return bytes_.at(address); }
    std::uint8_t operator[](std::size_t address) const { return bytes_.at(address); }

    // The count bytes from address on, cut short at the end of the image.
    std::span<std::uint8_t> Bytes(std::size_t address, std::size_t count);
    std::span<const std::uint8_t> Bytes(std::size_t address, std::size_t count) const;

    // Copies bytes into the image from address on; what would fall past the end is dropped.
    void Store(std::size_t address, std::span<const std::uint8_t> bytes);

    std::span<const std::uint8_t> All() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

// Every byte set to 0xFF.
void ClearImage(ParameterImage& image);

// The code bytes stored for list items. numberCodes (NumberCodes) serve Code1/Code2 of the
// authorised numbers, ainCodes (AinCodes) the analog input kind, sensorTypeCodes
// (SensorTypeCodes) the sensor type lists; the last is changed by the channel layout at
// login, so the window owns one CodeTables for its whole life.
struct CodeTables {
    std::array<std::uint8_t, 9> numberCodes{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    std::array<std::uint8_t, 4> ainCodes{'0', '1', '2', '3'};
    std::array<std::uint8_t, 3> sensorTypeCodes{'C', 'F', 'B'};
};

// The item of a list that a stored code selects: the first index whose entry in codes
// equals code, among the list's itemCount items; -1 when none does.
int ItemForCode(std::span<const std::uint8_t> codes, std::uint8_t code, std::size_t itemCount);

// Encoding reads the widgets through the view and writes the page's fields into the image
// (other bytes are left as they are; a save clears the image first). Texts take one byte per
// character: Latin-1 characters as themselves, any other character as '?', never more than
// the field's width. A text that does not convert (see ValidateForSave) never crashes the
// encoder: the field takes its empty-box value and the result is false.
bool EncodeNumbersPage(const SettingsView& view, ParameterImage& image, const CodeTables& codes);
bool EncodeAlarmPage(const SettingsView& view, ParameterImage& image, const CodeTables& codes);
bool EncodeGprsPage(const SettingsView& view, ParameterImage& image, const CodeTables& codes);
bool EncodeSystemPage(const SettingsView& view, ParameterImage& image, const CodeTables& codes);

// Decoding writes the page's fields into the widgets (and, for the system page, the enabled
// states of the upload and report groups). Stored bytes come back as Latin-1 characters.
// Any byte the logger sends is handled; the result is always true.
bool DecodeNumbersPage(SettingsView& view, const ParameterImage& image, const CodeTables& codes);
bool DecodeAlarmPage(SettingsView& view, const ParameterImage& image, const CodeTables& codes);
bool DecodeGprsPage(SettingsView& view, const ParameterImage& image, const CodeTables& codes);
bool DecodeSystemPage(SettingsView& view, const ParameterImage& image, const CodeTables& codes);

// The four settings pages in the order a save and a read move them.
inline constexpr std::array<std::uint32_t, 4> kSettingsPages{kNumbersPageAddress, kAlarmPageAddress,
                                                             kGprsPageAddress, kSystemPageAddress};

// The Encode / Decode operation of the page at address; false for an address that is not
// one of kSettingsPages (and, for encoding, when a field did not convert).
bool EncodePage(std::uint32_t address, const SettingsView& view, ParameterImage& image,
                const CodeTables& codes);
bool DecodePage(std::uint32_t address, SettingsView& view, const ParameterImage& image,
                const CodeTables& codes);

// A field whose text cannot be stored: a decimal box that is not an integer (edt_port,
// edt_rec_time, edt_relay_time, and edt_gprstimeup / edt1 while their mode is "Timer"), an
// alarm count or time box (step, relay working time, alarming interval and verify time)
// that is not a plain string of digits, a threshold or range box that is not a decimal
// number, or a text box holding a character beyond the one byte per character that the
// logger keeps (it would go out as '?': a server name or GPRS password typed or pasted with
// such a character would be silently wrong). An integer that its unsigned 8 or 16 bits
// cannot hold, negative ones included, is refused as well: it would be stored as its low
// bits and read back as another number; so is a text longer than its field keeps (only a
// loaded profile brings one: the boxes stop typing at the field's length). Empty boxes are
// fine.
enum class InvalidReason { NotANumber, CharacterNotStorable, OutOfRange, TooLong };
struct InvalidField {
    std::string widget;   // the widget's name: edt_port
    std::string caption;  // as the user sees it: "Port", "Ultra-low (Alarm parameters setting2)"
    InvalidReason reason = InvalidReason::NotANumber;
    std::string value;          // the text as typed
    std::uint32_t maximum = 0;  // the largest number the field holds, or its characters
    std::string character;      // CharacterNotStorable: the first such character, as UTF-8
};

// Every field that would not convert, in page order (numbers, alarm, GPRS, system).
// A save must send nothing while this is not empty.
std::vector<InvalidField> ValidateForSave(const SettingsView& view);

// The message for a save refused because of invalid fields, naming the first of them:
// The value of "Port" is not a valid number. Nothing was written to the device.
// The value of "User Name" holds "€", which the logger cannot store.
// Log interval timer: 300 does not fit; the logger holds 0 to 255.
// No.1: "+86138001380001234567" does not fit; the logger holds 20 characters.
std::string InvalidFieldsMessage(const std::vector<InvalidField>& fields);

}  // namespace lgcset::settings
