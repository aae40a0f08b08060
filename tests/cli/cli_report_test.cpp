// `report` on the CSV file that `history` exported from the simulated logger: the figures
// it gives are checked against the simulator's own readings, not against the analysis.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "cli/headless_session.h"
#include "cli_support.h"
#include "sim/civil_time.h"
#include "sim/synthetic_readings.h"
#include "support/exact_log.h"

namespace lgcset::cli::test {
namespace {

// 50 records, one every ten minutes, from 2024-03-10 03:50:00 to 12:00:00, of a logger
// with two temperature channels.
constexpr int kRecords = 50;
const sim::CivilTime kLast{2024, 3, 10, 12, 0, 0};

std::int64_t RecordSeconds(int i) {
    return sim::ToSeconds(kLast) - (kRecords - 1 - i) * 600;
}

std::string TimeText(int i) {
    const int minutes = 3 * 60 + 50 + 10 * i;
    char text[32];
    std::snprintf(text, sizeof text, "24-03-10 %02d:%02d:00", minutes / 60, minutes % 60);
    return text;
}

std::string FloatText(float value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// What the simulated log holds of a channel: the record numbers that carry it, and its
// readings there.
struct Channel {
    std::vector<int> records;
    std::vector<float> values;
    int Extreme(bool highest) const {
        const auto at = highest ? std::max_element(values.begin(), values.end())
                                : std::min_element(values.begin(), values.end());
        return records[static_cast<std::size_t>(at - values.begin())];  // the first of them
    }
};

Channel SimulatedChannel(int channel) {
    Channel c;
    for (int i = 0; i < kRecords; ++i) {
        // The simulated log leaves out every item of record 48 and sensor 2 of every 11th.
        if (i == 48 || (channel == 1 && i % 11 == 5))
            continue;
        c.records.push_back(i);
        c.values.push_back(
            sim::SensorValue(sim::ChannelKind::Temperature, channel, RecordSeconds(i)));
    }
    return c;
}

std::string Exported(const TempFolder& folder) {
    sim::Options options = support::ExactLog(kRecords, 10, kLast);
    options.model = "R480";
    Logger logger(options);
    const CliResult result =
        logger.Run({"history", "--from", "24-03-10", "--to", "24-03-10", "--out", folder.path});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path))
        if (entry.path().extension() == ".csv")
            return entry.path().string();
    ADD_FAILURE() << "no CSV file";
    return {};
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CliReport, JsonOfAnExportedTransferGivesTheLoggersFiguresAndExcursions) {
    TempFolder folder;
    const std::string csv = Exported(folder);
    const Channel one = SimulatedChannel(0);
    const Channel two = SimulatedChannel(1);
    const float min = one.values[static_cast<std::size_t>(
        std::find(one.records.begin(), one.records.end(), one.Extreme(false)) -
        one.records.begin())];
    const float max = *std::max_element(one.values.begin(), one.values.end());

    // Without a profile: no limits, so nothing beyond them.
    CliResult plain = Cli({"report", "--json", csv});
    ASSERT_EQ(plain.status, kExitOk) << plain.err;
    EXPECT_TRUE(Has(plain.out, "{\"complete\": true, \"ended_early_because\": null, "));
    EXPECT_TRUE(Has(plain.out, ", \"model\": \"R480\", ")) << plain.out;
    const std::string head =
        "\"records\": 50, \"untimed\": 0, \"from\": \"24-03-10 03:50:00\", \"to\": "
        "\"24-03-10 12:00:00\", \"interval_s\": 600, \"gaps\": [], \"sensors\": [{\"sensor\": 1, "
        "\"kind\": \"C\", \"count\": 49, \"not_numbers\": 0, \"min\": " +
        FloatText(min) + ", \"min_time\": \"" + TimeText(one.Extreme(false)) +
        "\", \"max\": " + FloatText(max) + ", \"max_time\": \"" + TimeText(one.Extreme(true)) +
        "\", \"mean\": ";
    EXPECT_TRUE(Has(plain.out, head)) << plain.out << "\n" << head;
    EXPECT_TRUE(Has(plain.out,
                    "\"limits\": {\"ultra_low\": null, \"low\": null, \"high\": null, "
                    "\"ultra_high\": null}, \"excursions\": [], \"seconds_beyond\": "
                    "{\"high\": 0, \"low\": 0, \"ultra_high\": 0, \"ultra_low\": 0}}"));
    EXPECT_TRUE(Has(plain.out, "{\"sensor\": 2, \"kind\": \"C\", \"count\": " +
                                   std::to_string(two.values.size()) + ","));
    EXPECT_FALSE(Has(plain.out, "\"sensor\": 3"));  // a two-channel logger
    EXPECT_TRUE(plain.out.ends_with("}]}\n"));

    // High below every reading: one excursion over the whole log, open at its end; low at
    // the minimum and ultra-high at the maximum are touched, never passed.
    const std::string profile = folder.File("limits.ini");
    WriteText(profile, "[SENSOR1]\r\nflag=0\r\nllimit=" + FloatText(min) +
                           "\r\nhlimit=" + FloatText(min - 1) + "\r\nuhlimit=" + FloatText(max) +
                           "\r\n[SENSOR2]\r\nflag=1\r\n");
    CliResult limited = Cli({"report", "--profile", profile, "--json", csv});
    ASSERT_EQ(limited.status, kExitOk) << limited.err;
    EXPECT_TRUE(Has(limited.out,
                    "\"limits\": {\"ultra_low\": null, \"low\": " + FloatText(min) +
                        ", \"high\": " + FloatText(min - 1) +
                        ", \"ultra_high\": " + FloatText(max) +
                        "}, \"excursions\": [{\"kind\": \"high\", \"from\": \"24-03-10 "
                        "03:50:00\", \"to\": \"24-03-10 12:00:00\", \"seconds\": 29400, "
                        "\"peak\": " +
                        FloatText(max) +
                        ", \"open\": true}], \"seconds_beyond\": {\"high\": 29400, \"low\": 0, "
                        "\"ultra_high\": 0, \"ultra_low\": 0}}"))
        << limited.out;
    EXPECT_TRUE(Has(limited.out, "{\"sensor\": 2, \"kind\": \"F\","));
    // The profile holds only the alarm settings it needs: the rest is named, not refused.
    EXPECT_TRUE(Has(limited.err, "lacks"));

    // An analog logger: every channel analog, none with an MKT.
    CliResult analog = Cli({"report", "--model", "R482", "--json", csv});
    ASSERT_EQ(analog.status, kExitOk) << analog.err;
    EXPECT_TRUE(Has(analog.out, "\"sensor\": 1, \"kind\": \"analog\""));
    EXPECT_TRUE(Has(analog.out, "\"sensor\": 2, \"kind\": \"analog\""));
    EXPECT_TRUE(Has(analog.out, "\"mkt\": null"));
    EXPECT_FALSE(Has(analog.out, "\"kind\": \"C\""));

    // The text form: the figures as tables.
    CliResult text = Cli({"report", "--profile", profile, csv});
    ASSERT_EQ(text.status, kExitOk) << text.err;
    EXPECT_TRUE(Has(text.out, "log interval  600 s\n"));
    EXPECT_TRUE(Has(text.out, "1       high       24-03-10 03:50:00  24-03-10 12:00:00  29400"))
        << text.out;
}

TEST(CliReport, TheManifestBesideTheFileNamesItsOriginUnlessItDoesNotMatch) {
    const struct {
        const char* name;
        bool partial;       // the line goes dead after ten records, kept with --keep-partial
        const char* edit;   // "csv": the CSV file changed after; "manifest": the manifest gone
        const char* first;  // the text report's first line begins so
        const char* complete;
    } cases[] = {
        {"whole", false, "", "Origin: model R481, firmware ", "true"},
        {"ended early", true, "", "The transfer ended early (no reply from the logger on ",
         "false"},
        {"edited", false, "csv",
         "Origin: unknown: the manifest SAVE", "null"},
        {"no manifest", false, "manifest", "Origin: unknown (no manifest", "null"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        Logger logger(support::ExactLog(kRecords, 10, kLast));
        if (c.partial)
            logger.simulator.AnswerOnly(1 + 1 + 1 + 1 + 10);  // login, ID, clock, count, ten records
        logger.Run({"history", "--from", "24-03-10", "--to", "24-03-10", "--out", folder.path,
                    "--keep-partial"});
        std::string csv;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path)) {
            if (entry.path().extension() == ".csv")
                csv = entry.path().string();
            if (entry.path().extension() == ".json" && c.edit == std::string("manifest"))
                std::filesystem::remove(entry.path());
        }
        ASSERT_FALSE(csv.empty());
        if (c.edit == std::string("csv"))
            WriteText(csv, ReadText(csv) + "24-03-10 12:10:00,5,,,,,,,\r\n");

        const CliResult text = Cli({"report", csv});
        ASSERT_EQ(text.status, kExitOk) << text.err;
        EXPECT_EQ(text.out.rfind(c.first, 0), 0u) << text.out;
        const CliResult json = Cli({"report", "--json", csv});
        EXPECT_TRUE(Has(json.out, std::string("{\"complete\": ") + c.complete + ",")) << json.out;
        // What the logger did not send of the day asked for is a gap up to its end.
        EXPECT_EQ(Has(json.out, "{\"from\": \"24-03-10 05:20:00\", \"to\": \"24-03-11 00:00:00\""),
                  c.partial)
            << json.out;
    }
}

