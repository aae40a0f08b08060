#include <gtest/gtest.h>

#include <string>

#include "settings/key_filters.h"
#include "settings/settings_model.h"

namespace lgcset::settings {
namespace {

struct FilterCase {
    KeyFilter filter;
    std::string accepted;  // besides the digits and Backspace
};

TEST(KeyFilters, EachFilterTakesDigitsBackspaceAndOnlyItsOwnMarks) {
    const FilterCase cases[] = {
        {KeyFilter::Adt, ""},
        {KeyFilter::Pwd, "+-."},
        {KeyFilter::RecTime, "."},
        {KeyFilter::NumPoint, "."},
    };
    const std::u32string others = U"aZ +-.,e/:;\t\r\n\x1b\x16\x7f\u00e9\uff5e";
    for (const auto& c : cases) {
        for (char32_t d = '0'; d <= '9'; ++d) {
            EXPECT_TRUE(AcceptsKey(c.filter, d, "12"));
        }
        EXPECT_TRUE(AcceptsKey(c.filter, kBackspace, ""));
        EXPECT_TRUE(AcceptsKey(c.filter, kBackspace, "12"));
        for (const char32_t key : others) {
            const bool own =
                key < 0x80 && c.accepted.find(static_cast<char>(key)) != std::string::npos;
            EXPECT_EQ(AcceptsKey(c.filter, key, "1"), own)
                << "filter " << static_cast<int>(c.filter) << " key " << static_cast<int>(key);
        }
    }
    EXPECT_TRUE(AcceptsKey(KeyFilter::None, U'\uff5e', "x"));
}

TEST(KeyFilters, PlusIntoANumberOnlyWhileTheBoxIsEmpty) {
    EXPECT_TRUE(edt_tel1KeyPress('+', ""));
    EXPECT_FALSE(edt_tel1KeyPress('+', "+"));
    EXPECT_FALSE(edt_tel1KeyPress('+', "4"));
    EXPECT_FALSE(edt_tel1KeyPress('-', ""));
    EXPECT_FALSE(edt_tel1KeyPress('.', ""));
    EXPECT_FALSE(edt_tel1KeyPress(22, ""));  // Ctrl+V arrives as a control character

    SettingsModel model;
    model.TypeText("edt_tel1", "+4917");
    EXPECT_EQ(model.Text("edt_tel1"), "+4917");
    model.TypeText("edt_tel1", "+x");
    EXPECT_EQ(model.Text("edt_tel1"), "+4917");
    model.TypeKey("edt_tel1", kBackspace);
    EXPECT_EQ(model.Text("edt_tel1"), "+491");
}

TEST(KeyFilters, TypingStopsAtTheMaximumLengthAndLettersAreDropped) {
    SettingsModel model;
    model.SetText("edt_pwd", "");
    model.TypeText("edt_pwd", "12a345");
    EXPECT_EQ(model.Text("edt_pwd"), "1234");
    model.TypeKey("edt_pwd", kBackspace);
    EXPECT_EQ(model.Text("edt_pwd"), "123");
    model.TypeText("edt_apn", "internet.t-d1.de");  // unfiltered
    EXPECT_EQ(model.Text("edt_apn"), "internet.t-d1.de");
    model.TypeText("Edit1", "R480");  // read-only
    EXPECT_EQ(model.Text("Edit1"), "");
}

TEST(KeyFilters, PasteKeepsTheCharactersTypingWouldAccept) {
    EXPECT_EQ(FilterPastedText(KeyFilter::Tel, "", "+49 (171) 555-12"), "+4917155512");
    EXPECT_EQ(FilterPastedText(KeyFilter::Tel, "0", "+49"), "49");
    EXPECT_EQ(FilterPastedText(KeyFilter::Tel, "", "49+1"), "491");
    EXPECT_EQ(FilterPastedText(KeyFilter::Adt, "", "1\b2\t3x"), "123");
    EXPECT_EQ(FilterPastedText(KeyFilter::Pwd, "1", "-2.5e3"), "-2.53");
    EXPECT_EQ(FilterPastedText(KeyFilter::None, "", "caf\xC3\xA9\n"), "caf\xC3\xA9");
    EXPECT_EQ(FilterPastedText(KeyFilter::Adt, "",
                               "\xFF\xFE"
                               "7"),
              "7");  // not UTF-8
    EXPECT_EQ(FilterPastedText(KeyFilter::Adt, "12", ""), "");
}

}  // namespace
}  // namespace lgcset::settings
