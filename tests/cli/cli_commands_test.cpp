// Every command of lgcset-cli against the simulated logger, with its failures: what it
// prints, its exit status, and what the logger holds afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "cli/cli_commands.h"
#include "cli/headless_session.h"
#include "cli_support.h"
#include "support/exact_log.h"
#include "support/profile_stamp.h"

namespace lgcset::cli::test {
namespace {

std::uint16_t MemoryU16(const sim::ParameterMemory& memory, std::size_t at) {
    return static_cast<std::uint16_t>(memory[at] | memory[at + 1] << 8);
}

std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(CliInfo, PrintsModelAndFirmwareOfEveryModelAsTextAndJson) {
    for (const char* model : {"R480", "R481", "R482", "R483"}) {
        sim::Options options;
        options.model = model;
        options.firmware = "V9.99";
        Logger logger(options);
        const CliResult text = logger.Run({"info"});
        EXPECT_EQ(text.status, kExitOk) << text.err;
        EXPECT_EQ(text.out, std::string("model ") + model + "\nfirmware V9.99\n");
        const CliResult json = logger.Run({"--json", "info"});
        EXPECT_EQ(json.out,
                  std::string("{\"model\": \"") + model + "\", \"firmware\": \"V9.99\"}\n");
    }
}

TEST(CliDemo, EveryModelAnswersWithoutHardware) {
    const CliResult result = Cli({"--demo", "R482", "info"});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out.rfind("model R482\n", 0), 0u) << result.out;
}

TEST(CliFailures, EachSaysWhatHappenedInOneLineWithItsStatus) {
    Logger logger;
    CliResult result = logger.Run({"--password", "1111", "info"});
    EXPECT_EQ(result.status, kExitRefused);
    EXPECT_EQ(result.err,
              "lgcset-cli: wrong password: the logger refused the login (Login failure! Please "
              "enter the device password correctly.)\n");
    EXPECT_TRUE(result.out.empty());

    result = Cli({"--port", "/nonexistent/ttyUSB9", "info"});
    EXPECT_EQ(result.status, kExitLink);
    EXPECT_EQ(Lines(result.err), 1u) << result.err;
    EXPECT_NE(result.err.find("cannot open the port /nonexistent/ttyUSB9"), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("No such device: /nonexistent/ttyUSB9."), std::string::npos)
        << result.err;
    // One reason, the system's, not the component's text beside it.
    result = Cli({"--port", "/dev/null", "info"});
    EXPECT_EQ(result.status, kExitLink);
    EXPECT_EQ(result.err,
              "lgcset-cli: cannot open the port /dev/null: /dev/null is not a serial port.\n");

    // A logger that has stopped answering: the request is sent four times, then given up.
    logger.simulator.AnswerOnly(0);
    result = logger.Run({"info"});
    EXPECT_EQ(result.status, kExitLink);
    EXPECT_EQ(result.err, "lgcset-cli: no reply from the logger on " +
                              logger.simulator.slavePath() +
                              " after 3 resends (Send command timeout)\n");
}

// The list comes before anything is written; only a Yes, typed or given as --yes, writes.
TEST(CliProfiles, AWriteListsItsChangesAndGoesOnlyWhenConfirmed) {
    Logger logger;
    TempFolder folder;
    const std::string profile = folder.File("logger.ini");
    ASSERT_EQ(logger.Run({"read", profile}).status, kExitOk);
    const std::string changed = folder.File("changed.ini");
    WriteText(changed, WithValue(ReadText(profile), "port", "9000"));
    struct Case {
        std::vector<std::string> options;
        const char* typed;  // on a terminal; null: standard input is none
        int status;
        bool written;
        const char* says;  // on standard error
    };
    const Case cases[] = {
        {{"--dry-run"}, nullptr, kExitOk, false, ""},
        {{}, nullptr, kExitRefused, false, "add --yes"},
        {{}, "n\n", kExitRefused, false, "Write 1 change? [y/N]"},
        {{"--no-verify", "--reason", "new server"}, "y\n", kExitOk, true, ""},
    };
    std::uint32_t readOnly = 0;  // what a dry run sends: the login and the read
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed == nullptr ? "no terminal" : c.typed);
        std::istringstream terminal(c.typed == nullptr ? "" : c.typed);
        CliEnvironment environment;
        environment.terminalInput = c.typed == nullptr ? nullptr : &terminal;
        std::vector<std::string> line{"--port", logger.simulator.slavePath(), "write"};
        line.insert(line.end(), c.options.begin(), c.options.end());
        line.push_back(changed);
        const std::uint32_t frames = logger.simulator.counters().framesReceived;
        const CliResult result = Cli(line, environment);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_TRUE(result.out.starts_with("GPRS Connection setting / Port: 8000 -> 9000\n"))
            << result.out;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
        const std::uint32_t sent = logger.simulator.counters().framesReceived - frames;
        if (readOnly == 0)
            readOnly = sent;
        if (c.written)
            EXPECT_GT(sent, readOnly);
        else
            EXPECT_EQ(sent, readOnly);
        EXPECT_EQ(MemoryU16(logger.simulator.Memory(), 3072 + 64), c.written ? 9000 : 8000);
    }
}

