// Reading back the export's CSV file: our own files in each decimal separator's form give
// the records again, and any file that is not one is refused as a whole.
#include "data/history_csv_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "data/history_chart_data.h"
#include "data/number_format.h"

namespace lgcset::data {
namespace {

constexpr const char* kHeader =
    "time,Sensor1,Sensor2,Sensor3,Sensor4,Longitude,Latitude,Velocity,Direction\r\n";

// A line as the export writes it: the cell texts joined with ",", a field that holds ","
// quoted.
std::string ExportLine(const HistoryRecord& r, const std::string& separator) {
    const auto field = [](const std::string& text) {
        return text.find(',') == std::string::npos ? text : "\"" + text + "\"";
    };
    char time[48];
    std::snprintf(time, sizeof time, "%02d-%02d-%02d %02d:%02d:%02d", (r.year + 2000) % 100,
                  r.month, r.day, r.hour, r.minute, r.second);
    std::string line = time;
    for (std::size_t s = 0; s < kSensorCount; ++s) {
        line += ',';
        if (r.sensorPresent[s] == 1)
            line += field(FormatUpToTwoDecimals(r.sensor[s], separator));
    }
    const std::uint32_t positions[] = {r.longitude, r.latitude, r.velocity, r.direction};
    for (int p = 0; p < 4; ++p) {
        line += ',';
        if (positions[p] == kAbsentPosition)
            continue;
        line += field(p < 2 ? FormatOneToSixDecimals(positions[p] / 1e6, separator)
                            : FormatGeneral(positions[p] / 10.0, separator));
    }
    return line + "\r\n";
}

std::string ExportText(const std::vector<HistoryRecord>& records, const std::string& separator) {
    std::string text = kHeader;
    for (const HistoryRecord& r : records) text += ExportLine(r, separator);
    return text;
}

HistoryRecord Record(int minute) {
    HistoryRecord r;
    r.year = 24;
    r.month = 3;
    r.day = 5;
    r.hour = 14;
    r.minute = static_cast<std::uint8_t>(minute);
    r.second = 9;
    r.longitude = r.latitude = r.velocity = r.direction = kAbsentPosition;
    return r;
}

std::vector<HistoryRecord> SampleStore() {
    std::vector<HistoryRecord> records;
    HistoryRecord r = Record(0);
    r.sensor = {23.46, -4.5, 20, 1000.25};
    r.sensorPresent = {1, 1, 1, 1};
    r.longitude = 113954321;
    r.latitude = 22540000;
    r.velocity = 456;
    r.direction = 900;
    records.push_back(r);
    r = Record(1);  // nothing present: the time and eight empty fields
    records.push_back(r);
    r = Record(2);
    r.sensor[1] = -0.05;
    r.sensorPresent[1] = 1;
    r.longitude = 0xFFFFFFFEu;  // present, the largest value
    r.latitude = 0;
    r.velocity = 0;
    r.direction = 3599;
    records.push_back(r);
    return records;
}

void ExpectSameRecords(const std::vector<HistoryRecord>& read,
                       const std::vector<HistoryRecord>& written) {
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(i);
        const HistoryRecord& a = read[i];
        const HistoryRecord& b = written[i];
        EXPECT_EQ(RecordTime(a), RecordTime(b));
        EXPECT_EQ(a.sensorPresent, b.sensorPresent);
        for (std::size_t s = 0; s < kSensorCount; ++s) {
            if (b.sensorPresent[s] == 1) {
                EXPECT_NEAR(a.sensor[s], b.sensor[s], 0.005);
            }
        }
        EXPECT_EQ(a.longitude, b.longitude);
        EXPECT_EQ(a.latitude, b.latitude);
        EXPECT_EQ(a.velocity, b.velocity);
        EXPECT_EQ(a.direction, b.direction);
    }
}

TEST(HistoryCsvReader, OurFilesReadBackInEveryDecimalSeparatorsForm) {
    const std::vector<HistoryRecord> store = SampleStore();
    for (const std::string separator : {".", ",", "\xD9\xAB"}) {
        SCOPED_TRACE(separator);
        const std::string text = ExportText(store, separator);
        const HistoryCsvRead read = ReadHistoryCsv(text);
        ASSERT_TRUE(read.ok) << read.error;
        ExpectSameRecords(read.records, store);
    }
    // The comma form as it stands in the file.
    const std::string line = ExportLine(store[0], ",");
    EXPECT_EQ(line,
              "24-03-05 14:00:09,\"23,46\",\"-4,5\",20,\"1000,25\",\"113,954321\","
              "\"22,54\",\"45,6\",90\r\n");
    EXPECT_EQ(ExportLine(store[1], "."), "24-03-05 14:01:09,,,,,,,,\r\n");
}

TEST(HistoryCsvReader, AcceptsWhatEditingLeavesOfOurFile) {
    const std::vector<HistoryRecord> store = SampleStore();
    std::string text = ExportText(store, ".");
    // Line feeds only, a byte order mark, and blank lines at the end.
    std::string lf;
    for (char c : text)
        if (c != '\r')
            lf += c;
    HistoryCsvRead read = ReadHistoryCsv("\xEF\xBB\xBF" + lf + "\n\n");
    ASSERT_TRUE(read.ok) << read.error;
    ExpectSameRecords(read.records, store);

    // The header alone is an export of an empty store.
    read = ReadHistoryCsv(kHeader);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_TRUE(read.records.empty());
}

TEST(HistoryCsvReader, ARowWithAnInvalidTimeIsKeptWithoutATime) {
    std::string text = kHeader;
    text += "24-00-05 14:07:09,1.5,,,,,,,\r\n";   // month 0
    text += "24-02-30 14:07:09,2.5,,,,,,,\r\n";   // no such day
    text += "255-13-40 99:99:99,3.5,,,,,,,\r\n";  // raw bytes wider than two digits
    text += "24-03-05 14:07:09,4.5,,,,,,,\r\n";
    const HistoryCsvRead read = ReadHistoryCsv(text);
    ASSERT_TRUE(read.ok) << read.error;
    ASSERT_EQ(read.records.size(), 4u);
    const HistoryChartData chart = BuildHistoryChart(read.records);
    EXPECT_EQ(chart.untimedCount, 3u);
    ASSERT_EQ(chart.sensors[0].size(), 1u);
    EXPECT_EQ(chart.sensors[0][0].value, 4.5);
    EXPECT_EQ(FormatChartTime(chart.sensors[0][0].time), "24-03-05 14:07:09");
}

TEST(HistoryCsvReader, ValuesThatAreNotNumbersAreReadAsTheExportWritesThem) {
    std::string text = kHeader;
    text += "24-03-05 14:07:09,NAN,INF,-INF,-0.5,,,,\r\n";
    const HistoryCsvRead read = ReadHistoryCsv(text);
    ASSERT_TRUE(read.ok) << read.error;
    ASSERT_EQ(read.records.size(), 1u);
    EXPECT_TRUE(std::isnan(read.records[0].sensor[0]));
    EXPECT_TRUE(std::isinf(read.records[0].sensor[1]));
    EXPECT_LT(read.records[0].sensor[2], 0);
    EXPECT_EQ(read.records[0].sensor[3], -0.5);
    EXPECT_EQ(read.records[0].sensorPresent, (std::array<std::uint8_t, 4>{1, 1, 1, 1}));
}

TEST(HistoryCsvReader, RefusesAnyFileThatIsNotOurs) {
    const std::string good = "24-03-05 14:07:09,1.5,,,,113.5,22.5,1.5,90\r\n";
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"other header",
         "Time,Sensor1,Sensor2,Sensor3,Sensor4,Longitude,Latitude,Velocity,"
         "Direction\r\n" +
             good},
        {"eight fields", kHeader + std::string("24-03-05 14:07:09,1.5,,,,,,\r\n")},
        {"ten fields", kHeader + std::string("24-03-05 14:07:09,1.5,,,,,,,,\r\n")},
        {"comma decimal unquoted", kHeader + std::string("24-03-05 14:07:09,1,5,,,,,,,\r\n")},
        {"quote not closed", kHeader + std::string("24-03-05 14:07:09,\"1,5,,,,,,,\r\n")},
        {"text as value", kHeader + std::string("24-03-05 14:07:09,warm,,,,,,,\r\n")},
        {"three decimals", kHeader + std::string("24-03-05 14:07:09,1.555,,,,,,,\r\n")},
        // The export writes 15 significant digits at most: more would not survive it.
        {"sixteen significant digits",
         kHeader + std::string("24-03-05 14:07:09,1234567890123456,,,,,,,\r\n")},
        {"sixteen with decimals",
         kHeader + std::string("24-03-05 14:07:09,12345678901234.56,,,,,,,\r\n")},
        {"exponent", kHeader + std::string("24-03-05 14:07:09,1E5,,,,,,,\r\n")},
        {"space in value", kHeader + std::string("24-03-05 14:07:09, 1.5,,,,,,,\r\n")},
        {"negative longitude", kHeader + std::string("24-03-05 14:07:09,,,,,-113.5,,,\r\n")},
        {"seven decimals", kHeader + std::string("24-03-05 14:07:09,,,,,113.5000001,,,\r\n")},
        {"absent marker", kHeader + std::string("24-03-05 14:07:09,,,,,4294.967295,,,\r\n")},
        {"velocity two decimals", kHeader + std::string("24-03-05 14:07:09,,,,,,,4.56,\r\n")},
        {"separators mixed", kHeader + good + "24-03-05 14:08:09,\"1,5\",,,,,,,\r\n"},
        {"time empty", kHeader + std::string(",1.5,,,,,,,\r\n")},
        {"blank line inside", kHeader + std::string("\r\n") + good},
        {"cut short", kHeader + good + "24-03-05 14:08:09,1.5"},
        {"control byte", kHeader + std::string("24-03-05 14:07:09,1.5\x01,,,,,,,\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const HistoryCsvRead read = ReadHistoryCsv(c.text);
        EXPECT_FALSE(read.ok);
        EXPECT_FALSE(read.error.empty());
        EXPECT_TRUE(read.records.empty());
    }
    // The sentence names the line that is wrong.
    EXPECT_EQ(ReadHistoryCsv(kHeader + good + "24-03-05 14:08:09,warm,,,,,,,\r\n").error,
              "Line 3: Sensor1 is not a number as the export writes it.");
}

constexpr const char* kSemicolonHeader =
    "time;Sensor1;Sensor2;Sensor3;Sensor4;Longitude;Latitude;Velocity;Direction\r\n";

// The time a record read holds, as the chart writes it; empty for a record without one.
std::string TimeOf(const HistoryRecord& r) {
    const auto t = RecordTime(r);
    return t ? FormatChartTime(*t) : "";
}

TEST(HistoryCsvReader, ReadsOurFileAsSpreadsheetsSaveItAgainAndSaysTheForm) {
    const std::string semicolons = kSemicolonHeader;
    const struct {
        const char* what;
        std::string text;
        std::vector<std::string> times;
        std::string form;
    } cases[] = {
        {"year first; a raw time kept as text stays without a time",
         semicolons + "2024-03-05 14:07:09;23,46;;;;113,954321;;;\r\n"
                      "24-00-05 14:07:09;23,46;;;;;;;\r\n"
                      "2024-03-06 09:00:00;-4,5;;;;;;;\r\n",
         {"24-03-05 14:07:09", "", "24-03-06 09:00:00"},
         "Read as a spreadsheet's CSV: ';' between fields, ',' before decimals, dates "
         "year-month-day."},
        {"day.month.year without seconds, a byte order mark, line feeds",
         "\xEF\xBB\xBFtime;Sensor1;Sensor2;Sensor3;Sensor4;Longitude;Latitude;Velocity;"
         "Direction\n05.03.2024 14:07;23,46;;;;113,954321;;;\n6.3.24 09:00;;;;;;;;\n",
         {"24-03-05 14:07:00", "24-03-06 09:00:00"},
         "Read as a spreadsheet's CSV: ';' between fields, ',' before decimals, dates "
         "day.month.year."},
        {"quoted, empty fields after the ninth and below the records",
         "\"time\";\"Sensor1\";\"Sensor2\";\"Sensor3\";\"Sensor4\";\"Longitude\";\"Latitude\";"
         "\"Velocity\";\"Direction\";\r\n"
         "\"05.03.2024 14:07:09\";23,46;;;;113,954321;;;;\r\n;;;;;;;;;;\r\n;;;;;;;;;;\r\n",
         {"24-03-05 14:07:09"},
         "Read as a spreadsheet's CSV: ';' between fields, ',' before decimals, dates "
         "day.month.year."},
        {"month first, told by a day over 12; 12-hour times",
         std::string(kHeader) + "3/5/2024 2:07:09 PM,23.46,,,,113.954321,,,\r\n"
                                "3/13/2024 12:00 AM,,,,,,,,\r\n",
         {"24-03-05 14:07:09", "24-03-13 00:00:00"},
         "Read as a spreadsheet's CSV: ',' between fields, '.' before decimals, dates "
         "month/day/year with AM/PM times."},
        {"a first number over 12 decides, even against the time sequence",
         "time\tSensor1\tSensor2\tSensor3\tSensor4\tLongitude\tLatitude\tVelocity\t"
         "Direction\r\n13/03/2024 09:00\t23.46\t\t\t\t113.954321\t\t\t\r\n"
         "05/03/2024 14:07\t\t\t\t\t\t\t\t\r\n",
         {"24-03-13 09:00:00", "24-03-05 14:07:00"},
         "Read as a spreadsheet's CSV: tabs between fields, '.' before decimals, dates "
         "day/month/year."},
        {"nothing tells, but only day first gives ascending times",
         semicolons + "05/03/2024 14:07;23,46;;;;113,954321;;;\r\n"
                      "01/04/2024 09:00;;;;;;;;\r\n",
         {"24-03-05 14:07:00", "24-04-01 09:00:00"},
         "Read as a spreadsheet's CSV: ';' between fields, ',' before decimals, dates "
         "day/month/year."},
        {"day and month alike read the same either way",
         semicolons + "05-05-2024 14:07;23,46;;;;113,954321;;;\r\n"
                      "05-05-2024 09:00;;;;;;;;\r\n",
         {"24-05-05 14:07:00", "24-05-05 09:00:00"},
         "Read as a spreadsheet's CSV: ';' between fields, ',' before decimals, dates "
         "day-month-year."},
        {"our dates left as text",
         semicolons + "24-03-05 14:07:09;23,46;;;;113,954321;;;\r\n",
         {"24-03-05 14:07:09"},
         "Read as a spreadsheet's CSV: ';' between fields, ',' before decimals."},
        {"four-digit year and no seconds under our header",
         std::string(kHeader) + "2024-03-05 14:07:09,23.46,,,,113.954321,,,\r\n"
                                "24-03-06 09:00,,,,,,,,\r\n",
         {"24-03-05 14:07:09", "24-03-06 09:00:00"},
         "Read as a spreadsheet's CSV: ',' between fields, '.' before decimals, dates "
         "year-month-day."},
        {"the header alone", semicolons, {}, "Read as a spreadsheet's CSV: ';' between fields."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const HistoryCsvRead read = ReadHistoryCsv(c.text);
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_EQ(read.form, c.form);
        std::vector<std::string> times;
        for (const HistoryRecord& r : read.records) times.push_back(TimeOf(r));
        EXPECT_EQ(times, c.times);
        if (read.records.empty())
            continue;
        EXPECT_EQ(read.records[0].sensor[0], 23.46);
        EXPECT_EQ(read.records[0].longitude, 113954321u);
        EXPECT_EQ(read.records[0].sensorPresent, (std::array<std::uint8_t, 4>{1, 0, 0, 0}));
    }
    EXPECT_EQ(ReadHistoryCsv(ExportText(SampleStore(), ",")).form, "");
}

TEST(HistoryCsvReader, RefusesASpreadsheetsFileAtTheFirstValueItCannotRead) {
    const std::string semicolons = kSemicolonHeader;
    const std::string good = "05.03.2024 14:07;1,5;;;;;;;\r\n";
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {semicolons + good + "05.03.2024 14:08;1,5;2x,5;;;;;;\r\n",
         "Line 3, column 3: \"2x,5\" is not a number."},
        {semicolons + "05.03.2024 14:07;1,555;;;;;;;\r\n",
         "Line 2, column 2: \"1,555\" is not a Sensor1 value the logger can send."},
        {semicolons + good + "05.03.2024 14:08;1.5;;;;;;;\r\n",
         "Line 3, column 2: \"1.5\" has another decimal separator than the lines before it."},
        {semicolons + "31.02.2024 14:07;1,5;;;;;;;\r\n",
         "Line 2, column 1: \"31.02.2024 14:07\" is not a date and time."},
        {semicolons + "05.03.1999 14:07;1,5;;;;;;;\r\n",
         "Line 2, column 1: \"05.03.1999 14:07\" is not a date and time."},
        {semicolons + "3/5/2024 13:07 PM;1,5;;;;;;;\r\n",
         "Line 2, column 1: \"3/5/2024 13:07 PM\" is not a date and time."},
        {semicolons + "13/03/2024 09:00;;;;;;;;\r\n03/14/2024 09:00;;;;;;;;\r\n",
         "Line 3, column 1: \"03/14/2024 09:00\" has the month first, where line 2 has the "
         "day first."},
        // Both orders ascending, then neither.
        {semicolons + "05/03/2024 14:07;;;;;;;;\r\n06/03/2024 09:00;;;;;;;;\r\n",
         "The dates are ambiguous: nothing in the file tells whether \"05/03/2024 14:07\" "
         "(line 2) has the day or the month first. Save the file again with the dates as "
         "year-month-day."},
        {semicolons + "06/04/2024 14:07;;;;;;;;\r\n05/03/2024 09:00;;;;;;;;\r\n",
         "The dates are ambiguous: nothing in the file tells whether \"06/04/2024 14:07\" "
         "(line 2) has the day or the month first. Save the file again with the dates as "
         "year-month-day."},
        {semicolons + "05.03.2024 14:07;1,5;;;;;;\r\n",
         "Line 2 holds 8 fields, not the 9 of the header line."},
        {"time;Sensor1;Sensor2;Sensor3;Sensor4;Longitude;Latitude;Velocity;Direction;\r\n"
         "05.03.2024 14:07;1,5;;;;;;;;note\r\n",
         "Line 2, column 10: \"note\" lies beyond the columns of a record."},
        {semicolons + "05.03.2024 14:07;\"1,5\"x;;;;;;;\r\n",
         "Line 2, column 2: the quotes do not enclose the field."},
        {semicolons + ";;;;;;;;\r\n" + good, "Line 2 is empty, yet records follow it."},
        // A long value is quoted in part, a control byte as '?'.
        {semicolons + "05.03.2024 14:07;\x01" + std::string(60, 'x') + ";;;;;;;\r\n",
         "Line 2, column 2: \"?" + std::string(39, 'x') + "...\" is not a number."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const HistoryCsvRead read = ReadHistoryCsv(c.text);
        EXPECT_FALSE(read.ok);
        EXPECT_EQ(read.error, c.error);
        EXPECT_TRUE(read.records.empty());
    }
}

TEST(HistoryCsvReader, RefusesMoreRecordsThanATransferCanBringAndSurvivesAnyBytes) {
    std::string text = kHeader;
    const std::string line = "24-03-05 14:07:09,1.5,,,,,,,\r\n";
    text.reserve(text.size() + line.size() * (HistoryStore::kSlots + 1));
    for (std::size_t i = 0; i < HistoryStore::kSlots; ++i) text += line;
    EXPECT_TRUE(ReadHistoryCsv(text).ok);
    text += line;
    EXPECT_FALSE(ReadHistoryCsv(text).ok);

    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string noise = kHeader;
        const int length = static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i) noise += static_cast<char>(random() % 256);
        noise += "\r\n";
        const HistoryCsvRead read = ReadHistoryCsv(noise);
        if (!read.ok) {
            EXPECT_TRUE(read.records.empty());
        }
    }
}

TEST(HistoryCsvReader, ReadsAFileAndSaysWhenItCannot) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("lgcset_csv_reader_" + std::to_string(::getpid()) + ".csv");
    {
        std::ofstream file(path, std::ios::binary);
        file << ExportText(SampleStore(), ",");
    }
    const HistoryCsvRead read = ReadHistoryCsvFile(path.string());
    std::filesystem::remove(path);
    ASSERT_TRUE(read.ok) << read.error;
    ExpectSameRecords(read.records, SampleStore());

    const HistoryCsvRead missing = ReadHistoryCsvFile(path.string());
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, "The file cannot be opened.");
}

}  // namespace
}  // namespace lgcset::data
