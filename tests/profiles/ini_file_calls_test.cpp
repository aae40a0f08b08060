// The INI storage's file calls, each platform's own: exclusive creation, the name too long
// for its folder, and the replacement that takes the old file's place.
#include "profiles/ini_file_calls.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace lgcset::profiles {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(IniFileCalls, OnlyAFreeNameMakesANewFileWhichThenReplacesTheOldOneWhole) {
    const fs::path folder =
        fs::temp_directory_path() /
        ("lgcset-inicalls-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(folder);
    fs::create_directories(folder / "held.ini");
    std::ofstream(folder / "site.ini") << "old";
    std::error_code error;

    FilePtr file;
    ASSERT_EQ(CreateNewFile(folder / "site.ini.saving", file, error), NewFile::Created);
    ASSERT_EQ(std::fwrite("new", 1, 3, file.get()), 3u);
    file.reset();
    EXPECT_EQ(CreateNewFile(folder / "site.ini.saving", file, error), NewFile::Exists);
    EXPECT_EQ(CreateNewFile(folder / "held.ini", file, error), NewFile::Exists);
    EXPECT_FALSE(file);
    EXPECT_EQ(CreateNewFile(folder / std::string(300, 'n'), file, error), NewFile::NameTooLong);
    EXPECT_EQ(Read(folder / "site.ini.saving"), "new");

    EXPECT_TRUE(MoveReplacing(folder / "site.ini.saving", folder / "site.ini", error))
        << error.message();
    EXPECT_EQ(Read(folder / "site.ini"), "new");
    EXPECT_FALSE(fs::exists(folder / "site.ini.saving"));

    error.clear();
    EXPECT_EQ(OpenForReading(folder / "absent.ini", file, error), Opened::Failed);
    EXPECT_TRUE(error);
    EXPECT_FALSE(MoveReplacing(folder / "absent.ini", folder / "site.ini", error));
    EXPECT_EQ(Read(folder / "site.ini"), "new");
    fs::remove_all(folder);
}

}  // namespace
}  // namespace lgcset::profiles
