#include "export/export_manifest.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "data/calendar.h"
#include "export/flat_json.h"
#include "export/history_export.h"

namespace lgcset::exports {
namespace {

constexpr std::string_view kWorkbookPrefix = "SAVE";
constexpr std::string_view kCsvPrefix = "SAVE_CSV_";
constexpr int kManifestForm = 1;

std::string LimitKey(std::size_t sensor, std::size_t limit) {
    return "sensor" + std::to_string(sensor + 1) + "_" + std::string(kManifestLimitNames[limit]);
}

std::string NumberText(float value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string OrNull(const std::string& text) {
    return text.empty() ? "null" : JsonString(text);
}

// "2024-03-05 14:07:09" of a record with a valid time.
std::string RecordTimeText(const data::HistoryRecord& r) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", r.year + 2000, r.month, r.day,
                  r.hour, r.minute, r.second);
    return text;
}

bool IsSha256Hex(const std::string& text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// The members of a read object, taken one by one with their kinds checked.
class Members {
  public:
    explicit Members(const FlatJsonRead& read) : read_(read) {}

    const std::string& Error() const { return error_; }

    const FlatJsonValue* Find(std::string_view name) const {
        const auto it = read_.members.find(name);
        return it == read_.members.end() ? nullptr : &it->second;
    }

    void String(std::string_view name, std::string& out, bool nullable = false) {
        const FlatJsonValue* v = Find(name);
        if (v != nullptr && v->kind == FlatJsonValue::Kind::String && !v->text.empty())
            out = v->text;
        else if (!(nullable && (v == nullptr || v->kind == FlatJsonValue::Kind::Null)))
            Fail(name, "a text");
    }

    void Bool(std::string_view name, bool& out) {
        const FlatJsonValue* v = Find(name);
        if (v != nullptr &&
            (v->kind == FlatJsonValue::Kind::True || v->kind == FlatJsonValue::Kind::False))
            out = v->kind == FlatJsonValue::Kind::True;
        else
            Fail(name, "true or false");
    }

    void Count(std::string_view name, std::size_t& out) {
        const FlatJsonValue* v = Find(name);
        std::size_t n = 0;
        if (v != nullptr && v->kind == FlatJsonValue::Kind::Number && v->text.size() <= 9 &&
            std::from_chars(v->text.data(), v->text.data() + v->text.size(), n).ptr ==
                v->text.data() + v->text.size())
            out = n;
        else
            Fail(name, "a count");
    }

    void Limit(std::string_view name, std::optional<float>& out) {
        const FlatJsonValue* v = Find(name);
        if (v != nullptr && v->kind == FlatJsonValue::Kind::Null) {
            out.reset();
            return;
        }
        float value = 0;
        if (v != nullptr && v->kind == FlatJsonValue::Kind::Number &&
            std::from_chars(v->text.data(), v->text.data() + v->text.size(), value).ec ==
                std::errc{} &&
            std::isfinite(value))
            out = value;
        else
            Fail(name, "a number or null");
    }

    void Fail(std::string_view name, std::string_view what) {
        if (error_.empty())
            error_ = "\"" + std::string(name) + "\" is not " + std::string(what);
    }

  private:
    const FlatJsonRead& read_;
    std::string error_;
};

}  // namespace

std::string ManifestNameOfWorkbook(std::string_view workbookName) {
    const std::size_t dot = workbookName.rfind('.');
    return std::string(workbookName.substr(0, dot)) + ".json";
}

// The stamp a second earlier: the export reads the clock for the workbook's name first and
// for the CSV file's next, so the two may lie a second apart. "" when `stamp` is no stamp.
std::string SecondEarlier(const std::string& stamp) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
    if (std::sscanf(stamp.c_str(), "%4d-%2d-%2d_%2d-%2d-%2d%n", &y, &mo, &d, &h, &mi, &s, &used) !=
            6 ||
        used != 19 || mo < 1 || mo > 12 || d < 1 || d > 31)
        return {};
    std::int64_t seconds = data::DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) * 86400 +
                           h * 3600 + mi * 60 + s - 1;
    const data::CalendarDate date = data::CivilFromDays(seconds / 86400);
    seconds %= 86400;
    const LocalTime earlier{static_cast<int>(date.year),
                            static_cast<int>(date.month),
                            static_cast<int>(date.day),
                            static_cast<int>(seconds / 3600),
                            static_cast<int>(seconds % 3600 / 60),
                            static_cast<int>(seconds % 60)};
    return FileTimestamp(earlier) + stamp.substr(19);
}

std::optional<std::filesystem::path> ManifestPathOfCsv(const std::filesystem::path& csv) {
    const std::string name = csv.filename().string();
    if (!name.starts_with(kCsvPrefix) || !name.ends_with(".csv") ||
        name.size() == kCsvPrefix.size() + 4)
        return std::nullopt;
    const std::string stamp = name.substr(kCsvPrefix.size(), name.size() - kCsvPrefix.size() - 4);
    const std::filesystem::path same = csv.parent_path() / (std::string(kWorkbookPrefix) + stamp + ".json");
    std::error_code ec;
    if (std::filesystem::exists(same, ec))
        return same;
    const std::string earlier = SecondEarlier(stamp);
    if (!earlier.empty()) {
        const std::filesystem::path before =
            csv.parent_path() / (std::string(kWorkbookPrefix) + earlier + ".json");
        if (std::filesystem::exists(before, ec))
            return before;
    }
    return same;
}