TEST(CliProfiles, ReadWriteAndDiffAgreeWithWhatTheLoggerHolds) {
    Logger logger;
    TempFolder folder;
    const std::string profile = folder.File("logger.ini");
    CliResult result = logger.Run({"read", profile});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    const std::string factory = ReadText(profile);
    EXPECT_NE(factory.find("port=8000"), std::string::npos) << factory;

    // Nothing differs from the logger it came from.
    result = logger.Run({"diff", profile});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out, "");

    // A changed profile written and verified lands in the logger's pages.
    const std::string changed = folder.File("changed.ini");
    WriteText(changed, WithValue(WithValue(factory, "port", "9000"), "tel1", "+8613800138000"));
    result = logger.Run({"diff", changed});
    EXPECT_EQ(result.status, kExitRefused);
    EXPECT_EQ(result.out, "No.1\t\t+8613800138000\nPort\t8000\t9000\n");
    result = logger.Run({"--json", "diff", changed});
    EXPECT_NE(result.out.find("{\"setting\": \"edt_port\", \"caption\": \"Port\", \"logger\": "
                              "\"8000\", \"profile\": \"9000\"}"),
              std::string::npos)
        << result.out;

    result = logger.Run({"write", "--yes", changed});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out, "Authorized numbers / No.1:  -> +8613800138000\n"
                          "GPRS Connection setting / Port: 8000 -> 9000\nverified\n");
    const sim::ParameterMemory memory = logger.simulator.Memory();
    EXPECT_EQ(MemoryU16(memory, 3072 + 64), 9000);
    EXPECT_EQ(memory[1024 + 2], '+');
    EXPECT_EQ(logger.Run({"diff", changed}).status, kExitOk);

    // Read again, the file is the one that was written.
    const std::string again = folder.File("again.ini");
    ASSERT_EQ(logger.Run({"read", again}).status, kExitOk);
    EXPECT_EQ(support::WithoutSaveStamp(ReadText(again)),
              support::WithoutSaveStamp(ReadText(changed)));

    EXPECT_TRUE(logger.Run({"write", "--yes", "--no-verify", profile}).out.ends_with("\nwritten\n"));
    EXPECT_EQ(MemoryU16(logger.simulator.Memory(), 3072 + 64), 8000);
}

// A reply doubled by the line, or one that comes after its request was sent again, answers
// a request already answered: its second copy must not be taken for the next page.
TEST(CliProfiles, RepliesDoubledOrLateAreTakenOnceByReadAndWrite) {
    TempFolder folder;
    Logger clean;
    const std::string factory = folder.File("factory.ini");
    ASSERT_EQ(clean.Run({"read", factory}).status, kExitOk);
    const std::string changed = folder.File("changed.ini");
    WriteText(changed, WithValue(ReadText(factory), "port", "9000"));
    ASSERT_EQ(clean.Run({"write", "--yes", "--no-verify", changed}).status, kExitOk);

    sim::Options doubled;
    doubled.faults.seed = 3;
    doubled.faults.duplicateProbability = 0.5;
    sim::Options late;  // later than the re-send: each request is answered twice
    late.faults.delayMs = kResendMs + 60;
    for (const sim::Options& options : {doubled, late}) {
        SCOPED_TRACE(options.faults.delayMs > 0 ? "late" : "doubled");
        Logger logger(options);
        for (int i = 0; i < 2; ++i) {
            const std::string read = folder.File("read.ini");
            ASSERT_EQ(logger.Run({"read", read}).status, kExitOk);
            EXPECT_EQ(support::WithoutSaveStamp(ReadText(read)),
                      support::WithoutSaveStamp(ReadText(factory)));
        }
        const CliResult written = logger.Run({"write", "--yes", "--no-verify", changed});
        EXPECT_EQ(written.status, kExitOk) << written.err;
        EXPECT_EQ(logger.simulator.Memory(), clean.simulator.Memory());
    }
}

