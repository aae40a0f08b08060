// The two calls that take a name only while no file or folder holds it, each platform's own.
#include "export/no_replace.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace lgcset::exports {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class NoReplace : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("lgcset-noreplace-" +
                   std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "held");
        std::ofstream(folder_ / "taken.csv") << "earlier";
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path folder_;
    std::error_code error_;
};

TEST_F(NoReplace, ANewFileIsCreatedOnlyUnderAFreeName) {
    EXPECT_EQ(CreateNewFile(folder_ / "new.csv", error_), Claim::Taken);
    EXPECT_TRUE(fs::is_regular_file(folder_ / "new.csv"));
    EXPECT_EQ(CreateNewFile(folder_ / "new.csv", error_), Claim::Exists);
    EXPECT_EQ(CreateNewFile(folder_ / "taken.csv", error_), Claim::Exists);
    EXPECT_EQ(Read(folder_ / "taken.csv"), "earlier");
    EXPECT_EQ(CreateNewFile(folder_ / "held", error_), Claim::Exists);
    EXPECT_TRUE(fs::is_directory(folder_ / "held"));

    EXPECT_EQ(CreateNewFile(folder_ / "missing" / "new.csv", error_), Claim::Failed);
    EXPECT_FALSE(error_.message().empty());
}

TEST_F(NoReplace, AMoveNeverReplacesAFileOrAFolder) {
    std::ofstream(folder_ / "part") << "new";
    EXPECT_EQ(MoveNoReplace(folder_ / "part", folder_ / "taken.csv", error_), Claim::Exists);
    EXPECT_EQ(MoveNoReplace(folder_ / "part", folder_ / "held", error_), Claim::Exists);
    EXPECT_EQ(Read(folder_ / "taken.csv"), "earlier");
    EXPECT_EQ(Read(folder_ / "part"), "new");

    EXPECT_EQ(MoveNoReplace(folder_ / "part", folder_ / "free.csv", error_), Claim::Taken);
    EXPECT_FALSE(fs::exists(folder_ / "part"));
    EXPECT_EQ(Read(folder_ / "free.csv"), "new");

    EXPECT_EQ(MoveNoReplace(folder_ / "part", folder_ / "other.csv", error_), Claim::Failed);
    EXPECT_FALSE(error_.message().empty());
}

}  // namespace
}  // namespace lgcset::exports
