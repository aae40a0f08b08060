// Profiles on disk: files as they are kept in the field, what a save keeps, and saves
// that fail without harming the file they were to replace.
#include <gtest/gtest.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "profile_support.h"
#include "profiles/ini_file.h"
#include "profiles/ini_storage.h"
#include "profiles/profile.h"
#include "settings/settings_model.h"

namespace lgcset::profiles {
namespace {

namespace fs = std::filesystem;
using settings::SettingsModel;
using settings::TimeOfDay;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ProfileFile : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() /
                 ("lgcset-profiles-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
};

// As profiles are kept in the field, with the edits a technician makes by hand: CR LF,
// Windows-1252, names in other letter cases, spaces around '=', comments, a 12-hour time.
const std::string kFieldProfile =
    "; Site Nord\r\n"
    "[COM]\r\n"
    "SetPwd=1234\r\n"
    "[TEL]\r\n"
    "TEL1 = +8613800138000\r\n"
    "tel2=13800138002\r\n"
    "tel1_fun1=1\r\n"
    "tel1_fun2 = 2\r\n"
    "[gprs]\r\n"
    "IP1=lgc.example.com\r\n"
    "port=9001\r\n"
    "mode=1\r\n"
    "apn=cmnet\r\n"
    "gprsname=Jos\xE9\r\n"
    "[OTHER]\r\n"
    "timemode=0\r\n"
    "devid=4711\r\n"
    "rectime=15\r\n"
    "GPRSenable=1\r\n"
    "uploadtel=13600136000\r\n"
    "upmode=1\r\n"
    "gprsupmode=1\r\n"
    "gprspointup=11:45:00 PM\r\n"
    "; pin below\r\n"
    "[Pin]\r\n"
    "PinVerify=1\r\n"
    "pincode=0000\r\n"
    "[FixedPointTime]\r\n"
    "time1open=1\r\n"
    "time1time=8:30:00 AM\r\n"
    "time2open=1\r\n"
    "time2time=20:00:00\r\n"
    "[sensor2]\r\n"
    "flag=1\r\n"
    "HLIMIT=60.1\r\n"
    "ainflag=0x2\r\n"
    "[Notes]\r\n"
    "installer=M\xFCller\r\n";

TEST_F(ProfileFile, AFileAsKeptInTheFieldLoadsIntoTheWidgets) {
    const fs::path path = folder / "site.ini";
    WriteBytes(path, kFieldProfile);
    SettingsModel model;
    std::string error;
    ASSERT_EQ(LoadProfileFile(path, model, error), ProfileLoad::Loaded) << error;

    EXPECT_EQ(model.Text("edt_setpwd"), "1234");
    EXPECT_EQ(model.Text("edt_tel1"), "+8613800138000");
    EXPECT_EQ(model.Text("edt_tel2"), "13800138002");
    EXPECT_EQ(model.ItemIndex("cbb_tel1_f1"), 1);
    EXPECT_EQ(model.ItemIndex("cbb_tel1_f2"), 2);
    EXPECT_EQ(model.Text("edt_ip1"), "lgc.example.com");
    EXPECT_EQ(model.Text("edt_port"), "9001");
    EXPECT_EQ(model.ItemIndex("cbb_mode"), 1);
    EXPECT_EQ(model.Text("edt_gprsname"), "Jos\xC3\xA9");
    EXPECT_EQ(model.ItemIndex("cbb_timemode"), 0);
    EXPECT_EQ(model.Text("edt_id"), "4711");
    EXPECT_EQ(model.Text("edt_rec_time"), "15");
    EXPECT_TRUE(model.Checked("CheckBox1"));
    EXPECT_EQ(model.Text("edit9"), "13600136000");
    EXPECT_EQ(model.Time("dtp_gprspointup"), (TimeOfDay{23, 45}));
    EXPECT_TRUE(model.Enabled("dtp_gprspointup"));
    EXPECT_FALSE(model.Enabled("edt_gprstimeup"));
    EXPECT_TRUE(model.Checked("chk1"));
    EXPECT_EQ(model.Text("edt_PinCode"), "0000");
    EXPECT_TRUE(model.Checked("CheckBox2"));
    EXPECT_TRUE(model.Checked("CheckBox3"));
    EXPECT_TRUE(model.Enabled("CheckBox4"));
    EXPECT_EQ(model.Time("DateTimePicker5"), (TimeOfDay{8, 30}));
    EXPECT_EQ(model.Time("DateTimePicker6"), (TimeOfDay{20, 0}));
    EXPECT_EQ(model.ItemIndex("cbb_sensor2"), 1);
    EXPECT_EQ(model.Text("edt_Sensor2_High"), "60.1");
    EXPECT_EQ(model.ItemIndex("cbb_sensor2_ain"), 2);
    // Keys the file lacks.
    EXPECT_EQ(model.Text("edt_pwd"), "");
    EXPECT_EQ(model.Text("edt1"), "");
    EXPECT_EQ(model.ItemIndex("cbb_sensor1"), 0);
}

TEST_F(ProfileFile, ASaveKeepsWhatTheTableDoesNotNameAndTheFileStaysWindows1252) {
    const fs::path path = folder / "site.ini";
    WriteBytes(path, kFieldProfile);
    SettingsModel model;
    std::string error;
    ASSERT_EQ(LoadProfileFile(path, model, error), ProfileLoad::Loaded) << error;
    ASSERT_TRUE(SaveProfileFile(model, path, error)) << error;

    const std::string saved = ReadBytes(path);
    const IniFile file = IniFile::FromBytes(saved);
    // Untouched lines as they were, bytes and all.
    for (const char* line : {"; Site Nord\r\n[COM]\r\n", "\r\n; pin below\r\n[Pin]\r\n",
                             "\r\ngprsname=Jos\xE9\r\n", "[Notes]\r\ninstaller=M\xFCller\r\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line;
    // Existing keys keep their spelling, rewritten in the program's own form.
    EXPECT_NE(saved.find("\r\nTEL1=+8613800138000\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\ngprspointup=23:45:00\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nainflag=2\r\n"), std::string::npos);
    // Keys the file lacked join their sections.
    EXPECT_EQ(file.Read("OTHER", "gprstimeup"), "");
    EXPECT_EQ(file.Read("SENSOR4", "evalue"), "");
    EXPECT_EQ(file.Read("notes", "installer"), "M\xC3\xBCller");
    EXPECT_TRUE(FolderEntries(folder) == std::vector<std::string>{"site.ini"});

    // Loading the saved file gives the same settings.
    SettingsModel again;
    ASSERT_EQ(LoadProfileFile(path, again, error), ProfileLoad::Loaded) << error;
    EXPECT_EQ(test::FirstDifference(model, again), "");
}

TEST_F(ProfileFile, ATextBeyondWindows1252MakesAUtf8FileThatLoadsBack) {
    const fs::path path = folder / "utf8.ini";
    SettingsModel model;
    model.SetText("edt_apn", "\xE4\xB8\xAD\xE5\x9B\xBD");  // two CJK characters
    model.SetText("edt_gprsname", "Jos\xC3\xA9");
    std::string error;
    ASSERT_TRUE(SaveProfileFile(model, path, error)) << error;
    const std::string bytes = ReadBytes(path);
    EXPECT_NE(bytes.find("apn=\xE4\xB8\xAD\xE5\x9B\xBD\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("gprsname=Jos\xC3\xA9\r\n"), std::string::npos);

    SettingsModel loaded;
    ASSERT_EQ(LoadProfileFile(path, loaded, error), ProfileLoad::Loaded) << error;
    EXPECT_EQ(loaded.Text("edt_apn"), "\xE4\xB8\xAD\xE5\x9B\xBD");
    EXPECT_EQ(loaded.Text("edt_gprsname"), "Jos\xC3\xA9");
}

// Windows names files in UTF-16: a name taken as narrow text would not be found again.
TEST_F(ProfileFile, ANameBeyondAsciiIsSavedLoadedAndReplaced) {
    const fs::path path = folder / fs::path(u8"Station S\u00FCd \u6771\u4EAC.ini");
    SettingsModel model;
    std::string error;
    model.SetText("edt_apn", "first");
    ASSERT_TRUE(SaveProfileFile(model, path, error)) << error;
    model.SetText("edt_apn", "second");
    ASSERT_TRUE(SaveProfileFile(model, path, error)) << error;
    SettingsModel loaded;
    ASSERT_EQ(LoadProfileFile(path, loaded, error), ProfileLoad::Loaded) << error;
    EXPECT_EQ(loaded.Text("edt_apn"), "second");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(ProfileFile, AWriteThatBreaksOffLeavesTheOldFileAsItWas) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no file size limit to make a write break off";
#else
    const fs::path path = folder / "site.ini";
    WriteBytes(path, kFieldProfile);
    SettingsModel model;
    test::SetEveryWidget(model);

    // A file size limit holds for every user, root included: the new file cannot be written
    // in full. Without the signal's default action the write fails with EFBIG.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 512;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool saved = SaveProfileFile(model, path, error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(saved);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadBytes(path), kFieldProfile);
    EXPECT_TRUE(FolderEntries(folder) == std::vector<std::string>{"site.ini"});
#endif
}

TEST_F(ProfileFile, AFileThatCannotBeReadOrHoldsNoSettingsChangesNothing) {
    SettingsModel model;
    test::SetEveryWidget(model);
    const SettingsModel before = model;
    std::string error;

    // A folder where the file should be: neither loaded nor replaced.
    fs::create_directories(folder / "dir.ini");
    EXPECT_EQ(LoadProfileFile(folder / "dir.ini", model, error), ProfileLoad::Unreadable);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(test::FirstDifference(model, before), "");
    EXPECT_FALSE(SaveProfileFile(model, folder / "dir.ini", error));
    EXPECT_TRUE(fs::is_directory(folder / "dir.ini"));

    // Larger than any profile.
    WriteBytes(folder / "huge.ini", std::string(kMaxIniFileBytes + 1, ';'));
    EXPECT_EQ(LoadProfileFile(folder / "huge.ini", model, error), ProfileLoad::Unreadable);
    EXPECT_EQ(test::FirstDifference(model, before), "");

    // No file at all: unreadable, and said so, not taken for a file that holds nothing.
    EXPECT_EQ(LoadProfileFile(folder / "absent.ini", model, error), ProfileLoad::Unreadable);
    EXPECT_EQ(UnreadableProfileMessage("absent.ini", error),
              "cannot read the profile absent.ini: no such file");
    EXPECT_EQ(test::FirstDifference(model, before), "");

    // An empty file, a stray binary or another program's INI file hold none of the
    // settings: loading them would blank every box, so nothing is changed.
    WriteBytes(folder / "empty.ini", "");
    WriteBytes(folder / "garbage.ini", std::string(1, '\0') + "\xFF\xA5\x01[=]\r\n=\x80\x81 stray bytes");
    WriteBytes(folder / "other.ini", "[Desktop Entry]\r\nName=lgcset\r\nport=8000\r\n");
    for (const char* name : {"empty.ini", "garbage.ini", "other.ini"}) {
        EXPECT_EQ(LoadProfileFile(folder / name, model, error), ProfileLoad::NoSettings) << name;
        EXPECT_EQ(test::FirstDifference(model, before), "") << name;
    }
    EXPECT_FALSE(fs::exists(folder / "absent.ini"));
    EXPECT_EQ(NoSettingsMessage("x/empty.ini"), "x/empty.ini holds no settings of this program.");

    // One key of 98 is a profile: the rest take their defaults.
    EXPECT_EQ(MissingProfileKeys(IniFile::FromBytes("[gprs]\r\nPORT=9000\r\n")), 97);
    WriteBytes(folder / "half.ini", "[gprs]\r\nPORT=9000\r\n");
    ASSERT_EQ(LoadProfileFile(folder / "half.ini", model, error), ProfileLoad::Loaded);
    EXPECT_EQ(model.Text("edt_port"), "9000");
    EXPECT_EQ(model.Text("edt_tel1"), "");
    EXPECT_EQ(model.Text("edt_setpwd"), "8604");
}

TEST_F(ProfileFile, AReplacedFileKeepsItsPermissionsAndALinkStaysALink) {
#ifdef _WIN32
    GTEST_SKIP() << "GCC 12's library makes no symbolic links on Windows, and reads every "
                    "file's permissions back as 0666";
#endif
    const fs::path real = folder / "real.ini";
    WriteBytes(real, "[Notes]\r\nx=1\r\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(real, folder / "link.ini");
    SettingsModel model;
    std::string error;
    ASSERT_TRUE(SaveProfileFile(model, folder / "link.ini", error)) << error;
    EXPECT_TRUE(fs::is_symlink(folder / "link.ini"));
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(IniFile::FromBytes(ReadBytes(real)).Read("COM", "setPwd"), "8604");
    EXPECT_EQ(IniFile::FromBytes(ReadBytes(real)).Read("Notes", "x"), "1");
}

TEST_F(ProfileFile, ANameAsLongAsANameCanBeIsNoObstacle) {
    SettingsModel model;
    std::string error;
    // A name as long as a name can be leaves no room for a suffix on the temporary file.
    const fs::path longest = folder / (std::string(251, 'n') + ".ini");
    WriteBytes(longest, "[Notes]\r\nx=2\r\n");
    ASSERT_TRUE(SaveProfileFile(model, longest, error)) << error;
    EXPECT_EQ(IniFile::FromBytes(ReadBytes(longest)).Read("Notes", "x"), "2");
    EXPECT_EQ(FolderEntries(folder).size(), 1u);
}

}  // namespace
}  // namespace lgcset::profiles
