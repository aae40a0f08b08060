// Profiles on disk: files as they are kept in the field, what a save keeps, and saves
// that fail without harming the file they were to replace.
#include <gtest/gtest.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
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

// UTF-16 bytes with their byte order mark, and back: nothing unless the bytes are that mark
// and whole units.
std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

std::optional<std::u16string> Utf16Text(const std::string& bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0 || !bytes.starts_with(bigEndian ? "\xFE\xFF" : "\xFF\xFE"))
        return std::nullopt;
    std::u16string text;
    for (std::size_t at = 2; at < bytes.size(); at += 2) {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        text += static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return text;
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

// The origin is a section of its own: a reader that knows nothing of it loads the same
// settings as from the file without it.
TEST_F(ProfileFile, AProfileWithItsOriginLoadsAsOneWithout) {
    SettingsModel model;
    test::SetEveryWidget(model);
    std::string error;
    const ProfileOrigin origin{"R483", "V3.05", "0123456789", "2026-03-01T10:15:00Z", "lgcset 1"};
    ASSERT_TRUE(SaveProfileFile(model, origin, folder / "origin.ini", error)) << error;
    ASSERT_TRUE(SaveProfileFile(model, folder / "before.ini", error)) << error;
    SettingsModel before, withOrigin;
    ASSERT_EQ(LoadProfileFile(folder / "before.ini", before, error), ProfileLoad::Loaded);
    ASSERT_EQ(LoadProfileFile(folder / "origin.ini", withOrigin, error), ProfileLoad::Loaded);
    EXPECT_EQ(test::FirstDifference(before, withOrigin), "");
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

// A save goes to a regular file only: never through a symbolic link into the file it leads
// to, never into a FIFO (whose read would wait for ever) or a folder; reading follows a link.
// A new file is its owner's alone (it holds passwords); a replaced one keeps its permissions.
TEST_F(ProfileFile, OnlyARegularFileIsWrittenAndANewOneIsItsOwnersAlone) {
#ifdef _WIN32
    GTEST_SKIP() << "GCC 12's library makes no symbolic links on Windows, and reads every "
                    "file's permissions back as 0666";
#else
    const fs::path elsewhere = folder / "elsewhere";
    const std::string elsewhereBytes = "[gprs]\r\nport=9001\r\n";
    WriteBytes(elsewhere, elsewhereBytes);
    constexpr auto kOwnerOnly = fs::perms::owner_read | fs::perms::owner_write;
    constexpr auto kShared = kOwnerOnly | fs::perms::group_read;
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
        ProfileLoad load;
        std::optional<fs::perms> savedAs;  // nothing: the save is refused
    };
    const Case cases[] = {
        {"link.ini", [&](const fs::path& p) { fs::create_symlink(elsewhere, p); },
         ProfileLoad::Loaded, std::nullopt},
        {"dangling.ini", [&](const fs::path& p) { fs::create_symlink(folder / "nowhere", p); },
         ProfileLoad::Unreadable, std::nullopt},
        {"fifo.ini", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
         ProfileLoad::Unreadable, std::nullopt},
        {"folder.ini", [](const fs::path& p) { fs::create_directory(p); }, ProfileLoad::Unreadable,
         std::nullopt},
        {"plain.ini",
         [&](const fs::path& p) {
             WriteBytes(p, elsewhereBytes);
             fs::permissions(p, kShared);
         },
         ProfileLoad::Loaded, kShared},
        {"new.ini", [](const fs::path&) {}, ProfileLoad::Unreadable, kOwnerOnly},
    };
    for (const Case& c : cases) {
        const fs::path path = folder / c.name;
        c.make(path);
        const fs::file_type type = fs::symlink_status(path).type();
        SettingsModel model;
        std::string error;
        EXPECT_EQ(LoadProfileFile(path, model, error), c.load) << c.name;
        if (c.load == ProfileLoad::Loaded) {
            EXPECT_EQ(model.Text("edt_port"), "9001") << c.name;
        }
        EXPECT_EQ(SaveProfileFile(model, path, error), c.savedAs.has_value()) << c.name;
        if (c.savedAs) {
            EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, *c.savedAs) << c.name;
            EXPECT_EQ(IniFile::FromBytes(ReadBytes(path)).Read("COM", "setPwd"), "8604");
        } else {
            EXPECT_FALSE(error.empty()) << c.name;
            EXPECT_EQ(error.find('\n'), std::string::npos) << error;
            EXPECT_EQ(fs::symlink_status(path).type(), type) << c.name;
        }
    }
    EXPECT_EQ(ReadBytes(elsewhere), elsewhereBytes);
    EXPECT_EQ(FolderEntries(folder),
              (std::vector<std::string>{"dangling.ini", "elsewhere", "fifo.ini", "folder.ini",
                                        "link.ini", "new.ini", "plain.ini"}));
#endif
}

// A UTF-16 profile, as the Windows profile functions keep a file that starts with a byte
// order mark, loads, and a save keeps the whole file UTF-16 in its byte order.
TEST_F(ProfileFile, AUtf16ProfileLoadsAndIsSavedInItsOwnEncoding) {
    const std::u16string kept = u"; Z\u00FCrich \u2192 \U0001F600\r\n[gprs]\r\nport=";
    for (const bool bigEndian : {false, true}) {
        const fs::path path = folder / (bigEndian ? "be.ini" : "le.ini");
        WriteBytes(path, Utf16Bytes(kept + u"9001\r\n", bigEndian));
        SettingsModel model;
        std::string error;
        ASSERT_EQ(LoadProfileFile(path, model, error), ProfileLoad::Loaded) << path;
        EXPECT_EQ(model.Text("edt_port"), "9001");
        model.SetText("edt_port", "9002");
        ASSERT_TRUE(SaveProfileFile(model, path, error)) << error;

        const std::optional<std::u16string> text = Utf16Text(ReadBytes(path), bigEndian);
        ASSERT_TRUE(text) << path << " is no longer UTF-16 with its mark";
        EXPECT_TRUE(text->starts_with(kept + u"9002\r\n")) << path;
        EXPECT_NE(text->find(u"\r\n[COM]\r\nsetPwd=8604\r\n"), std::u16string::npos) << path;
    }
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
