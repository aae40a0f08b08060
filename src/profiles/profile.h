// The settings profile: every setting of the window as one key of an INI file, saved in a
// fixed order and loaded in another, with the enabling rules run where a load runs them.
// Works on any settings view, so the window and the in-memory model load alike.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "profiles/ini_file.h"
#include "profiles/profile_origin.h"
#include "settings/settings_table.h"
#include "settings/settings_view.h"

namespace lgcset::profiles {

inline constexpr int kProfileKeyCount = 98;

// The widgets whose values a profile holds, in the order their keys are written (the
// settings table's profile positions 1 to 98).
const std::vector<const settings::WidgetRow*>& ProfileWidgets();

// Writes every key, in order, into file; other keys and lines of file stay.
void SaveProfile(const settings::SettingsView& view, IniFile& file);

// Applies every key to the view in the load order. A missing or unreadable value takes its
// default: empty text (the login password "8604"), item 0, unchecked, the picker's time
// kept. Indexes outside a list leave no item selected; list change reactions do not run,
// the upload and report mode rules run at their places instead; check boxes run their
// click reactions as each is set.
void LoadProfile(const IniFile& file, settings::SettingsView& view);

// How many of the keys a profile holds are not in file; kProfileKeyCount for a file that is
// no profile of this program at all (empty, another program's INI file, any other file).
int MissingProfileKeys(const IniFile& file);

// "<file> holds no settings of this program."
std::string NoSettingsMessage(const std::string& file);
// "cannot read the profile <file>: <why>", as a program refuses a profile named on its
// command line; `why` is kNoSuchFile when there is none.
std::string UnreadableProfileMessage(const std::string& file, const std::string& why);
inline constexpr const char* kNoSuchFile = "no such file";
// "<file> lacks 12 of the 98 settings; they take their defaults."
std::string MissingKeysMessage(const std::string& file, int missing);

// The two files operations. A save keeps what an existing file holds besides the keys and
// replaces it whole or not at all. A load applies a file only when it holds at least one
// of the keys: loading a file that holds none would blank every setting. Nothing is
// changed when a file could not be written or read (the reason in error, kNoSuchFile for a
// file that is not there), holds none, or holds a value that does not fit its setting (the
// message of profile_check.h in error).
enum class ProfileLoad { Loaded, Unreadable, NoSettings, Unfit, Declined };
bool SaveProfileFile(const settings::SettingsView& view, const std::filesystem::path& path,
                     std::string& error);
ProfileLoad LoadProfileFile(const std::filesystem::path& path, settings::SettingsView& view,
                            std::string& error);

// A save that says where the settings came from, in the file's [Origin] section.
bool SaveProfileFile(const settings::SettingsView& view, const ProfileOrigin& origin,
                     const std::filesystem::path& path, std::string& error);
// A load into the settings of `logger`: a file saved from another model or another logger
// (profile_origin.h) is applied only when `loadAnyway`, asked with why, says so; else
// Declined and nothing changed. It is asked after the file passed every check above.
using LoadAnyway = std::function<bool(const std::string& mismatch)>;
ProfileLoad LoadProfileFile(const std::filesystem::path& path, settings::SettingsView& view,
                            const LoggerIdentity& logger, const LoadAnyway& loadAnyway,
                            std::string& error);

}  // namespace lgcset::profiles
