#include "settings/settings_table.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <unordered_map>

#include "settings/page_layout.h"

namespace lgcset::settings {
namespace {

// Replaces every "{N}" in text by the number n.
std::string WithNumber(std::string text, int n) {
    const std::string mark = "{N}";
    const std::string number = std::to_string(n);
    for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark, at)) {
        text.replace(at, mark.size(), number);
        at += number.size();
    }
    return text;
}

// The schedules' widgets are numbered on from the GPS box and the first date pickers.
std::string ScheduleCheckName(int k) {
    return "CheckBox" + std::to_string(k + 1);
}
std::string ScheduleTimeName(int k) {
    return "DateTimePicker" + std::to_string(k + 4);
}

// One entry per row n, generated from a template whose texts carry "{N}". The template's
// profile position is that of row 1; each further row's key comes profileStride later.
void AppendRow(std::vector<WidgetRow>& table, const WidgetRow& rowTemplate, int n,
               std::string_view group, int profileStride) {
    WidgetRow def = rowTemplate;
    def.profileOrder += (n - 1) * profileStride;
    def.name = WithNumber(def.name, n);
    def.caption = WithNumber(def.caption, n);
    def.profileSection = WithNumber(def.profileSection, n);
    def.profileKey = WithNumber(def.profileKey, n);
    def.group = std::string(group);
    def.id.row = n;
    table.push_back(std::move(def));
}

WidgetRow Edit(SettingId id, std::string name, std::string caption, int maxLength,
                std::string defaultText, KeyFilter filter, std::string section, std::string key) {
    WidgetRow def;
    def.id = id;
    def.name = std::move(name);
    def.kind = WidgetKind::Edit;
    def.caption = std::move(caption);
    def.maxLength = maxLength;
    def.defaultText = std::move(defaultText);
    def.filter = filter;
    def.profileSection = std::move(section);
    def.profileKey = std::move(key);
    return def;
}

WidgetRow List(SettingId id, std::string name, std::string caption, std::vector<std::string> items,
                int defaultIndex, std::string section, std::string key) {
    WidgetRow def;
    def.id = id;
    def.name = std::move(name);
    def.kind = WidgetKind::List;
    def.caption = std::move(caption);
    def.items = std::move(items);
    def.defaultIndex = defaultIndex;
    def.profileSection = std::move(section);
    def.profileKey = std::move(key);
    return def;
}

WidgetRow Check(SettingId id, std::string name, std::string caption, std::string checkText,
                 std::string section, std::string key) {
    WidgetRow def;
    def.id = id;
    def.name = std::move(name);
    def.kind = WidgetKind::CheckBox;
    def.caption = std::move(caption);
    def.checkText = std::move(checkText);
    def.profileSection = std::move(section);
    def.profileKey = std::move(key);
    return def;
}

WidgetRow Time(SettingId id, std::string name, std::string caption, std::string section,
                std::string key) {
    WidgetRow def;
    def.id = id;
    def.name = std::move(name);
    def.kind = WidgetKind::TimePicker;
    def.caption = std::move(caption);
    def.profileSection = std::move(section);
    def.profileKey = std::move(key);
    return def;
}

WidgetRow WithHint(WidgetRow def, std::string hint, std::string unit = {}) {
    def.hint = std::move(hint);
    def.unit = std::move(unit);
    return def;
}

// The widget's key is the order-th one a profile writes.
WidgetRow Keyed(int order, WidgetRow def) {
    def.profileOrder = order;
    return def;
}

WidgetRow Disabled(WidgetRow def) {
    def.enabled = false;
    return def;
}

// Where a setting sits within its page row.
PagePlace At(std::uint32_t page, std::uint32_t offset, std::uint32_t width,
             FieldEncoding encoding) {
    PagePlace place;
    place.page = page;
    place.offset = offset;
    place.width = width;
    place.encoding = encoding;
    return place;
}

PagePlace AtNumber(std::uint32_t page, std::uint32_t offset, std::uint32_t width,
                   FieldEncoding encoding, std::uint32_t emptyValue) {
    PagePlace place = At(page, offset, width, encoding);
    place.emptyValue = emptyValue;
    return place;
}