void DescribeRecords(const data::HistoryRecord* records, std::size_t count,
                     ExportManifest& manifest) {
    manifest.records = count;
    manifest.firstRecord.clear();
    manifest.lastRecord.clear();
    // The fixed-width text sorts as the time does.
    for (std::size_t i = 0; i < count; ++i) {
        if (!IsValidTime(records[i]))
            continue;
        const std::string time = RecordTimeText(records[i]);
        if (manifest.firstRecord.empty() || time < manifest.firstRecord)
            manifest.firstRecord = time;
        if (manifest.lastRecord.empty() || time > manifest.lastRecord)
            manifest.lastRecord = time;
    }
}

std::string ManifestJson(const ExportManifest& m) {
    std::string json = "{\n";
    const auto member = [&json](std::string_view name, const std::string& value) {
        if (json.size() > 2)
            json += ",\n";
        json += "  " + JsonString(name) + ": " + value;
    };
    member("manifest", std::to_string(kManifestForm));
    member("program", JsonString(m.program));
    member("version", JsonString(m.version));
    member("device_id", OrNull(m.deviceId));
    member("model", OrNull(m.model));
    member("firmware", OrNull(m.firmware));
    member("range_from", JsonString(m.rangeFrom));
    member("range_to", JsonString(m.rangeTo));
    member("first_record", OrNull(m.firstRecord));
    member("last_record", OrNull(m.lastRecord));
    member("records", std::to_string(m.records));
    member("complete", m.complete ? "true" : "false");
    if (!m.complete)
        member("ended_early_because", JsonString(m.endedEarly));
    if (m.limits) {
        for (std::size_t s = 0; s < m.limits->size(); ++s)
            for (std::size_t l = 0; l < kManifestLimitNames.size(); ++l) {
                const std::optional<float>& limit = (*m.limits)[s][l];
                member(LimitKey(s, l), limit ? NumberText(*limit) : "null");
            }
    }
    member("workbook", JsonString(m.workbook));
    member("workbook_sha256", JsonString(m.workbookSha256));
    member("csv", JsonString(m.csv));
    member("csv_sha256", JsonString(m.csvSha256));
    return json + "\n}\n";
}

ManifestRead ReadManifest(std::string_view text) {
    ManifestRead read;
    const FlatJsonRead json = ReadFlatJson(text);
    if (!json.error.empty()) {
        read.error = json.error;
        return read;
    }
    Members members(json);
    const FlatJsonValue* form = members.Find("manifest");
    if (form == nullptr || form->kind != FlatJsonValue::Kind::Number ||
        form->text != std::to_string(kManifestForm)) {
        read.error = "it is no manifest of an export";
        return read;
    }
    ExportManifest& m = read.manifest;
    members.String("program", m.program);
    members.String("version", m.version);
    members.String("device_id", m.deviceId, true);
    members.String("model", m.model, true);
    members.String("firmware", m.firmware, true);
    members.String("range_from", m.rangeFrom);
    members.String("range_to", m.rangeTo);
    members.String("first_record", m.firstRecord, true);
    members.String("last_record", m.lastRecord, true);
    members.Count("records", m.records);
    members.Bool("complete", m.complete);
    if (!m.complete)
        members.String("ended_early_because", m.endedEarly);
    if (members.Find(LimitKey(0, 0)) != nullptr) {
        m.limits.emplace();
        for (std::size_t s = 0; s < m.limits->size(); ++s)
            for (std::size_t l = 0; l < kManifestLimitNames.size(); ++l)
                members.Limit(LimitKey(s, l), (*m.limits)[s][l]);
    }
    members.String("workbook", m.workbook);
    members.String("csv", m.csv);
    members.String("workbook_sha256", m.workbookSha256);
    members.String("csv_sha256", m.csvSha256);
    if (members.Error().empty() && !IsSha256Hex(m.workbookSha256))
        members.Fail("workbook_sha256", "a SHA-256");
    if (members.Error().empty() && !IsSha256Hex(m.csvSha256))
        members.Fail("csv_sha256", "a SHA-256");
    if (!members.Error().empty()) {
        read.error = members.Error();
        read.manifest = {};
        return read;
    }
    read.outcome = ManifestRead::Outcome::Read;
    return read;
}

ManifestRead ReadManifestFile(const std::filesystem::path& path) {
    ManifestRead read;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) {
        read.outcome = ManifestRead::Outcome::Missing;
        return read;
    }
    std::ifstream file(path, std::ios::binary);
    std::string bytes(kFlatJsonMaxBytes + 1, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file && !file.eof()) {
        read.error = "it cannot be read";
        return read;
    }
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return ReadManifest(bytes);
}

}  // namespace lgcset::exports