TEST(CliReport, AFileThatIsNoExportOrAProfileThatCannotBeReadIsStatusTwo) {
    TempFolder folder;
    const std::string notCsv = folder.File("notes.csv");
    WriteText(notCsv, "time,temperature\r\n24-03-10 12:00:00,5\r\n");
    const std::string cut = folder.File("cut.csv");
    WriteText(cut,
              "time,Sensor1,Sensor2,Sensor3,Sensor4,Longitude,Latitude,Velocity,"
              "Direction\r\n24-03-10 12:00:00,5,,,,,,,");
    const std::string good = folder.File("good.csv");
    WriteText(good,
              "time,Sensor1,Sensor2,Sensor3,Sensor4,Longitude,Latitude,Velocity,"
              "Direction\r\n24-03-10 12:00:00,5,,,,,,,\r\n");
    const std::string noSettings = folder.File("other.ini");
    WriteText(noSettings, "[Window]\r\nwidth=3\r\n");
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"report", notCsv},
             {"report", cut},
             {"report", folder.File("missing.csv")},
             {"report", "--profile", noSettings, good},
             {"report", "--profile", folder.File("no.ini"), good},
             {"report", folder.File("two\nlines\x1b.csv")}}) {
        const CliResult result = Cli(arguments);
        EXPECT_EQ(result.status, kExitUsage) << arguments.back() << result.err;
        EXPECT_TRUE(result.out.empty()) << result.out;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    // A file name's newline and escape character are shown, not obeyed.
    EXPECT_TRUE(Has(Cli({"report", folder.File("two\nlines\x1b.csv")}).err,
                    "two\\nlines\\x1b.csv: "));
    EXPECT_EQ(Cli({"report", good}).status, kExitOk);
}