PagePlace AtFloat(std::uint32_t page, std::uint32_t offset, float emptyNumber) {
    PagePlace place = At(page, offset, 4, FieldEncoding::Float32);
    place.emptyNumber = emptyNumber;
    return place;
}

PagePlace AtCode(std::uint32_t page, std::uint32_t offset, CodeTable table) {
    PagePlace place = At(page, offset, 1, FieldEncoding::Code);
    place.codeTable = table;
    return place;
}

PagePlace AtModeDependent(std::uint32_t page, std::uint32_t offset, std::uint32_t width,
                          FieldEncoding encoding, Setting mode) {
    PagePlace place = At(page, offset, width, encoding);
    place.mode = mode;
    return place;
}

// What an empty threshold or range box writes: the logger takes it as not set.
constexpr float kThresholdNotSet = 999.0f;
constexpr float kRangeNotSet = 99999.0f;

WidgetRow Placed(PagePlace place, WidgetRow def) {
    def.place = place;
    return def;
}

void Append(std::vector<WidgetRow>& table, WidgetRow def, std::string_view group) {
    def.group = std::string(group);
    table.push_back(std::move(def));
}

void AppendSystemGroup(std::vector<WidgetRow>& t) {
    using E = FieldEncoding;
    constexpr std::uint32_t page = kSystemPageAddress;
    const auto g = kSystemGroup;
    Append(t,
           Placed(At(page, 0, 1, E::ItemIndex),
                  Keyed(27, List(Setting::TimeAdjustment, "cbb_timemode", "Time Adjustment method",
                                 {"Manual", "Auto"}, 1, "OTHER", "timemode"))),
           g);
    Append(t,
           Placed(At(page, 1, 20, E::Text),
                  Keyed(28, Edit(Setting::SimNumber, "edt_tel_my", "Device SIM card No.", 20, "",
                                 KeyFilter::Tel, "OTHER", "mytel"))),
           g);
    Append(t,
           Placed(At(page, 21, 6, E::PasswordText),
                  Keyed(29, Edit(Setting::DevicePassword, "edt_pwd", "Device Password", 4, "8604",
                                 KeyFilter::Adt, "OTHER", "pwd"))),
           g);
    Append(t,
           Placed(At(page, 27, 15, E::RightAlignedId),
                  Keyed(30, Edit(Setting::DeviceId, "edt_id", "Device ID:", 15, "", KeyFilter::Adt,
                                 "OTHER", "devid"))),
           g);
    Append(
        t,
        Placed(AtNumber(page, 42, 1, E::Decimal, 0xFF),
               Keyed(31, WithHint(Edit(Setting::LogInterval, "edt_rec_time", "Log interval timer",
                                       3, "5", KeyFilter::RecTime, "OTHER", "rectime"),
                                  "(0,5--255)mins"))),
        g);
    Append(t,
           Placed(At(page, 73, 1, E::Flag), Keyed(32, Check(Setting::GpsEnable, "CheckBox1", "",
                                                            "GPS enable", "OTHER", "GPRSenable"))),
           g);
    Append(
        t,
        Placed(At(page, 46, 1, E::Flag), Keyed(40, Check(Setting::PinVerification, "chk1", "",
                                                         "PIN Verification", "PIN", "pinverify"))),
        g);
    Append(t,
           Placed(At(page, 47, 6, E::Text),
                  Keyed(41, Edit(Setting::PinCode, "edt_PinCode", "PIN code", 6, "8604",
                                 KeyFilter::Adt, "PIN", "pincode"))),
           g);
    Append(t,
           Placed(At(page, 53, 20, E::Text),
                  Keyed(33, Edit(Setting::GprsFailureNumber, "edt_GprsFailTel",
                                 "Receiver number when GPRS connection failure", 20, "",
                                 KeyFilter::Tel, "GPRSalarmtel", "failurereport"))),
           g);
    Append(t,
           Placed(At(page, 80, 1, E::ModeByte),
                  Keyed(35, List(Setting::ReportMode, "cb_pdat", "SMS Report type",
                                 {"Timer", "Schedule"}, 0, "OTHER", "upmode"))),
           g);
    // Written in section "other": names match without regard to case, so it joins [OTHER].
    Append(t,
           Placed(At(page, 92, 20, E::Text),
                  Keyed(34, Edit(Setting::ReportNumber, "edit9", "SMS Report No.", 20, "",
                                 KeyFilter::Tel, "other", "uploadtel"))),
           g);
    Append(t,
           Placed(AtModeDependent(page, 82, 2, E::ReportInterval, Setting::ReportMode),
                  Keyed(42, WithHint(Edit(Setting::ReportInterval, "edt1", "Report interval time",
                                          3, "24", KeyFilter::Adt, "uploading", "timealarm"),
                                     "(0--999)hours"))),
           g);
    for (int k = 1; k <= 4; ++k) {
        Append(
            t,
            Keyed(42 + k, Disabled(Check({Setting::ScheduleEnabled, k}, ScheduleCheckName(k),
                                         "Schedule " + std::to_string(k) + ":", "enable",
                                         "fixedpointtime", "time" + std::to_string(k) + "open"))),
            g);
        Append(t,
               Keyed(46 + k, Disabled(Time({Setting::ScheduleTime, k}, ScheduleTimeName(k), "",
                                           "fixedpointtime", "time" + std::to_string(k) + "time"))),
               g);
    }
    Append(t,
           Placed(AtNumber(page, 114, 2, E::Decimal, 0),
                  Keyed(36, WithHint(Edit(Setting::DialInRelayTime, "edt_relay_time",
                                          "Relay working time when dial-in", 4, "10",
                                          KeyFilter::Pwd, "OTHER", "relaytime"),
                                     "(1--9999)sec"))),
           g);
    Append(t,
           Placed(At(page, 74, 1, E::ModeByte),
                  Keyed(37, List(Setting::UploadMode, "cbb_gprsupmode", "GPRS Data upload",
                                 {"Timer", "Schedule"}, 0, "OTHER", "gprsupmode"))),
           g);
    Append(
        t,
        Placed(AtModeDependent(page, 76, 2, E::UploadTimer, Setting::UploadMode),
               Keyed(38, WithHint(Edit(Setting::UploadTimer, "edt_gprstimeup", "Data Upload Timer",
                                       4, "", KeyFilter::Adt, "OTHER", "gprstimeup"),
                                  "(minutes)", "mins"))),
        g);
    Append(t,
           Placed(AtModeDependent(page, 78, 2, E::UploadTime, Setting::UploadMode),
                  Keyed(39, Disabled(Time(Setting::UploadTime, "dtp_gprspointup",
                                          "Data Upload Schedule", "OTHER", "gprspointup")))),
           g);
}

