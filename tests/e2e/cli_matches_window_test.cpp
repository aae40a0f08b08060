// lgcset-cli and the window on the same simulated loggers: `write` leaves the bytes that
// "Load Profile" + "Save Settings" leave, and `read` gives the file that "Read Settings" +
// "Save Profile to..." give, for every model.
#include <QDate>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli_commands.h"
#include "e2e_support.h"
#include "support/exact_log.h"
#include "support/profile_stamp.h"

namespace lgcset::ui::e2e {
namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Settings away from the factory's on every page, schedules and upload time included.
std::string CustomerProfile() {
    return "[COM]\r\nsetPwd=8604\r\n[TEL]\r\ntel1=+8613800138000\r\ntel2=13900139001\r\n"
           "tel1_fun1=1\r\ntel2_fun2=3\r\n"
           "[GPRS]\r\nip1=lgc.example.com\r\nip2=10.0.0.2\r\nport=9001\r\nmode=1\r\napn=cmnet\r\n"
           "[OTHER]\r\ntimemode=0\r\ndevid=4711\r\nrectime=15\r\nupmode=1\r\nrelaytime=30\r\n"
           "gprsupmode=1\r\ngprspointup=23:45:00\r\n"
           "[fixedpointtime]\r\ntime1open=1\r\ntime2open=1\r\ntime1time=08:30:00\r\n"
           "time2time=20:00:00\r\n"
           "[SENSOR1]\r\nullimit=-10.5\r\nhlimit=60\r\nrelaytime=120\r\nstp=5\r\n"
           "[SENSOR2]\r\nllimit=2.25\r\nsvalue=4\r\nevalue=20\r\n";
}

int Cli(const std::vector<std::string>& arguments, std::string* err = nullptr) {
    std::ostringstream out;
    std::ostringstream error;
    cli::CliEnvironment environment;
    environment.resendIntervalMs = kResendMs;
    const int status = cli::RunCli(arguments, out, error, environment);
    if (err != nullptr)
        *err = error.str();
    return status;
}

class CliMatchesWindow : public ::testing::TestWithParam<const char*> {
  protected:
    sim::Options Options() const {
        sim::Options options;
        options.model = GetParam();
        return options;
    }
};

TEST_P(CliMatchesWindow, WriteLeavesTheBytesOfLoadProfileAndSaveSettings) {
    QTemporaryDir folder;
    const std::string profile = folder.filePath(QStringLiteral("customer.ini")).toStdString();
    std::ofstream(profile, std::ios::binary) << CustomerProfile();

    Session window(Options());
    ASSERT_TRUE(window.Start());
    ASSERT_TRUE(window.Login());
    window.window->SetFileDialogRunner(
        [&](QFileDialog&) { return QString::fromStdString(profile); });
    window.window->btn_loadconfigure->click();
    ASSERT_TRUE(window.Save());

    sim::Simulator logger(Options());
    ASSERT_TRUE(logger.StartOnPseudoTerminal());
    std::string err;
    ASSERT_EQ(Cli({"--port", logger.slavePath(), "write", "--yes", profile}, &err), 0) << err;

    const SettingsPages byCli = MemoryPages(logger.Memory());
    ExpectPages(byCli, MemoryPages(window.logger.Memory()));
    EXPECT_NE(byCli[2], BlankPage());  // the GPRS page
}

TEST_P(CliMatchesWindow, ReadGivesTheFileOfReadSettingsAndSaveProfile) {
    QTemporaryDir folder;
    const std::string profile = folder.filePath(QStringLiteral("customer.ini")).toStdString();
    std::ofstream(profile, std::ios::binary) << CustomerProfile();
    const std::string byWindow = folder.filePath(QStringLiteral("window.ini")).toStdString();
    const std::string byCli = folder.filePath(QStringLiteral("cli.ini")).toStdString();

    Session s(Options());
    ASSERT_TRUE(s.Start());
    // The logger holds the customer's settings; the window reads them and saves a profile.
    s.window.reset();  // one program on the line at a time
    std::string err;
    ASSERT_EQ(Cli({"--port", s.logger.slavePath(), "write", "--yes", "--no-verify", profile}, &err), 0)
        << err;
    ASSERT_TRUE(s.Connect());
    ASSERT_TRUE(s.Login());
    ASSERT_TRUE(s.Read());
    s.window->SetFileDialogRunner([&](QFileDialog&) { return QString::fromStdString(byWindow); });
    s.window->btn_saveconfigure->click();
    s.window.reset();

    ASSERT_EQ(Cli({"--port", s.logger.slavePath(), "read", byCli}, &err), 0) << err;
    const std::string expected = ReadBytes(byWindow);
    EXPECT_NE(expected.find("port=9001"), std::string::npos) << expected;
    // Both name the same logger; only the time and the program of the save differ.
    EXPECT_NE(expected.find("\r\n[Origin]\r\nmodel=" + std::string(GetParam())), std::string::npos)
        << expected;
    EXPECT_EQ(support::WithoutSaveStamp(ReadBytes(byCli)), support::WithoutSaveStamp(expected));
}

INSTANTIATE_TEST_SUITE_P(EveryModel, CliMatchesWindow,
                         ::testing::Values("R480", "R481", "R482", "R483"));

}  // namespace
}  // namespace lgcset::ui::e2e

