// The review before a write: every stored setting that the write would change, as the user
// checks it (group, setting, the logger's value, the new one, the unit), and the settings
// and pages a write of the chosen rows sends. Built once for the window and lgcset-cli, and
// for a restore of kept pages.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "session/device_session.h"
#include "settings/parameter_image.h"
#include "settings/settings_model.h"

namespace lgcset::jobs {

using Pages = std::map<std::uint32_t, session::Page>;

// A byte of the pages that no setting owns, as a kept snapshot holds it.
struct RawByte {
    std::uint32_t page = 0;
    std::size_t offset = 0;
    std::uint8_t value = 0;
};

struct ReviewRow {
    std::string widget;  // edt_port; empty for a byte no setting owns

    std::string group;           // the group box's caption: "GPRS Connection setting"
    std::string caption;         // "Port"
    std::string logger;          // the logger's value in its own form: "8000", "not set (65535)"
    std::string typed;           // the new value in the same form
    std::string unit;            // as shown after the box: "mins"; may be empty
    std::optional<RawByte> raw;  // the byte to write, where the row is one no setting owns
};

// Every setting the pages store whose value in `logger` (its pages decoded) differs from
// `typed` as the logger would hold it, in the order of the settings table.
std::vector<ReviewRow> ReviewChanges(const settings::SettingsView& logger,
                                     const settings::SettingsView& typed);

// A write made without reading the logger first: every setting the pages store as `typed`
// has it (those an erased page would not hold already), its earlier value "not read".
std::vector<ReviewRow> UnreadChanges(std::span<const std::uint8_t> loginReply,
                                     const settings::SettingsView& typed);

// The bytes no setting owns where `kept` (a snapshot's pages) differs from `held` (the
// logger's), one row each ("GPRS page / byte 250 (no setting): 0x77 -> 0x00"): a restore
// brings the logger back byte for byte, and shows every byte it changes.
std::vector<ReviewRow> RawByteChanges(const Pages& held, const Pages& kept,
                                      const settings::SettingsView& typed,
                                      const settings::CodeTables& codes);

// "0x7F"
std::string HexByte(std::uint8_t byte);

// "numbers", "alarm", "GPRS", "system": the page's name in what the hosts say.
std::string PageName(std::uint32_t address);

// The row's setting as `from` holds it, into `to` (nothing for a byte no setting owns).
void CopyRowValue(const settings::SettingsView& from, settings::SettingsView& to,
                  const ReviewRow& row);

// Every setting of the pages as `from` holds it, into `to` (the login row stays).
void CopySettings(const settings::SettingsView& from, settings::SettingsView& to);

// The four pages of `settings` encoded over `base` (a page missing from it starts erased).
Pages EncodePages(const Pages& base, const settings::SettingsView& settings,
                  const settings::CodeTables& codes);

// "Group / Caption: old -> new", as the record and lgcset-cli show a row.
std::string ChangeLine(const ReviewRow& row);

struct WritePlan {
    Pages pages;                       // the four pages to write
    settings::SettingsModel settings;  // what they hold
    std::vector<ReviewRow> changes;    // the rows chosen
    std::string invalid;  // not empty: a chosen value cannot be stored, and nothing may go
};

// The logger's settings with only the chosen rows' new values (chosen[i] for rows[i]; a row
// beyond `chosen` is not chosen), encoded over `held`, the logger's pages as read, with the
// chosen bytes no setting owns: every other byte keeps what the logger holds (a page
// missing from `held` starts erased).
WritePlan PlanWrite(const Pages& held, const settings::SettingsModel& logger,
                    const settings::SettingsView& typed, const std::vector<ReviewRow>& rows,
                    const std::vector<bool>& chosen, const settings::CodeTables& codes);

}  // namespace lgcset::jobs
