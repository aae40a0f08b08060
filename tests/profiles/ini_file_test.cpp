// The INI text: read as the Windows profile-string service reads, written so that only the
// line of the key changes, stored as Windows-1252 or UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "profiles/ini_file.h"

namespace lgcset::profiles {
namespace {

TEST(IniFileRead, NamesSpacesCommentsAndLineEndsAsTheServiceReadsThem) {
    const IniFile file = IniFile::FromBytes(
        "top=before any section\r\n"
        "; [TEL] in a comment is no section\n"
        "[ tel ]  trailing words\r"
        "  Tel1 =  138 001  \r\n"
        ";tel2=commented out\r\n"
        "tel2\t=\t\"quoted value\"\r\n"
        "tel3='single'\r\n"
        "tel4=\"only one\r\n"
        "tel5=\r\n"
        "no equals sign\r\n"
        "=no name\r\n"
        "tel1=second copy\r\n"
        "[OTHER]\n"
        "pwd=1234\n"
        "[TEL]\n"
        "tel6=in a second TEL section\n"
        "[last]\n"
        "key=no line end");
    EXPECT_EQ(file.Read("TEL", "tel1"), "138 001");
    EXPECT_EQ(file.Read("Tel", "TEL1"), "138 001");
    EXPECT_EQ(file.Read("TEL", "tel2"), "quoted value");
    EXPECT_EQ(file.Read("TEL", "tel3"), "single");
    EXPECT_EQ(file.Read("TEL", "tel4"), "\"only one");
    EXPECT_EQ(file.Read("TEL", "tel5"), "");
    EXPECT_EQ(file.Read("other", "PWD"), "1234");
    EXPECT_EQ(file.Read("last", "key"), "no line end");
    // Only the first of two sections of one name is searched.
    EXPECT_EQ(file.Read("TEL", "tel6"), std::nullopt);
    EXPECT_EQ(file.Read("TEL", "no equals sign"), std::nullopt);
    EXPECT_EQ(file.Read("TEL", "top"), std::nullopt);
    EXPECT_EQ(file.Read("GPRS", "ip1"), std::nullopt);
}

TEST(IniFileRead, AValueIsReadUpToTwoThousandFortySevenCharacters) {
    std::string value;
    for (int i = 0; i < 3000; ++i) value += static_cast<char>('a' + i % 26);
    const IniFile ascii = IniFile::FromBytes("[GPRS]\r\napn=" + value + "\r\n");
    EXPECT_EQ(ascii.Read("GPRS", "apn"), value.substr(0, 2047));

    // Characters, not bytes: 3,000 e-acutes in UTF-8 give 2,047 of them.
    std::string accents;
    for (int i = 0; i < 3000; ++i) accents += "\xC3\xA9";
    const auto read = IniFile::FromBytes("[GPRS]\napn=" + accents + "\n").Read("GPRS", "apn");
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, accents.substr(0, 2 * 2047));