namespace lgcset::ui::e2e {
namespace {

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(CliHistoryMatchesWindow, HistoryWritesTheFilesOfTheWindowsQuery) {
    const sim::Options options = support::ExactLog(120, 7, {2026, 3, 20, 12, 0, 0});
    QTemporaryDir byWindow;
    QTemporaryDir byCli;

    Session s(options);
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Login());
    TestWindow& w = *s.window;
    w.ExportFolders = {byWindow.path().toStdString()};
    // With an archive, as lgcset-cli, the window reads the device ID before the transfer.
    QTemporaryDir archive;
    w.UseArchive(std::filesystem::path(archive.path().toStdString()) / "archive.sqlite", false);
    w.boxes.QueueAnswer(false);  // do not open the workbook
    w.boxes.QueueAnswer(false);  // nor the CSV file
    w.DateTimePicker1->setDate(QDate(2026, 3, 1));
    w.DateTimePicker2->setDate(QDate(2026, 3, 31));
    w.Button1->click();
    ASSERT_TRUE(WaitFor([&] { return FilesIn(byWindow.path().toStdString()).size() == 3; }, 20000));
    s.window.reset();

    std::string err;
    ASSERT_EQ(Cli({"--port", s.logger.slavePath(), "history", "--from", "26-03-01", "--to",
                   "26-03-31", "--out", byCli.path().toStdString()},
                  &err),
              0)
        << err;
    const auto windowFiles = FilesIn(byWindow.path().toStdString());
    const auto cliFiles = FilesIn(byCli.path().toStdString());
    ASSERT_EQ(cliFiles.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(cliFiles[i].extension(), windowFiles[i].extension());
        if (cliFiles[i].extension() != ".json") {
            EXPECT_EQ(ReadBytes(cliFiles[i].string()), ReadBytes(windowFiles[i].string()))
                << cliFiles[i] << " / " << windowFiles[i];
        }
    }
    // The manifests differ in the program that wrote them only.
    exports::ExportManifest byProgram[2];
    for (int p = 0; p < 2; ++p) {
        const exports::ManifestRead read =
            exports::ReadManifestFile((p == 0 ? cliFiles : windowFiles)[0]);
        ASSERT_EQ(read.outcome, exports::ManifestRead::Outcome::Read) << read.error;
        byProgram[p] = read.manifest;
        byProgram[p].program.clear();
        byProgram[p].workbook = byProgram[p].csv = "";  // named by each one's clock
    }
    EXPECT_EQ(byProgram[0].rangeFrom, "2026-03-01");
    EXPECT_EQ(byProgram[0].records, 120u);
    EXPECT_EQ(byProgram[0].deviceId.size(), 15u);
    EXPECT_EQ(byProgram[0], byProgram[1]);
}

}  // namespace
}  // namespace lgcset::ui::e2e
