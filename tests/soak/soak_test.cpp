// The fault soak: random valid settings written with lgcset-cli and with the window's "Save
// Settings", and history transfers, against simulated loggers whose replies are dropped,
// corrupted, delayed, doubled and preceded by noise. Checked from the logger's side: every
// write that said it succeeded left exactly the typed settings in the logger's memory,
// every failure said so, every export holds only the log's records, in order, none twice.
// Runs for LGCSET_SOAK_SECONDS (60 by default) and prints what it counted.
#include <gtest/gtest.h>

#include <QPushButton>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "data/history_csv_reader.h"
#include "data/history_frame.h"
#include "export/csv_writer.h"
#include "export/history_export.h"
#include "loggersim/simulator.h"
#include "profiles/ini_file.h"
#include "profiles/ini_storage.h"
#include "profiles/profile.h"
#include "profiles/profile_origin.h"
#include "protocol/commands.h"
#include "random_settings.h"
#include "session/device_identity.h"
#include "settings/parameter_image.h"
#include "settings/settings_model.h"
#include "sim/device.h"
#include "sim/request_frame.h"
#include "ui_test_support.h"

namespace lgcset::soak {
namespace {

using Clock = std::chrono::steady_clock;
using Page = std::array<std::uint8_t, 256>;
using Pages = std::array<Page, 4>;

constexpr int kResendMs = 300;
// Reply delays, the last beyond the resend interval: every reply then comes after a re-send.
constexpr std::array<int, 4> kDelays{0, 150, 280, 450};
const std::string kSaved = "saved successfully.";
const std::string kLoginSuccess = "Login success.";

int SoakSeconds() {
    const char* text = std::getenv("LGCSET_SOAK_SECONDS");
    return text != nullptr ? std::max(1, std::atoi(text)) : 60;
}

struct Tally {
    // Writes: lgcset-cli's and the window's.
    int writes = 0, claimed = 0, held = 0, lies = 0, failed = 0, silent = 0;
    // Reads by lgcset-cli after a verified write.
    int reads = 0, readsRight = 0, readLies = 0, readsFailed = 0;
    // Transfers.
    int transfers = 0, complete = 0, partial = 0, transferFailed = 0, badExports = 0;
    int countMismatches = 0;
    std::map<int, int> transfersAt, duplicatesAt, twinsDroppedAt;  // by delay
    double longestSeconds = 0;
    std::vector<std::string> problems;
};

sim::Options LoggerOptions(std::mt19937_64& rng, int delay) {
    static const std::array<const char*, 4> kModels{"R480", "R481", "R482", "R483"};
    sim::Options o;
    o.model = kModels[rng() % 4];
    o.historyEnd = sim::CivilTime{2026, 3, 1, 12, 0, 0};
    o.historyRecords = 24 + static_cast<std::uint32_t>(rng() % 25);  // within the range asked
    o.recordsPerReply = 1;  // as the logger answers the numbered requests of a transfer
    sim::FaultOptions& f = o.faults;
    f.seed = rng();
    f.dropProbability = 0.04;
    f.corruptProbability = 0.04;
    f.duplicateProbability = 0.04;
    f.noiseProbability = 0.04;
    f.loneDelimiterProbability = 0.02;
    f.delayMs = delay;
    return o;
}

// The logger's login reply as a login stores it: the payload area, 0xFF past the reply.
std::vector<std::uint8_t> LoginReply(const sim::Options& options) {
    sim::Device device(options, 0);
    const auto request = sim::ParseRequest(protocol::EscapeFrame(protocol::BuildLogin("8604")));
    std::vector<std::uint8_t> area(256, 0xFF);
    const auto reply = device.Handle(*request, 0);
    std::copy(reply->payload.begin(), reply->payload.end(), area.begin());
    return area;
}

// The four pages a save of the profile must leave in the logger, encoded as the program
// encodes them for that logger.
Pages Expected(const profiles::IniFile& profile, const std::vector<std::uint8_t>& loginReply) {
    settings::SettingsModel model;
    settings::CodeTables codes;
    session::ApplyIdentity(model, loginReply, codes);
    profiles::LoadProfile(profile, model);
    settings::ParameterImage image;
    Pages pages;
    for (std::size_t p = 0; p < 4; ++p) {
        const std::uint32_t address = settings::kSettingsPages[p];
        settings::EncodePage(address, model, image, codes);
        const auto bytes = image.Bytes(address, 256);
        std::copy(bytes.begin(), bytes.end(), pages[p].begin());
    }
    return pages;
}

Pages Held(const sim::Simulator& logger) {
    const sim::ParameterMemory memory = logger.Memory();
    Pages pages;
    for (std::size_t p = 0; p < 4; ++p)
        std::copy_n(memory.begin() + settings::kSettingsPages[p], 256, pages[p].begin());
    return pages;
}

// Random settings for the logger, as the profile that carries them.
profiles::IniFile RandomProfile(std::mt19937_64& rng, const std::vector<std::uint8_t>& login) {
    settings::SettingsModel model;
    settings::CodeTables codes;
    session::ApplyIdentity(model, login, codes);
    FillRandomSettings(rng, model);
    profiles::IniFile profile;
    profiles::SaveProfile(model, profile);
    return profile;
}

struct Folder {
    Folder() {
        path = std::filesystem::temp_directory_path() /
               ("lgcset-soak-" + std::to_string(::getpid()) + "-" + std::to_string(++count));
        std::filesystem::create_directories(path);
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
    static inline int count = 0;
};

struct CliRun {
    int status = -1;
    std::string out, err;
    double seconds = 0;
};

CliRun Cli(const std::vector<std::string>& arguments) {
    cli::CliEnvironment environment;
    environment.resendIntervalMs = kResendMs;
    std::ostringstream out, err;
    const auto start = Clock::now();
    CliRun run;
    run.status = cli::RunCli(arguments, out, err, environment);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.out = out.str();
    run.err = err.str();
    return run;
}

// One write's outcome against what the logger was left holding.
void Judge(Tally& t, bool claimed, bool failureSaid, const Pages& held, const Pages& expected,
           const std::string& what) {
    ++t.writes;
    if (claimed) {
        ++t.claimed;
        if (held == expected) {
            ++t.held;
        } else {
            ++t.lies;
            t.problems.push_back(what + " said it succeeded, the logger holds other settings");
        }
    } else if (failureSaid) {
        ++t.failed;
    } else {
        ++t.silent;
        t.problems.push_back(what + " ended without saying it failed");
    }
}

// The profile of the pages the logger holds, as the program decodes them: what a read that
// took each page for itself saves. (A profile read back need not encode to the same bytes:
// a threshold typed as "-0.00" is held as -0, which reads as "0.00".)
// With the read's own origin (its time and program), when it names the logger's model and
// device ID: a read that named another logger is wrong too.
std::string HeldProfile(const sim::Simulator& logger, const std::vector<std::uint8_t>& login,
                        const std::optional<profiles::ProfileOrigin>& origin) {
    settings::SettingsModel model;
    settings::CodeTables codes;
    session::ApplyIdentity(model, login, codes);
    settings::ParameterImage image;
    const Pages held = Held(logger);
    for (std::size_t p = 0; p < 4; ++p) {
        image.Store(settings::kSettingsPages[p], held[p]);
        settings::DecodePage(settings::kSettingsPages[p], model, image, codes);
    }
    profiles::IniFile profile;
    profiles::SaveProfile(model, profile);
    if (origin && origin->model == model.Text(settings::Setting::Model) &&
        origin->deviceId == model.Text(settings::Setting::DeviceId))
        profiles::WriteOrigin(profile, *origin);
    return profile.ToBytes();
}

// A read that said it succeeded brought what the logger holds.
void CliRead(Tally& t, const sim::Simulator& logger, const std::vector<std::uint8_t>& login,
             const std::filesystem::path& file, const std::string& what) {
    const CliRun run = Cli({"--port", logger.slavePath(), "read", file.string()});
    t.longestSeconds = std::max(t.longestSeconds, run.seconds);
    ++t.reads;
    if (run.status != 0) {
        ++(run.err.empty() ? t.silent : t.readsFailed);
        if (run.err.empty())
            t.problems.push_back(what + " ended without saying it failed");
        return;
    }
    profiles::IniFile profile;
    std::string error;
    if (profiles::ReadIniFile(file, profile, error) == profiles::ReadOutcome::Read &&
        profile.ToBytes() == HeldProfile(logger, login, profiles::ReadOrigin(profile))) {
        ++t.readsRight;
    } else {
        ++t.readLies;
        t.problems.push_back(what + " said it succeeded, its profile is not what the logger holds");
    }
}

void CliWrite(std::mt19937_64& rng, Tally& t, int delay) {
    const sim::Options options = LoggerOptions(rng, delay);
    sim::Simulator logger(options);
    ASSERT_TRUE(logger.StartOnPseudoTerminal());
    const auto login = LoginReply(options);
    const profiles::IniFile profile = RandomProfile(rng, login);
    Folder folder;
    const std::string file = (folder.path / "settings.ini").string();
    std::string error;
    {
        settings::SettingsModel model;
        profiles::LoadProfile(profile, model);
        ASSERT_TRUE(profiles::SaveProfileFile(model, file, error)) << error;
    }
    const CliRun run = Cli({"--port", logger.slavePath(), "write", "--yes", file});
    t.longestSeconds = std::max(t.longestSeconds, run.seconds);
    const bool claimed = run.status == 0 && run.out.find("verified\n") != std::string::npos;
    const std::string what = " (seed " + std::to_string(options.faults.seed) + ")";
    Judge(t, claimed, run.status != 0 && !run.err.empty(), Held(logger), Expected(profile, login),
          "lgcset-cli write" + what);
    if (claimed && Held(logger) == Expected(profile, login))
        CliRead(t, logger, login, folder.path / "read.ini", "lgcset-cli read" + what);
    logger.Stop();
}

int CountBoxes(const ui::test::TestWindow& w) {
    return static_cast<int>(w.boxes.Boxes().size());
}
std::string LastBox(const ui::test::TestWindow& w) {
    return w.boxes.Boxes().empty() ? std::string() : w.boxes.Boxes().back().text.toStdString();
}

void WindowSave(std::mt19937_64& rng, Tally& t, int delay) {
    const sim::Options options = LoggerOptions(rng, delay);
    sim::Simulator logger(options);
    ASSERT_TRUE(logger.StartOnPseudoTerminal());
    const auto login = LoginReply(options);
    const profiles::IniFile profile = RandomProfile(rng, login);
    auto window = ui::test::MakeWindow();
    window->SetResendInterval(kResendMs);
    ASSERT_TRUE(ui::test::OpenLink(*window, logger.slavePath()));
    const std::string what = "the window's Save Settings (seed " +
                             std::to_string(options.faults.seed) + ")";
    // Each step ends in a box within its re-sends: about 4 intervals and the delay for each
    // of the ten requests of a save.
    constexpr int kLimitMs = 10 * (4 * kResendMs + 600) + 2000;

    int before = CountBoxes(*window);
    window->btn7->click();
    if (!ui::test::WaitFor([&] { return CountBoxes(*window) > before; }, kLimitMs)) {
        ++t.writes;
        ++t.silent;
        t.problems.push_back(what + ": the login ended without a box");
        return;
    }
    if (LastBox(*window) != kLoginSuccess) {
        ++t.writes;
        ++t.failed;
        return;
    }
    profiles::LoadProfile(profile, window->Settings());
    before = CountBoxes(*window);
    const auto start = Clock::now();
    window->btn_down->click();
    const bool ended = ui::test::WaitFor([&] { return CountBoxes(*window) > before; }, kLimitMs);
    t.longestSeconds = std::max(t.longestSeconds,
                                std::chrono::duration<double>(Clock::now() - start).count());
    // The closing request's reply, if any, before the logger is stopped.
    ui::test::Pump(2 * kResendMs);
    logger.Stop();
    const bool claimed = ended && window->boxes.Boxes()[static_cast<std::size_t>(before)]
                                              .text.toStdString() == kSaved;
    Judge(t, claimed, ended && !claimed, Held(logger), Expected(profile, login), what);
}

// A record as an export shows it and the CSV reader takes it back.
std::vector<data::HistoryRecord> AsExported(const std::vector<data::HistoryRecord>& records) {
    std::string csv;
    exports::AppendCsvLine(csv, data::kHistoryColumns);
    exports::ExportRow row;
    for (const auto& r : records) {
        exports::RecordCells(r, row);
        exports::AppendCsvRow(csv, row, ".");
    }
    return data::ReadHistoryCsv(csv).records;
}

bool SameRecord(const data::HistoryRecord& a, const data::HistoryRecord& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second && a.sensor == b.sensor &&
           a.sensorPresent == b.sensorPresent && a.longitude == b.longitude &&
           a.latitude == b.latitude && a.velocity == b.velocity && a.direction == b.direction;
}

// The log's records of the range the soak asks for, as an export shows them.
std::vector<data::HistoryRecord> LogRecords(const sim::Options& options) {
    sim::Device device(options, 0);
    const sim::HistoryLog& log = device.history();
    const auto range = log.Select({2026, 2, 27}, {2026, 3, 1});
    static data::HistoryStore store;
    std::vector<data::HistoryRecord> records;
    for (std::uint32_t i = 0; i < range.count; ++i) {
        std::vector<std::uint8_t> bytes;
        log.AppendRecord(range.first + i, bytes);
        std::uint16_t count = 0;
        data::ParseHistoryFrame(bytes, store, count);
        records.push_back(store[0]);
    }
    return AsExported(records);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void Transfer(std::mt19937_64& rng, Tally& t, int delay) {
    const sim::Options options = LoggerOptions(rng, delay);
    sim::Simulator logger(options);
    ASSERT_TRUE(logger.StartOnPseudoTerminal());
    Folder folder;
    std::vector<std::string> arguments{"--port", logger.slavePath(), "history",
                                       "--from", "2026-02-27", "--to", "2026-03-01",
                                       "--out", folder.path.string(), "--no-archive"};
    if (rng() % 2 == 0)
        arguments.push_back("--keep-partial");
    const CliRun run = Cli(arguments);
    logger.Stop();
    t.longestSeconds = std::max(t.longestSeconds, run.seconds);
    ++t.transfers;
    ++t.transfersAt[delay];
    const std::string what = "lgcset-cli history (seed " + std::to_string(options.faults.seed) +
                             ", delay " + std::to_string(delay) + " ms)";
    if (const auto at = run.err.find(" repeated replies"); at != std::string::npos) {
        const auto start = run.err.rfind("lgcset-cli: ", at);
        t.twinsDroppedAt[delay] += std::atoi(run.err.c_str() + start + 12);
    }

    // The export, when one was written: "N records", the workbook, the CSV file.
    const auto lines = Lines(run.out);
    std::size_t at = 0;
    while (at < lines.size() && lines[at].find(" records") == std::string::npos) ++at;
    if (at + 2 >= lines.size()) {
        if (run.status == 0) {
            ++t.badExports;
            t.problems.push_back(what + " succeeded without an export");
        } else {
            ++t.transferFailed;
        }
        return;
    }
    const int said = std::atoi(lines[at].c_str());
    const data::HistoryCsvRead read = data::ReadHistoryCsvFile(lines[at + 2]);
    const std::vector<data::HistoryRecord> log = LogRecords(options);
    if (!read.ok) {
        ++t.badExports;
        t.problems.push_back(what + ": its CSV does not read: " + read.error);
        return;
    }
    // Every exported record is one of the log's, each after the one before it.
    std::size_t next = 0;
    bool twice = false, foreign = false;
    for (const auto& r : read.records) {
        std::size_t k = 0;
        while (k < log.size() && !SameRecord(log[k], r)) ++k;
        if (k == log.size())
            foreign = true;
        else if (k < next)
            twice = true;
        else
            next = k + 1;
    }
    if (twice)
        ++t.duplicatesAt[delay];
    const bool countRight = static_cast<std::size_t>(said) == read.records.size() &&
                            (run.status != 0 || read.records.size() == log.size());
    if (!countRight)
        ++t.countMismatches;
    if (twice || foreign || !countRight) {
        ++t.badExports;
        t.problems.push_back(what + ": " + std::to_string(read.records.size()) +
                             " records exported, " + std::to_string(said) + " said, " +
                             std::to_string(log.size()) + " in the log" +
                             (twice ? ", one twice or out of order" : "") +
                             (foreign ? ", one not in the log" : ""));
        return;
    }
    if (run.status == 0)
        ++t.complete;
    else
        ++t.partial;
}

void Print(const Tally& t, int seconds) {
    std::printf("soak: %d s\n", seconds);
    std::printf("writes: %d, said saved or verified %d (logger held the typed settings %d, "
                "did not %d), said failed %d, said nothing %d\n",
                t.writes, t.claimed, t.held, t.lies, t.failed, t.silent);
    std::printf("reads after a verified write: %d, right %d, wrong %d, said failed %d\n", t.reads,
                t.readsRight, t.readLies, t.readsFailed);
    std::printf("transfers: %d, complete %d, partial exports %d, failed without export %d, "
                "wrong exports %d (count wrong %d)\n",
                t.transfers, t.complete, t.partial, t.transferFailed, t.badExports,
                t.countMismatches);
    for (const auto& [delay, n] : t.transfersAt) {
        const auto value = [&](const std::map<int, int>& m) {
            const auto it = m.find(delay);
            return it == m.end() ? 0 : it->second;
        };
        std::printf("  delay %3d ms: %d transfers, %d with a record twice, %d late replies "
                    "dropped\n",
                    delay, n, value(t.duplicatesAt), value(t.twinsDroppedAt));
    }
    std::printf("longest operation: %.1f s\n", t.longestSeconds);
    for (const auto& p : t.problems) std::printf("problem: %s\n", p.c_str());
}

TEST(Soak, WritesAndTransfersOnAFaultyLineNeverClaimWhatDidNotHappen) {
    const int seconds = SoakSeconds();
    const char* seedText = std::getenv("LGCSET_SOAK_SEED");
    const std::uint64_t seed =
        seedText != nullptr ? std::strtoull(seedText, nullptr, 10) : std::random_device{}();
    std::printf("soak seed %llu (LGCSET_SOAK_SEED repeats it)\n",
                static_cast<unsigned long long>(seed));
    std::mt19937_64 rng(seed);
    Tally t;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    for (int n = 0; Clock::now() < end; ++n) {
        const int delay = kDelays[rng() % kDelays.size()];
        switch (n % 3) {
            case 0: CliWrite(rng, t, delay); break;
            case 1: WindowSave(rng, t, delay); break;
            default: Transfer(rng, t, delay); break;
        }
        if (::testing::Test::HasFatalFailure())
            break;
    }
    Print(t, seconds);
    EXPECT_GT(t.writes, 0);
    EXPECT_GT(t.transfers, 0);
    EXPECT_EQ(t.lies, 0);
    EXPECT_EQ(t.readLies, 0);
    EXPECT_EQ(t.silent, 0);
    EXPECT_EQ(t.badExports, 0);
}

}  // namespace
}  // namespace lgcset::soak
