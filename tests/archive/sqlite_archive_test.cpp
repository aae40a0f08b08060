// What only a file can get wrong: its folder, and a file that is no database at all.
#include "archive/sqlite_archive.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace lgcset::archive {
namespace {

namespace fs = std::filesystem;

class SqliteArchiveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("lgcset-archive-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_;
};

TEST_F(SqliteArchiveTest, AFileThatIsNoDatabaseIsRefusedAndLeftAlone) {
    const fs::path file = dir_ / "archive.sqlite";
    std::ofstream(file) << "time,Sensor1\n";
    EXPECT_EQ(OpenSqliteArchive(file, false).status.error, ArchiveError::NotAnArchive);
    EXPECT_EQ(fs::file_size(file), 13u);
}

TEST_F(SqliteArchiveTest, MissingFolderRefusedOrMadeAndAFileInItsPlaceRefused) {
    const fs::path nested = dir_ / "a" / "b" / "archive.sqlite";
    const OpenResult missing = OpenSqliteArchive(nested, false);
    EXPECT_EQ(missing.status.error, ArchiveError::FolderMissing);
    EXPECT_NE(missing.status.message.find((dir_ / "a" / "b").string()), std::string::npos);
    EXPECT_TRUE(OpenSqliteArchive(nested, true).status.ok());

    std::ofstream(dir_ / "plain") << "x";
    EXPECT_EQ(OpenSqliteArchive(dir_ / "plain" / "archive.sqlite", true).status.error,
              ArchiveError::FolderMissing);
}

}  // namespace
}  // namespace lgcset::archive
