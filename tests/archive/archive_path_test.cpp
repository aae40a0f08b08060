#include "archive/archive_path.h"

#include <gtest/gtest.h>

#include <map>

namespace lgcset::archive {
namespace {

std::optional<std::filesystem::path> PathWith(std::map<std::string, std::string> variables) {
    return DefaultArchivePath([&](const char* name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        if (found == variables.end())
            return std::nullopt;
        return found->second;
    });
}

TEST(DefaultArchivePath, DataHomeFirstThenHomeAndRelativeDataHomeIgnored) {
    EXPECT_EQ(PathWith({{"XDG_DATA_HOME", "/d"}, {"HOME", "/h"}}),
              std::filesystem::path("/d/lgcset/archive.sqlite"));
    EXPECT_EQ(PathWith({{"HOME", "/h"}}),
              std::filesystem::path("/h/.local/share/lgcset/archive.sqlite"));
    EXPECT_EQ(PathWith({{"XDG_DATA_HOME", "rel"}, {"HOME", "/h"}}),
              std::filesystem::path("/h/.local/share/lgcset/archive.sqlite"));
    EXPECT_EQ(PathWith({}), std::nullopt);
}

}  // namespace
}  // namespace lgcset::archive