    // The file keeps the whole value when another key is written.
    IniFile kept = IniFile::FromBytes("[GPRS]\r\napn=" + value + "\r\n");
    kept.Write("GPRS", "ip1", "x");
    EXPECT_NE(kept.ToBytes().find(value), std::string::npos);
}

TEST(IniFileWrite, ReplacesInPlaceAppendsNewKeysToTheirSectionAndNewSectionsToTheEnd) {
    const std::string original =
        "; customer A\r\n"
        "[COM]\r\n"
        "SetPwd = 1111\r\n"
        "\r\n"
        "[tel]\r\n"
        "tel1=1\r\n"
        "extra=kept\r\n"
        "\r\n"
        "; numbers above\r\n"
        "[Foreign]\r\n"
        "x=y\r\n";
    IniFile file = IniFile::FromBytes(original);
    file.Write("com", "setPwd", "8604");
    file.Write("TEL", "tel2", "2");
    file.Write("GPRS", "ip1", "host");
    file.Write("TEL", "TEL1", "one");
    EXPECT_EQ(file.ToBytes(),
              "; customer A\r\n"
              "[COM]\r\n"
              "SetPwd=8604\r\n"
              "\r\n"
              "[tel]\r\n"
              "tel1=one\r\n"
              "extra=kept\r\n"
              "tel2=2\r\n"
              "\r\n"
              "; numbers above\r\n"
              "[Foreign]\r\n"
              "x=y\r\n"
              "[GPRS]\r\n"
              "ip1=host\r\n");

    // A file of LF lines stays so, and one without a last line end gets none.
    IniFile unix = IniFile::FromBytes("[A]\nk=v");
    unix.Write("A", "n", "1");
    unix.Write("B", "m", "2");
    EXPECT_EQ(unix.ToBytes(), "[A]\nk=v\nn=1\n[B]\nm=2");

    // A new file has CR LF lines.
    IniFile fresh;
    fresh.Write("COM", "setPwd", "8604");
    fresh.Write("COM", "b", "");
    EXPECT_EQ(fresh.ToBytes(), "[COM]\r\nsetPwd=8604\r\nb=\r\n");
}

TEST(IniFileWrite, ALineBreakInAValueCannotStartAnotherLine) {
    IniFile file;
    file.Write("GPRS", "apn", "cmnet\r\n[COM]\nsetPwd=0000");
    file.Write("COM", "setPwd", "8604");
    EXPECT_EQ(file.Read("GPRS", "apn"), "cmnet  [COM] setPwd=0000");
    EXPECT_EQ(file.Read("COM", "setPwd"), "8604");
}

TEST(IniFileWrite, AValueInQuotesOrBetweenBlanksReadsBackAsWritten) {
    IniFile file;
    for (const std::string value : {"\"cold room\"", "'A'", "\"\"\"\"", " 12 ", "\t", "\"open"}) {
        file.Write("GPRS", "apn", value);
        EXPECT_EQ(IniFile::FromBytes(file.ToBytes()).Read("GPRS", "apn"), value);
    }
    // What a reader would leave alone stays as it was typed.
    file.Write("GPRS", "apn", "say \"hi\"");
    EXPECT_EQ(file.ToBytes(), "[GPRS]\r\napn=say \"hi\"\r\n");
}

TEST(IniFileBytes, Windows1252WhenEveryCharacterFitsElseUtf8) {
    // Read: bytes that are not UTF-8 are Windows-1252 (0x80 is the euro sign).
    const IniFile ansi = IniFile::FromBytes("[GPRS]\r\ngprsname=Jos\xE9 \x80\r\n");
    EXPECT_EQ(ansi.Read("GPRS", "gprsname"), "Jos\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(ansi.ToBytes(), "[GPRS]\r\ngprsname=Jos\xE9 \x80\r\n");

    // A valid UTF-8 file is read as UTF-8 and written as Windows-1252 when it can be.
    IniFile utf8 = IniFile::FromBytes("[GPRS]\nuser=Jos\xC3\xA9\n");
    EXPECT_EQ(utf8.Read("GPRS", "user"), "Jos\xC3\xA9");
    EXPECT_EQ(utf8.ToBytes(), "[GPRS]\nuser=Jos\xE9\n");

    // One character beyond Windows-1252 makes the whole file UTF-8.
    utf8.Write("GPRS", "apn", "\xE2\x86\x92");  // U+2192
    EXPECT_EQ(utf8.ToBytes(), "[GPRS]\nuser=Jos\xC3\xA9\napn=\xE2\x86\x92\n");

    // Text whose Windows-1252 bytes would read as UTF-8 (C3 A9, "Ã©", reads as "é") stays
    // UTF-8, so that the file reads back as it was written.
    IniFile lookalike;
    lookalike.Write("GPRS", "apn", "\xC3\x83\xC2\xA9net");  // "Ã©net"
    EXPECT_EQ(IniFile::FromBytes(lookalike.ToBytes()).Read("GPRS", "apn"), "\xC3\x83\xC2\xA9net");

    // A byte order mark is kept, and the file stays UTF-8 with it.
    IniFile marked = IniFile::FromBytes("\xEF\xBB\xBF[COM]\r\nsetPwd=1\r\n");
    EXPECT_EQ(marked.Read("COM", "setPwd"), "1");
    marked.Write("COM", "setPwd", "2");
    EXPECT_EQ(marked.ToBytes(), "\xEF\xBB\xBF[COM]\r\nsetPwd=2\r\n");

    // Any bytes make a file: a malformed sequence and a null byte included.
    const IniFile odd = IniFile::FromBytes(std::string("[A]\nk=\xC3(\0z\n", 11));
    EXPECT_EQ(odd.Read("A", "k"), std::string("\xC3\x83(\0z", 5));
}

}  // namespace
}  // namespace lgcset::profiles