// A profile read from one logger goes to another model or another device ID only with
// --force; diff refuses it alike.
TEST(CliProfiles, AProfileOfAnotherLoggerIsRefusedWithoutForce) {
    TempFolder folder;
    sim::Options source;
    source.model = "R483";
    source.deviceId = "123456789";
    const std::string profile = folder.File("r483.ini");
    {
        Logger logger(source);
        ASSERT_EQ(logger.Run({"read", profile}).status, kExitOk);
    }
    const std::string text = ReadText(profile);
    EXPECT_NE(text.find("[Origin]\r\nmodel=R483\r\nfirmware=V3.05-R48x\r\n"
                        "device_id=000000123456789\r\nsaved_at=20"),
              std::string::npos)
        << text;

    sim::Options otherModel;
    otherModel.deviceId = "123456789";
    sim::Options otherDevice = source;
    otherDevice.deviceId = "101";
    const struct {
        const char* name;
        sim::Options target;
        std::string refusal;
    } cases[] = {
        {"another model", otherModel,
         "was saved from R483 (device 000000123456789); the logger is R481"},
        {"another device ID", otherDevice,
         "was saved from R483 (device 000000123456789); the logger is R483 (device "
         "000000000000101)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Logger logger(c.target);
        const sim::ParameterMemory before = logger.simulator.Memory();
        CliResult result = logger.Run({"write", "--yes", profile});
        EXPECT_EQ(result.status, kExitRefused);
        EXPECT_EQ(result.err, "lgcset-cli: " + profile + " " + c.refusal +
                                  "; --force writes it anyway\n");
        EXPECT_EQ(logger.simulator.Memory(), before);
        result = logger.Run({"diff", profile});
        EXPECT_EQ(result.status, kExitRefused);
        EXPECT_EQ(Lines(result.err), 1u) << result.err;

        result = logger.Run({"write", "--yes", "--force", profile});
        EXPECT_EQ(result.status, kExitOk) << result.err;
        EXPECT_EQ(logger.Run({"diff", "--force", profile}).status, kExitOk);
    }
}

TEST(CliProfiles, NothingIsWrittenAfterAFailedCheckOrFromAProfileThatCannotBeRead) {
    Logger logger;
    TempFolder folder;
    const std::string profile = folder.File("p.ini");
    ASSERT_EQ(logger.Run({"read", profile}).status, kExitOk);
    const sim::ParameterMemory before = logger.simulator.Memory();

    const std::string bad = folder.File("bad.ini");
    WriteText(bad, WithValue(ReadText(profile), "port", "80a0"));
    std::uint32_t frames = logger.simulator.counters().framesReceived;
    CliResult result = logger.Run({"write", "--yes", bad});
    EXPECT_EQ(result.status, kExitRefused);
    EXPECT_EQ(result.err,
              "lgcset-cli: The value of \"Port\" is not a valid number. Nothing was written to "
              "the device.\n");
    EXPECT_EQ(logger.simulator.counters().framesReceived, frames + 1);  // the login only
    EXPECT_EQ(logger.simulator.Memory(), before);

    // A profile that is not there, or a folder: the logger is not even logged in to.
    frames = logger.simulator.counters().framesReceived;
    for (const std::string& unreadable : {folder.File("missing.ini"), folder.path.string()}) {
        for (const char* command : {"write", "diff"}) {
            result = logger.Run({command, unreadable});
            EXPECT_EQ(result.status, kExitUsage) << command;
            EXPECT_NE(result.err.find("cannot read the profile " + unreadable), std::string::npos)
                << result.err;
        }
    }
    EXPECT_EQ(logger.simulator.counters().framesReceived, frames);

    // A profile that cannot be written leaves nothing behind.
    result = logger.Run({"read", folder.File("no/such/folder/p.ini")});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_NE(result.err.find("cannot write the profile"), std::string::npos) << result.err;
    EXPECT_EQ(FilesIn(folder.path), (std::vector<std::string>{"bad.ini", "p.ini"}));

    // Nor is a profile written through a link into the file it leads to.
    WriteText(folder.File("passwd"), "root:x:0:0\n");
    std::filesystem::create_symlink(folder.File("passwd"), folder.File("link.ini"));
    result = logger.Run({"read", folder.File("link.ini")});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_EQ(result.err, "lgcset-cli: cannot write the profile " + folder.File("link.ini") +
                              ": it is a symbolic link, which a profile is not written through\n");
    EXPECT_EQ(ReadText(folder.File("passwd")), "root:x:0:0\n");
}

TEST(CliProfiles, AValueTheLoggerCannotHoldIsRefusedAndVerifiedMeansHeldAsTyped) {
    Logger logger;
    TempFolder folder;
    const std::string profile = folder.File("p.ini");
    ASSERT_EQ(logger.Run({"read", profile}).status, kExitOk);
    const std::string factory = ReadText(profile);
    const sim::ParameterMemory before = logger.simulator.Memory();

    const std::vector<std::array<std::string, 3>> refused = {
        {"rectime", "-5", "Log interval timer: -5 does not fit; the logger holds 0 to 255."},
        {"rectime", "300", "Log interval timer: 300 does not fit; the logger holds 0 to 255."},
        {"port", "70000", "Port: 70000 does not fit; the logger holds 0 to 65535."},
        {"tel1", "+86138001380001234567",
         "No.1: \"+86138001380001234567\" does not fit; the logger holds 20 characters."},
        {"gprsname", "x\xE2\x82\xAC",
         "The value of \"User Name\" holds \"\xE2\x82\xAC\", which the logger cannot store."},
    };
    const std::string bad = folder.File("bad.ini");
    for (const auto& [key, value, line] : refused) {
        WriteText(bad, WithValue(factory, key, value));
        for (const char* command : {"write", "diff"}) {
            const std::uint32_t frames = logger.simulator.counters().framesReceived;
            const CliResult result = logger.Run({command, bad});
            EXPECT_EQ(result.status, kExitRefused) << command << " " << value;
            EXPECT_EQ(result.err, "lgcset-cli: " + line + "\n");
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(logger.simulator.counters().framesReceived, frames + 1);  // the login
        }
    }
    EXPECT_EQ(logger.simulator.Memory(), before);

    // A list value outside its list is refused before the logger is even logged in to.
    WriteText(bad, WithValue(factory, "upmode", "9"));
    const std::uint32_t frames = logger.simulator.counters().framesReceived;
    const CliResult unfit = logger.Run({"write", "--yes", bad});
    EXPECT_EQ(unfit.status, kExitRefused);
    EXPECT_EQ(unfit.err,
              "lgcset-cli: SMS Report type: [OTHER] upmode=9 does not fit; the setting holds 0 "
              "\"Timer\" or 1 \"Schedule\".\n");
    EXPECT_EQ(unfit.out, "");
    EXPECT_EQ(logger.simulator.counters().framesReceived, frames);

    // The top of each range, and values typed in another form than the logger shows them,
    // are written and verified.
    std::string typed = WithValue(factory, "rectime", "+255");
    typed = WithValue(typed, "port", "65535");
    typed = WithValue(typed, "devid", "123");
    typed = WithValue(typed, "ullimit", "25.1");
    typed = WithValue(typed, "stp", "");
    WriteText(bad, typed);
    const CliResult result = logger.Run({"write", "--yes", bad});
    EXPECT_EQ(result.status, kExitOk) << result.err << result.out;
    // An empty number box is what the logger stores as "not set", and is listed so.
    EXPECT_EQ(result.out,
              "System Parameters / Device ID: 000000000000000 -> 000000000000123\n"
              "System Parameters / Log interval timer: 5 -> not set (255)\n"
              "GPRS Connection setting / Port: 8000 -> not set (65535)\n"
              "Alarm parameters setting1 / Ultra-low: not set (999.00) -> 25.10\nverified\n");
    const sim::ParameterMemory memory = logger.simulator.Memory();
    EXPECT_EQ(memory[4096 + 42], 255);
    EXPECT_EQ(MemoryU16(memory, 3072 + 64), 65535);
    EXPECT_EQ(logger.Run({"diff", bad}).out, "");
}

TEST(CliProfiles, AFileThatIsNoProfileIsRefusedAndAHalfOneIsNamed) {
    Logger logger;
    TempFolder folder;
    const std::string empty = folder.File("empty.ini");
    const std::string stray = folder.File("stray.ini");
    WriteText(empty, "");
    WriteText(stray, std::string(1, '\0') + "\xFF\xA5 not a profile\r\n[x]\r\ny=1\r\n");
    const std::uint32_t frames = logger.simulator.counters().framesReceived;
    for (const std::string& file : {empty, stray}) {
        for (const char* command : {"write", "diff"}) {
            const CliResult result = logger.Run({command, file});
            EXPECT_EQ(result.status, kExitUsage) << command;
            EXPECT_EQ(result.err, "lgcset-cli: " + file + " holds no settings of this program.\n");
            EXPECT_EQ(result.out, "");
        }
    }
    EXPECT_EQ(logger.simulator.counters().framesReceived, frames);  // not even logged in to

    const std::string half = folder.File("half.ini");
    WriteText(half, "[GPRS]\r\nport=9000\r\n");
    const CliResult result = logger.Run({"diff", half});
    EXPECT_EQ(result.err.rfind("lgcset-cli: " + half +
                                   " lacks 97 of the 98 settings; they take "
                                   "their defaults.\n",
                               0),
              0u)
        << result.err;
    EXPECT_NE(result.out.find("Port\t8000\t9000\n"), std::string::npos) << result.out;
}

// Each record once, whether a reply carries one record or several.
TEST(CliHistory, ExportsTheRangeToTheWindowsTwoFiles) {
    for (const int perReply : {1, 8}) {
        SCOPED_TRACE(std::to_string(perReply) + " records a reply");
        sim::Options options = support::ExactLog(144, 10);
        options.recordsPerReply = perReply;
        Logger logger(options);
        TempFolder folder;
        CliResult result =
            logger.Run({"history", "--from", "24-03-01", "--to", "24-03-31", "--out", folder.path});
        ASSERT_EQ(result.status, kExitOk) << result.err;
        const std::vector<std::string> files = FilesIn(folder.path);
        ASSERT_EQ(files.size(), 3u);
        EXPECT_TRUE(files[1].starts_with("SAVE2") && files[1].ends_with(".xls")) << files[1];
        EXPECT_TRUE(files[2].starts_with("SAVE_CSV_") && files[2].ends_with(".csv")) << files[2];
        EXPECT_EQ(result.out, "144 records\n" + (folder.path / files[1]).string() + "\n" +
                                  (folder.path / files[2]).string() + "\n");
        // The manifest beside them names the logger and the days asked for.
        const exports::ManifestRead manifest = exports::ReadManifestFile(folder.path / files[0]);
        ASSERT_EQ(manifest.outcome, exports::ManifestRead::Outcome::Read) << manifest.error;
        EXPECT_EQ(manifest.manifest.program, "lgcset-cli");
        EXPECT_EQ(manifest.manifest.model, logger.Run({"info"}).out.substr(6, 4));
        EXPECT_EQ(manifest.manifest.rangeFrom + " " + manifest.manifest.rangeTo,
                  "2024-03-01 2024-03-31");
        EXPECT_EQ(manifest.manifest.records, 144u);
        EXPECT_TRUE(manifest.manifest.complete);
        EXPECT_EQ(manifest.manifest.csv, files[2]);
        const std::string csv = ReadText((folder.path / files[2]).string());
        EXPECT_EQ(csv.rfind("time,Sensor1,Sensor2,Sensor3,Sensor4,Longitude,Latitude,Velocity,"
                            "Direction\r\n",
                            0),
                  0u);
        EXPECT_EQ(Lines(csv), 145u);
        EXPECT_NE(csv.find("\r\n24-03-09 12:10:00,"), std::string::npos);  // the first
        EXPECT_NE(csv.find("\r\n24-03-10 12:00:00,"), std::string::npos);  // the last
    }
}

TEST(CliHistory, TwoRunsInOneSecondKeepBothPairsAndNameTheFilesAsWritten) {
    TempFolder folder;
    CliEnvironment environment;
    environment.exportClock = [] { return exports::LocalTime{2026, 12, 9, 5, 40, 6}; };
    std::vector<CliResult> results;
    for (std::uint32_t records : {50u, 12u}) {
        Logger logger(support::ExactLog(records, 10));
        results.push_back(Cli({"--port", logger.simulator.slavePath(), "history", "--from",
                               "24-03-01", "--to", "24-03-31", "--out", folder.path.string()},
                              environment));
        ASSERT_EQ(results.back().status, kExitOk) << results.back().err;
    }
    EXPECT_EQ(FilesIn(folder.path),
              (std::vector<std::string>{
                  "SAVE2026-12-09_05-40-06.json", "SAVE2026-12-09_05-40-06.xls",
                  "SAVE2026-12-09_05-40-06_2.json", "SAVE2026-12-09_05-40-06_2.xls",
                  "SAVE_CSV_2026-12-09_05-40-06.csv", "SAVE_CSV_2026-12-09_05-40-06_2.csv"}));
    EXPECT_EQ(results[1].out, "12 records\n" + folder.File("SAVE2026-12-09_05-40-06_2.xls") + "\n" +
                                  folder.File("SAVE_CSV_2026-12-09_05-40-06_2.csv") + "\n");
    EXPECT_EQ(Lines(ReadText(folder.File("SAVE_CSV_2026-12-09_05-40-06.csv"))), 51u);
    EXPECT_EQ(Lines(ReadText(folder.File("SAVE_CSV_2026-12-09_05-40-06_2.csv"))), 13u);
}

TEST(CliHistory, RefusedRangesEmptyRangesAndCutTransfersWriteNoFile) {
    Logger logger(support::ExactLog(50, 10));
    TempFolder folder;
    const std::uint32_t frames = logger.simulator.counters().framesReceived;
    CliResult result =
        logger.Run({"history", "--from", "24-01-01", "--to", "24-08-01", "--out", folder.path});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_EQ(result.err, "lgcset-cli: time is to long!(less than 6months)\n");
    EXPECT_EQ(logger.simulator.counters().framesReceived, frames + 1);  // the login only

    result =
        logger.Run({"history", "--from", "23-01-01", "--to", "23-02-01", "--out", folder.path});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out, "No data recorded on this period.\n");

    // A range that ends before it starts: the logger is not even logged in to.
    const std::uint32_t before = logger.simulator.counters().framesReceived;
    result =
        logger.Run({"history", "--from", "24-03-31", "--to", "24-03-01", "--out", folder.path});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_NE(result.err.find("the range ends before it starts"), std::string::npos) << result.err;
    EXPECT_EQ(logger.simulator.counters().framesReceived, before);

    // The line goes dead after the login, the device ID's page, the clock, the count and ten
    // records.
    logger.simulator.AnswerOnly(1 + 1 + 1 + 1 + 10);
    result =
        logger.Run({"history", "--from", "24-03-01", "--to", "24-03-31", "--out", folder.path});
    EXPECT_EQ(result.status, kExitLink);
    EXPECT_NE(result.err.find("10 of 50 records had arrived; nothing was exported"),
              std::string::npos)
        << result.err;
    EXPECT_TRUE(FilesIn(folder.path).empty());
}

