#include "profiles/profile_origin.h"

#include <cstdio>

namespace lgcset::profiles {
namespace {

constexpr const char* kModelKey = "model";
constexpr const char* kFirmwareKey = "firmware";
constexpr const char* kDeviceIdKey = "device_id";
constexpr const char* kSavedAtKey = "saved_at";
constexpr const char* kProgramKey = "program";

std::string WithDevice(const std::string& model, const std::string& deviceId) {
    std::string named = model.empty() ? std::string("a logger") : model;
    if (!deviceId.empty())
        named += " (device " + deviceId + ")";
    return named;
}

// Both sides know it and it differs.
bool Differs(const std::string& profile, const std::string& logger) {
    return !profile.empty() && !logger.empty() && profile != logger;
}

}  // namespace

void WriteOrigin(IniFile& file, const ProfileOrigin& origin) {
    file.Write(kOriginSection, kModelKey, origin.model);
    file.Write(kOriginSection, kFirmwareKey, origin.firmware);
    file.Write(kOriginSection, kDeviceIdKey, origin.deviceId);
    file.Write(kOriginSection, kSavedAtKey, origin.savedAt);
    file.Write(kOriginSection, kProgramKey, origin.program);
}

std::optional<ProfileOrigin> ReadOrigin(const IniFile& file) {
    if (!file.HasSection(kOriginSection))
        return std::nullopt;
    const auto value = [&](const char* key) { return file.Read(kOriginSection, key).value_or(""); };
    return ProfileOrigin{value(kModelKey), value(kFirmwareKey), value(kDeviceIdKey),
                         value(kSavedAtKey), value(kProgramKey)};
}

std::string UtcTimestamp(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto day = floor<days>(when);
    const year_month_day date{day};
    const hh_mm_ss time{floor<seconds>(when - day)};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

std::optional<std::string> OriginMismatch(const IniFile& file, const LoggerIdentity& logger) {
    const auto origin = ReadOrigin(file);
    if (!origin || logger.model.empty())
        return std::nullopt;
    const bool otherModel = Differs(origin->model, logger.model);
    const bool otherDevice = Differs(origin->deviceId, logger.deviceId);
    if (!otherModel && !otherDevice)
        return std::nullopt;
    return "saved from " + WithDevice(origin->model, origin->deviceId) + "; the logger is " +
           (otherModel ? logger.model : WithDevice(logger.model, logger.deviceId));
}

std::string LoadAnywayQuestion(const std::string& mismatch) {
    return "This profile was " + mismatch + ". Load it anyway?";
}

}  // namespace lgcset::profiles
