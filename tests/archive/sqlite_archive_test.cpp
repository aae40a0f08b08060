// What only a file can get wrong: its folder, a file that is no database at all or a
// damaged one, and two programs making the same file at once.
#include "archive/sqlite_archive.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <latch>
#include <string>
#include <thread>

#include "archive_test_data.h"

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

// A file broken behind the archive's back is refused before a transfer is stored in it,
// and said to be damaged, not foreign.
TEST_F(SqliteArchiveTest, ADamagedFileIsRefusedBeforeAnythingIsStored) {
    const std::vector<std::pair<const char*, std::function<void(const fs::path&)>>> damages = {
        {"4 KB overwritten in the middle",
         [](const fs::path& file) {
             std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(static_cast<std::streamoff>(fs::file_size(file) / 2 / 4096 * 4096));
             f << std::string(4096, '\xA5');
         }},
        {"cut to half its length",
         [](const fs::path& file) { fs::resize_file(file, fs::file_size(file) / 2); }},
    };
    for (const auto& [damage, apply] : damages) {
        SCOPED_TRACE(damage);
        const fs::path file = dir_ / (std::string(damage) + ".sqlite");
        {
            const OpenResult made = OpenSqliteArchive(file, false);
            ASSERT_TRUE(made.status.ok()) << made.status.message;
            ASSERT_TRUE(made.store->Add(Download(), Readings(0, 2000)).status.ok());
        }
        apply(file);
        const auto before = fs::file_size(file);

        const OpenResult opened = OpenSqliteArchive(file, false);
        EXPECT_EQ(opened.store, nullptr);
        EXPECT_EQ(opened.status.error, ArchiveError::Damaged);
        EXPECT_EQ(opened.status.message.rfind("The archive " + file.string() + " is damaged (", 0),
                  0u)
            << opened.status.message;
        EXPECT_TRUE(opened.status.message.ends_with("): nothing was stored."));
        EXPECT_EQ(fs::file_size(file), before);
    }
}

// Two programs that make the same new archive at the same moment both open it, each pair
// of the run: the second waits for the first's schema rather than making its own.
TEST_F(SqliteArchiveTest, TwoOpeningsOfTheSameNewFileAtOnceBothSucceed) {
    for (int pair = 0; pair < 20; ++pair) {
        const fs::path file = dir_ / ("new-" + std::to_string(pair) + ".sqlite");
        std::latch start(2);
        std::string failures[2];
        auto open = [&](int which) {
            start.arrive_and_wait();
            const OpenResult opened = OpenSqliteArchive(file, false);
            if (!opened.status.ok())
                failures[which] = opened.status.message;
        };
        std::thread first(open, 0), second(open, 1);
        first.join();
        second.join();
        EXPECT_EQ(failures[0], "") << "pair " << pair;
        EXPECT_EQ(failures[1], "") << "pair " << pair;
    }
}

}  // namespace
}  // namespace lgcset::archive