TEST(CliHistory, TheOutFolderIsMadeWhenMissingAndRefusedBeforeTheLoggerWhenItCannotBeWritten) {
    Logger logger(support::ExactLog(5, 10));
    TempFolder folder;
    const std::filesystem::path made = folder.path / "logs" / "ttyUSB0";
    CliResult result =
        logger.Run({"history", "--from", "24-03-01", "--to", "24-03-31", "--out", made.string()});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(FilesIn(made).size(), 3u);  // the export, and nothing left of the write test

    // Tests may run as root, for whom a read-only folder is writable: these fail for all.
    WriteText(folder.File("plain"), "a file, not a folder");
    std::vector<std::string> unwritable = {folder.File("plain"), folder.File("plain/sub")};
    if (std::filesystem::is_directory("/proc/self"))
        unwritable.push_back("/proc/self");
    const std::uint32_t frames = logger.simulator.counters().framesReceived;
    for (const std::string& out : unwritable) {
        result = logger.Run({"history", "--from", "24-03-01", "--to", "24-03-31", "--out", out});
        EXPECT_EQ(result.status, kExitUsage) << out;
        EXPECT_EQ(result.err.rfind("lgcset-cli: --out: ", 0), 0u) << result.err;
        EXPECT_EQ(Lines(result.err), 1u) << result.err;
        EXPECT_NE(result.err.find(out), std::string::npos) << result.err;
    }
    EXPECT_EQ(logger.simulator.counters().framesReceived, frames);
    EXPECT_EQ(FilesIn(folder.path), (std::vector<std::string>{"logs", "plain"}));
}