void AppendNumbersGroup(std::vector<WidgetRow>& t) {
    using E = FieldEncoding;
    constexpr std::uint32_t page = kNumbersPageAddress;
    // A profile holds the six numbers first, then the two codes of each number in turn.
    const std::array rowTemplates{
        Placed(At(page, 2, 20, E::Text), Keyed(2, Edit(Setting::Number, "edt_tel{N}", "No.{N}", 20,
                                                       "", KeyFilter::Tel, "TEL", "tel{N}"))),
        Placed(AtCode(page, 0, CodeTable::Number),
               Keyed(8, List(Setting::NumberCode1, "cbb_tel{N}_f1", "Code1",
                             {"SMS & Call", "SMS only"}, 0, "TEL", "tel{N}_fun1"))),
        Placed(
            AtCode(page, 1, CodeTable::Number),
            Keyed(9, List(Setting::NumberCode2, "cbb_tel{N}_f2", "Code2",
                          {"Return Status SMS", "Switch Relay", "GPRS Connecting", "Reboot Device"},
                          0, "TEL", "tel{N}_fun2"))),
    };
    const std::array profileStrides{1, 2, 2};
    for (int n = 1; n <= kNumberRows; ++n) {
        for (std::size_t i = 0; i < rowTemplates.size(); ++i) {
            AppendRow(t, rowTemplates[i], n, kNumbersGroup, profileStrides[i]);
        }
    }
}

