// Where a profile came from: the logger and the program that saved it, kept in a section of
// its own that readers without it pass over as any section they do not know. A profile saved
// from another model or another logger is loaded only when the user says so.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "profiles/ini_file.h"

namespace lgcset::profiles {

inline constexpr const char* kOriginSection = "Origin";

struct ProfileOrigin {
    std::string model, firmware, deviceId;  // empty: not known
    std::string savedAt;                    // UTC, "2026-03-01T10:15:00Z"
    std::string program;                    // "lgcset 1.4.0"

    bool operator==(const ProfileOrigin&) const = default;
};

// The logger on the line as far as it is known; an empty model: not logged in.
struct LoggerIdentity {
    std::string model;
    std::string deviceId;  // empty: not read since the login
};

// Writes every key, an unknown one empty: a save over an older profile keeps none of the
// origin it had.
void WriteOrigin(IniFile& file, const ProfileOrigin& origin);
// Nothing for a file without the section.
std::optional<ProfileOrigin> ReadOrigin(const IniFile& file);

// "2026-03-01T10:15:00Z".
std::string UtcTimestamp(std::chrono::system_clock::time_point when);

// Nothing when the profile goes to this logger without asking: it names no origin, the
// logger is not known, or the model and the device ID match as far as both sides know them.
// Else why to ask: "saved from R483 (device 0123456789); the logger is R481"; the logger's
// device is named when only the IDs differ.
std::optional<std::string> OriginMismatch(const IniFile& file, const LoggerIdentity& logger);

// "This profile was <mismatch>. Load it anyway?"
std::string LoadAnywayQuestion(const std::string& mismatch);

}  // namespace lgcset::profiles