TEST(CliHistory, KeepPartialExportsWhatArrivedWhenTheLineIsLostOrTheLoggerStopsAnswering) {
    for (const bool hangUp : {true, false}) {
        SCOPED_TRACE(hangUp ? "line lost" : "no answer");
        sim::Options options = support::ExactLog(50, 10);
        // After the login, the device ID's page, the clock, the count and ten records.
        if (hangUp)
            options.faults.hangUpAfterFrames = 1 + 1 + 1 + 1 + 10;
        Logger logger(options);
        if (!hangUp)
            logger.simulator.AnswerOnly(1 + 1 + 1 + 1 + 10);
        TempFolder folder;
        const std::filesystem::path out = folder.path / "out";
        const CliResult result =
            logger.Run({"history", "--from", "24-03-01", "--to", "24-03-31", "--out", out.string(),
                        "--keep-partial", "--archive", folder.File("a.sqlite")});
        EXPECT_EQ(result.status, kExitLink);
        EXPECT_EQ(Lines(result.err), 1u) << result.err;
        const std::string cause =
            hangUp ? "the line to the logger on " + logger.simulator.slavePath() + " was lost"
                   : "no reply from the logger on " + logger.simulator.slavePath();
        EXPECT_EQ(result.err.rfind("lgcset-cli: " + cause, 0), 0u) << result.err;
        EXPECT_NE(result.err.find(": 10 of 50 records had arrived; they were exported"),
                  std::string::npos)
            << result.err;
        const std::vector<std::string> files = FilesIn(out);
        ASSERT_EQ(files.size(), 3u);
        // What was exported is archived as well.
        EXPECT_EQ(result.out, "10 records\n" + (out / files[1]).string() + "\n" +
                                  (out / files[2]).string() +
                                  "\n10 new records archived (0 already there)\n");
        EXPECT_EQ(Lines(ReadText((out / files[2]).string())), 11u);
        // Its manifest says that the transfer ended early, and why.
        const exports::ManifestRead manifest = exports::ReadManifestFile(out / files[0]);
        EXPECT_FALSE(manifest.manifest.complete);
        EXPECT_EQ(manifest.manifest.endedEarly.rfind(cause, 0), 0u) << manifest.manifest.endedEarly;
        EXPECT_EQ(manifest.manifest.records, 10u);
    }
}