void AppendGprsGroup(std::vector<WidgetRow>& t) {
    using E = FieldEncoding;
    constexpr std::uint32_t page = kGprsPageAddress;
    const auto g = kGprsGroup;
    Append(
        t,
        Placed(At(page, 0, 32, E::Text),
               Keyed(20, WithHint(Edit(Setting::ServerAddress, "edt_ip1", "Target Server IP(DNS)",
                                       32, "", KeyFilter::None, "GPRS", "ip1"),
                                  "(Max. 32)"))),
        g);
    Append(t,
           Placed(At(page, 32, 32, E::Text),
                  Keyed(21, WithHint(Edit(Setting::SubServerAddress, "edt_ip2",
                                          "Target Sub-server IP(DNS)", 32, "", KeyFilter::None,
                                          "GPRS", "ip2"),
                                     "(Max. 32)"))),
           g);
    Append(t,
           Placed(AtNumber(page, 64, 2, E::Decimal, 0xFFFF),
                  Keyed(22, WithHint(Edit(Setting::ServerPort, "edt_port", "Port:", 0, "8000",
                                          KeyFilter::Adt, "GPRS", "port"),
                                     "(1~65535)"))),
           g);
    Append(t,
           Placed(At(page, 66, 1, E::ItemIndex),
                  Keyed(23, List(Setting::Protocol, "cbb_mode", "Protocol:", {"TCP", "UDP"}, 0,
                                 "GPRS", "mode"))),
           g);
    Append(t,
           Placed(At(page, 67, 32, E::Text),
                  Keyed(24, WithHint(Edit(Setting::AccessPointName, "edt_apn", "Access Point Name",
                                          32, "", KeyFilter::None, "GPRS", "apn"),
                                     "(Max. 32)"))),
           g);
    Append(t,
           Placed(At(page, 99, 32, E::Text),
                  Keyed(25, WithHint(Edit(Setting::GprsUser, "edt_gprsname", "User Name", 32, "",
                                          KeyFilter::None, "GPRS", "gprsname"),
                                     "(Max. 32)"))),
           g);
    Append(t,
           Placed(At(page, 131, 32, E::Text),
                  Keyed(26, WithHint(Edit(Setting::GprsPassword, "edt_gprspassword", "Password", 32,
                                          "", KeyFilter::None, "GPRS", "gprspwd"),
                                     "(Max. 32)"))),
           g);
}