TEST(CliReport, ValuesThatAreNoNumberAreCountedForEachSensor) {
    TempFolder folder;
    const std::string csv = folder.File("odd.csv");
    WriteText(csv,
              "time,Sensor1,Sensor2,Sensor3,Sensor4,Longitude,Latitude,Velocity,Direction\r\n"
              "24-03-10 12:00:00,5,NAN,,,,,,\r\n"
              "24-03-10 12:10:00,INF,4,,,,,,\r\n"
              "24-03-10 12:20:00,7,-INF,,,,,,\r\n");
    const CliResult json = Cli({"report", "--json", csv});
    ASSERT_EQ(json.status, kExitOk) << json.err;
    EXPECT_TRUE(Has(json.out, "{\"sensor\": 1, \"kind\": \"C\", \"count\": 2, "
                              "\"not_numbers\": 1, \"min\": 5, "))
        << json.out;
    EXPECT_TRUE(Has(json.out, "{\"sensor\": 2, \"kind\": \"C\", \"count\": 1, "
                              "\"not_numbers\": 2, \"min\": 4, "))
        << json.out;
    const CliResult text = Cli({"report", csv});
    EXPECT_TRUE(Has(text.out, "sensor  kind  count  not numbers  min")) << text.out;
}

TEST(CliReport, AFileASpreadsheetSavedAgainIsReadAndItsFormSaid) {
    TempFolder folder;
    const std::string header =
        "time;Sensor1;Sensor2;Sensor3;Sensor4;Longitude;Latitude;Velocity;Direction\r\n";
    const std::string saved = folder.File("saved.csv");
    WriteText(saved, header + "10.03.2024 12:00;5,5;;;;;;;\r\n");
    const std::string wrong = folder.File("wrong.csv");
    WriteText(wrong, header + "10.03.2024 12:00;5,5;;;;;;;\r\n10.03.2024 12:10;2x,5;;;;;;;\r\n");

    const CliResult read = Cli({"report", saved});
    EXPECT_EQ(read.status, kExitOk) << read.err;
    EXPECT_EQ(read.err,
              "Read as a spreadsheet's CSV: ';' between fields, ',' before decimals, dates "
              "day.month.year.\n");
    EXPECT_TRUE(Has(read.out, "5.5")) << read.out;
    const CliResult refused = Cli({"report", wrong});
    EXPECT_EQ(refused.status, kExitUsage);
    EXPECT_TRUE(Has(refused.err, "Line 3, column 2: \"2x,5\" is not a number.")) << refused.err;
}

}  // namespace
}  // namespace lgcset::cli::test