TEST(CliClock, ReadsAndSetsTheLoggersClock) {
    sim::Options options;
    options.clockReply = std::array<std::uint8_t, 6>{24, 2, 29, 23, 5, 9};
    Logger logger(options);
    CliResult result = logger.Run({"clock"});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out, "2024-02-29 23:05:09\n");
    EXPECT_EQ(logger.Run({"clock", "--json"}).out, "{\"clock\": \"2024-02-29 23:05:09\"}\n");

    result = logger.Run({"clock", "--set", "2025-06-30 08:09:10"});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out, "time setting successfully: 2025-06-30 08:09:10\n");
    ASSERT_TRUE(logger.simulator.DeviceClock());
    EXPECT_EQ(logger.simulator.DeviceClock()->year, 2025);
    EXPECT_EQ(logger.simulator.DeviceClock()->month, 6);
    EXPECT_EQ(logger.simulator.DeviceClock()->day, 30);
    EXPECT_EQ(logger.Run({"clock", "--set", "now"}).status, kExitOk);

    // The last year two digits hold.
    result = logger.Run({"clock", "--set", "2099-12-31 23:59:59"});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(logger.simulator.DeviceClock()->year, 2099);
}

TEST(CliClock, ALoggerWithoutTimeOrRefusingTheSettingIsARefusal) {
    sim::Options options;
    options.clockReply = std::array<std::uint8_t, 6>{24, 0, 1, 0, 0, 0};
    options.refuseSetTime = true;
    Logger logger(options);
    CliResult result = logger.Run({"clock"});
    EXPECT_EQ(result.status, kExitRefused);
    EXPECT_EQ(result.err, "lgcset-cli: the logger has no time (time error)\n");
    result = logger.Run({"clock", "--set", "now"});
    EXPECT_EQ(result.status, kExitRefused);
    EXPECT_EQ(result.err, "lgcset-cli: the logger refused: time setting failure!\n");
}