void AppendSensorGroups(std::vector<WidgetRow>& t) {
    using E = FieldEncoding;
    constexpr std::uint32_t page = kAlarmPageAddress;
    // A profile holds each sensor's twelve keys in a section of its own, after the system
    // keys and sensor 1 first; the positions below are sensor 1's.
    WidgetRow type =
        Placed(AtCode(page, 0, CodeTable::SensorType),
               Keyed(51, List(Setting::SensorType, "cbb_sensor{N}", "Sensor{N}",
                              {"Centigrade", "Fahrenheit", "AIN"}, -1, "SENSOR{N}", "flag")));
    type.shownText = "Centigrade";
    const std::array rowTemplates{
        type,
        Placed(AtFloat(page, 4, kThresholdNotSet),
               Keyed(52, Edit(Setting::SensorUltraLow, "edt_Sensor{N}_SLow", "Ultra-low", 8, "",
                              KeyFilter::Pwd, "SENSOR{N}", "ullimit"))),
        Placed(AtFloat(page, 8, kThresholdNotSet),
               Keyed(53, Edit(Setting::SensorLow, "edt_Sensor{N}_Low", "Low", 8, "", KeyFilter::Pwd,
                              "SENSOR{N}", "llimit"))),
        Placed(AtFloat(page, 16, kThresholdNotSet),
               Keyed(55, Edit(Setting::SensorHigh, "edt_Sensor{N}_High", "High", 8, "",
                              KeyFilter::Pwd, "SENSOR{N}", "hlimit"))),
        Placed(AtFloat(page, 12, kThresholdNotSet),
               Keyed(54, Edit(Setting::SensorUltraHigh, "edt_Sensor{N}_SHigh", "Ultra-high", 8, "",
                              KeyFilter::Pwd, "SENSOR{N}", "uhlimit"))),
        Placed(AtNumber(page, 2, 2, E::DigitSum, 9999),
               Keyed(56, Edit(Setting::SensorRelayTime, "edt_Sensor{N}_Relay", "Relay working time",
                              4, "", KeyFilter::Adt, "SENSOR{N}", "relaytime"))),
        Placed(AtNumber(page, 1, 1, E::DigitSum, 99),
               Keyed(57, Edit(Setting::SensorStep, "edt_Sensor{N}_STP", "Step value", 2, "",
                              KeyFilter::Adt, "SENSOR{N}", "stp"))),
        Placed(AtNumber(page, 20, 2, E::DigitSum, 999),
               Keyed(58,
                     Edit(Setting::SensorAlarmInterval, "edt_Sensor{N}_SP",
                          "Alarming interval time", 3, "", KeyFilter::Adt, "SENSOR{N}", "nalarm"))),
        Placed(
            AtNumber(page, 22, 2, E::DigitSum, 999),
            Keyed(59, Edit(Setting::SensorVerifyTime, "edt_Sensor{N}_ens", "Alarming verify time",
                           3, "", KeyFilter::Adt, "SENSOR{N}", "contime"))),
        Placed(AtCode(page, 24, CodeTable::Ain),
               Keyed(60, List(Setting::SensorAnalog, "cbb_sensor{N}_ain", "Analog sensor",
                              {"NONE", "0～20mA/0～5V", "4～20mA"}, 0, "SENSOR{N}", "ainflag"))),
        Placed(AtFloat(page, 28, kRangeNotSet),
               Keyed(61, Edit(Setting::SensorRangeMin, "edt_Sensor{N}_start", "Min.", 8, "",
                              KeyFilter::Pwd, "SENSOR{N}", "svalue"))),
        Placed(AtFloat(page, 32, kRangeNotSet),
               Keyed(62, Edit(Setting::SensorRangeMax, "edt_Sensor{N}_end", "Max.", 8, "",
                              KeyFilter::Pwd, "SENSOR{N}", "evalue"))),
    };
    for (int n = 1; n <= kSensorCount; ++n) {
        for (const auto& rowTemplate : rowTemplates) {
            AppendRow(t, rowTemplate, n, SensorGroup(n), static_cast<int>(rowTemplates.size()));
        }
    }
}

void AppendLoginGroup(std::vector<WidgetRow>& t) {
    const auto g = kLoginGroup;
    WidgetRow model = Edit(Setting::Model, "Edit1", "Model", 0, "", KeyFilter::None, "", "");
    model.kind = WidgetKind::ReadOnlyEdit;
    WidgetRow firmware =
        Edit(Setting::Firmware, "edt43", "Firmware", 0, "", KeyFilter::None, "", "");
    firmware.kind = WidgetKind::ReadOnlyEdit;
    Append(t, std::move(model), g);
    Append(t, std::move(firmware), g);
    WidgetRow password = Keyed(1, Edit(Setting::LoginPassword, "edt_setpwd", "Device Password", 4,
                                        "8604", KeyFilter::NumPoint, "COM", "setPwd"));
    password.profileDefaultText = "8604";
    Append(t, std::move(password), g);
}

std::vector<WidgetRow> BuildTable() {
    std::vector<WidgetRow> table;
    AppendLoginGroup(table);
    AppendSystemGroup(table);
    AppendNumbersGroup(table);
    AppendGprsGroup(table);
    AppendSensorGroups(table);
    return table;
}

constexpr std::array<std::string_view, kSensorCount> kSensorGroups{"GroupBox7", "grp1", "grp2",
                                                                   "grp3"};

}  // namespace

const std::vector<WidgetRow>& SettingsTable() {
    static const std::vector<WidgetRow> table = BuildTable();
    return table;
}

namespace {

// Each setting's rows, in row order (one entry, row 0, for a setting that does not repeat).
using SettingIndex = std::array<std::vector<const WidgetRow*>, kSettingCount>;

SettingIndex BuildSettingIndex() {
    SettingIndex index;
    for (const WidgetRow& def : SettingsTable()) {
        index[static_cast<std::size_t>(def.id.what)].push_back(&def);
    }
    return index;
}

}  // namespace

