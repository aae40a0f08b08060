// File names and typed values as one-line messages print them.
#include "data/printable_text.h"

#include <gtest/gtest.h>

#include <string>

namespace lgcset::data {
namespace {

TEST(PrintableText, ControlCharactersAreEscapedAndEverythingElseKept) {
    const struct {
        std::string text;
        std::string printed;
    } cases[] = {
        {"/tmp/log.csv", "/tmp/log.csv"},
        {"a\nb\r\tc", "a\\nb\\r\\tc"},
        {"x\x1b[2Jy", "x\\x1b[2Jy"},
        {std::string("n\0ul", 4) + "\x7f", "n\\x00ul\\x7f"},
        {"C:\\data\\Kühlhaus €.csv", "C:\\data\\Kühlhaus €.csv"},
        {"c1 \xC2\x9B" "2J, \xC2\xA0 kept", "c1 \\u009b2J, \xC2\xA0 kept"},
        {"cut \xC2", "cut \xC2"},
    };
    for (const auto& c : cases) EXPECT_EQ(PrintableText(c.text), c.printed) << c.printed;
}

}  // namespace
}  // namespace lgcset::data