TEST(CliCurrent, PrintsTheReadingsWithTheWindowsTexts) {
    sim::Options options;
    // Sensor 1 at 21.5, GSM signal 27, relay and power on; no position.
    options.currentDataReply =
        std::vector<std::uint8_t>{0x01, 0x00, 0x00, 0x00, 0xAC, 0x41,  // 21.5f
                                  0x02, 0x00, 0x00, 0x00, 0xD8, 0x41,  // 27.0f
                                  0x03, 0x00, 0x00, 0x00, 0x80, 0x3F,  // 1.0f
                                  0x04, 0x00, 0x00, 0x00, 0x80, 0x3F};
    Logger logger(options);
    CliResult result = logger.Run({"current"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(Lines(result.out), 11u);
    EXPECT_EQ(result.out.rfind("Sensor1\t21.5\nSensor2\t\n", 0), 0u) << result.out;
    const CliResult json = logger.Run({"current", "--json"});
    EXPECT_NE(json.out.find("\"Sensor1\": \"21.5\", \"Sensor2\": null"), std::string::npos)
        << json.out;
}

TEST(CliRelay, SendsTheTestAndReportsARefusal) {
    Logger logger;
    EXPECT_EQ(logger.Run({"relay", "--nc", "10"}).out, "operate successfully.\n");
    EXPECT_EQ(logger.Run({"relay", "--pulse", "2", "3", "4"}).status, kExitOk);
    EXPECT_EQ(logger.Run({"relay", "--stop"}).status, kExitOk);
    EXPECT_EQ(logger.Run({"relay", "--nc", "9999"}).status, kExitOk);
    const auto requests = logger.simulator.RelayRequests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[3], (std::vector<std::uint8_t>{0x01, 'C', 0x0F, 0x27}));
    EXPECT_EQ(requests[0], (std::vector<std::uint8_t>{0x01, 'C', 10, 0}));
    EXPECT_EQ(requests[1], (std::vector<std::uint8_t>{0x01, 'P', 2, 0, 3, 0, 4}));
    EXPECT_EQ(requests[2], (std::vector<std::uint8_t>{0x01, 'O'}));

    sim::Options refusing;
    refusing.refuseRelay = true;
    Logger other(refusing);
    const CliResult refused = other.Run({"relay", "--stop"});
    EXPECT_EQ(refused.status, kExitRefused);
    EXPECT_EQ(refused.err, "lgcset-cli: the logger refused: operate failure!\n");
}

TEST(CliFactoryReset, BringsBackTheFactorySettingsOnlyWhenConfirmed) {
    Logger logger;
    const sim::ParameterMemory factory = logger.simulator.Memory();
    TempFolder folder;
    const std::string profile = folder.File("p.ini");
    ASSERT_EQ(logger.Run({"read", profile}).status, kExitOk);
    WriteText(profile, WithValue(ReadText(profile), "port", "1234"));
    ASSERT_EQ(logger.Run({"write", "--yes", "--no-verify", profile}).status, kExitOk);
    ASSERT_NE(logger.simulator.Memory(), factory);

    EXPECT_EQ(logger.Run({"factory-reset"}).status, kExitUsage);
    EXPECT_NE(logger.simulator.Memory(), factory);
    const CliResult reset = logger.Run({"factory-reset", "--yes"});
    EXPECT_EQ(reset.status, kExitOk) << reset.err;
    EXPECT_EQ(logger.simulator.Memory(), factory);
}

}  // namespace
}  // namespace lgcset::cli::test