const WidgetRow& RowOf(SettingId id) {
    static const SettingIndex index = BuildSettingIndex();
    const auto what = static_cast<std::size_t>(id.what);
    if (what < index.size() && !index[what].empty()) {
        const auto& rows = index[what];
        const int at = id.row - rows.front()->id.row;  // the first row is 0 or 1
        if (at >= 0 && static_cast<std::size_t>(at) < rows.size() &&
            rows[static_cast<std::size_t>(at)]->id == id) {
            return *rows[static_cast<std::size_t>(at)];
        }
    }
    throw std::invalid_argument("no setting " + std::to_string(what) + " row " +
                                std::to_string(id.row) + " in the settings table");
}

const std::string& WidgetName(SettingId id) {
    return RowOf(id).name;
}

const WidgetRow* FindWidget(std::string_view name) {
    static const std::unordered_map<std::string_view, const WidgetRow*> byName = [] {
        std::unordered_map<std::string_view, const WidgetRow*> all;
        for (const WidgetRow& def : SettingsTable()) {
            all.emplace(def.name, &def);
        }
        return all;
    }();
    const auto it = byName.find(name);
    return it == byName.end() ? nullptr : it->second;
}

SettingId SettingNamed(std::string_view name) {
    const WidgetRow* def = FindWidget(name);
    if (def == nullptr) {
        throw std::invalid_argument("no settings widget named " + std::string(name));
    }
    return def->id;
}

const std::vector<GroupRow>& SettingsGroups() {
    static const std::vector<GroupRow> groups{
        {std::string(kLoginGroup), "", "", 0},
        {std::string(kSystemGroup), "System Parameters", "TabSheet1", 0},
        // The box's caption carries a trailing blank.
        {std::string(kNumbersGroup), "Authorized numbers ", "TabSheet1", 0},
        {std::string(kGprsGroup), "GPRS Connection setting", "TabSheet1", 0},
        {std::string(kSensorGroups[0]), "Alarm parameters setting1", "TabSheet2", 1},
        {std::string(kSensorGroups[1]), "Alarm parameters setting2", "TabSheet2", 2},
        {std::string(kSensorGroups[2]), "Alarm parameters setting3", "TabSheet2", 3},
        {std::string(kSensorGroups[3]), "Alarm parameters setting4", "TabSheet2", 4},
    };
    return groups;
}

const GroupRow* FindGroup(std::string_view name) {
    const auto& groups = SettingsGroups();
    const auto it = std::find_if(groups.begin(), groups.end(),
                                 [&](const GroupRow& g) { return g.name == name; });
    return it == groups.end() ? nullptr : &*it;
}

const std::vector<TabRow>& SettingsTabs() {
    static const std::vector<TabRow> tabs{
        {"TabSheet1", "Basic Parameters"},
        {"TabSheet2", "Alarm setting"},
    };
    return tabs;
}

const std::vector<LayoutLabel>& LayoutLabels() {
    static const std::vector<LayoutLabel> labels = [] {
        std::vector<LayoutLabel> all;
        for (int n = 1; n <= kSensorCount; ++n) {
            all.push_back(
                {std::string(SensorGroup(n)), "Threshold:", {Setting::SensorUltraLow, n}});
            all.push_back(
                {std::string(SensorGroup(n)), "Measurement range:", {Setting::SensorRangeMin, n}});
        }
        return all;
    }();
    return labels;
}

std::string_view SensorGroup(int sensor) {
    if (sensor < 1 || sensor > kSensorCount) {
        return {};
    }
    return kSensorGroups[static_cast<std::size_t>(sensor - 1)];
}

std::vector<const WidgetRow*> WidgetsOfGroup(std::string_view group) {
    std::vector<const WidgetRow*> widgets;
    for (const auto& def : SettingsTable()) {
        if (def.group == group) {
            widgets.push_back(&def);
        }
    }
    return widgets;
}

std::string UserCaption(const WidgetRow& widget) {
    const WidgetRow* def = &widget;
    // A check box without a label beside it is known by its own text.
    std::string caption = def->caption.empty() ? def->checkText : def->caption;
    if (!caption.empty() && caption.back() == ':') {
        caption.pop_back();
    }
    const GroupRow* group = FindGroup(def->group);
    if (group != nullptr && group->row > 0) {
        caption += " (" + group->caption + ")";
    }
    return caption;
}

}  // namespace lgcset::settings
