// What a setting is, independent of the widget that shows it. The settings table holds each
// identifier's widget name, caption, limits and profile key.
#pragma once

#include <compare>

namespace lgcset::settings {

enum class Setting {
    // The login row: read from the login reply, and the password the login sends.
    Model,
    Firmware,
    LoginPassword,

    // System parameters.
    TimeAdjustment,
    SimNumber,
    DevicePassword,
    DeviceId,
    LogInterval,
    GpsEnable,
    PinVerification,
    PinCode,
    GprsFailureNumber,
    ReportMode,
    ReportNumber,
    ReportInterval,
    ScheduleEnabled,  // row: schedule 1..4
    ScheduleTime,     // row: schedule 1..4
    DialInRelayTime,
    UploadMode,
    UploadTimer,
    UploadTime,

    // Authorized numbers, row 1..6.
    Number,
    NumberCode1,
    NumberCode2,

    // GPRS connection.
    ServerAddress,
    SubServerAddress,
    ServerPort,
    Protocol,
    AccessPointName,
    GprsUser,
    GprsPassword,

    // Alarm parameters, row: sensor 1..4.
    SensorType,
    SensorUltraLow,
    SensorLow,
    SensorHigh,
    SensorUltraHigh,
    SensorRelayTime,
    SensorStep,
    SensorAlarmInterval,
    SensorVerifyTime,
    SensorAnalog,
    SensorRangeMin,
    SensorRangeMax,
};

inline constexpr int kSettingCount = static_cast<int>(Setting::SensorRangeMax) + 1;

// One setting; those that repeat (numbers, schedules, sensors) carry their row, counted
// from 1, the others row 0.
struct SettingId {
    Setting what = Setting::Model;
    int row = 0;

    constexpr SettingId() = default;
    // Implicit: a setting that does not repeat is its own identifier.
    constexpr SettingId(Setting setting, int n = 0) : what(setting), row(n) {}

    friend constexpr bool operator==(const SettingId&, const SettingId&) = default;
    friend constexpr auto operator<=>(const SettingId&, const SettingId&) = default;
};

}  // namespace lgcset::settings
