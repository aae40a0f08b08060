// The workbook stream walked record by record: the sheet's position in BOUNDSHEET, record
// sizes, the shared string table across CONTINUE records, and the cells it refuses.
#include "export/xls_workbook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace lgcset::exports {
namespace {

struct Record {
    std::uint16_t id;
    std::size_t offset;  // of the record header in the stream
    std::vector<std::uint8_t> data;
};

std::vector<Record> Records(const std::vector<std::uint8_t>& s) {
    std::vector<Record> out;
    for (std::size_t at = 0; at + 4 <= s.size();) {
        const std::uint16_t id = static_cast<std::uint16_t>(s[at] | s[at + 1] << 8);
        const std::size_t len = static_cast<std::size_t>(s[at + 2] | s[at + 3] << 8);
        EXPECT_LE(len, 8224u) << "record " << id;
        EXPECT_LE(at + 4 + len, s.size());
        out.push_back(
            {id,
             at,
             {s.begin() + static_cast<long>(at) + 4, s.begin() + static_cast<long>(at + 4 + len)}});
        at += 4 + len;
    }
    return out;
}

std::uint32_t U32(const std::vector<std::uint8_t>& d, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, d.data() + at, 4);
    return v;
}

// The SST's strings, following the rules of continuation: a string's characters may go on
// in the next CONTINUE, which then starts with the option byte again.
std::vector<std::u16string> SharedStrings(const std::vector<Record>& records) {
    std::vector<std::uint8_t> joined;
    std::vector<std::size_t> boundaries;
    bool in = false;
    for (const Record& r : records) {
        if (r.id == 0x00FC)
            in = true;
        else if (r.id != 0x003C)
            in = false;
        if (!in)
            continue;
        boundaries.push_back(joined.size());
        joined.insert(joined.end(), r.data.begin(), r.data.end());
    }
    std::vector<std::u16string> strings;
    const std::uint32_t unique = U32(joined, 4);
    std::size_t at = 8;
    auto atBoundary = [&](std::size_t p) {
        return std::find(boundaries.begin(), boundaries.end(), p) != boundaries.end();
    };
    for (std::uint32_t i = 0; i < unique; ++i) {
        const std::size_t count = joined[at] | joined[at + 1] << 8;
        bool wide = joined[at + 2] & 1;
        at += 3;
        std::u16string s;
        while (s.size() < count) {
            if (atBoundary(at) && !s.empty()) {
                wide = joined[at] & 1;
                ++at;
            }
            s.push_back(wide ? static_cast<char16_t>(joined[at] | joined[at + 1] << 8)
                             : static_cast<char16_t>(joined[at]));
            at += wide ? 2 : 1;
        }
        strings.push_back(s);
    }
    EXPECT_EQ(at, joined.size());
    return strings;
}

TEST(XlsWorkbook, BoundSheetPointsAtTheSheetsBof) {
    XlsWorkbook book;
    book.Text(0, 0, XlsWorkbook::kDefaultStyle, "time");
    book.Number(1, 0, book.AddStyle("0.##"), 23.46);
    const auto stream = book.Finish();
    const auto records = Records(stream);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.front().id, 0x0809);
    EXPECT_EQ(records.back().id, 0x000A);
    std::size_t sheetAt = 0;
    for (const Record& r : records)
        if (r.id == 0x0085)
            sheetAt = U32(r.data, 0);
    bool found = false;
    for (const Record& r : records)
        if (r.offset == sheetAt && r.id == 0x0809) {
            found = true;
            EXPECT_EQ(r.data[2], 0x10) << "a worksheet";
        }
    EXPECT_TRUE(found);
}

TEST(XlsWorkbook, EachSheetHasItsBoundSheetItsOwnRowsAndOnlyTheFirstIsSelected) {
    XlsWorkbook book("first");
    ASSERT_TRUE(book.Text(0, 0, XlsWorkbook::kDefaultStyle, "time"));
    ASSERT_TRUE(book.Number(65535, 1, XlsWorkbook::kDefaultStyle, 1));
    book.AddSheet("second");
    book.SetColumnWidth(0, 0, 20);
    // Rows start again from 0, and the shared string is kept once.
    ASSERT_TRUE(book.Text(0, 0, XlsWorkbook::kDefaultStyle, "time"));
    ASSERT_TRUE(book.Number(1, 2, XlsWorkbook::kDefaultStyle, 2));
    EXPECT_EQ(book.SheetCount(), 2u);
    const auto records = Records(book.Finish());

    std::vector<std::size_t> sheetAt;
    for (const Record& r : records)
        if (r.id == 0x0085)
            sheetAt.push_back(U32(r.data, 0));
    ASSERT_EQ(sheetAt.size(), 2u);
    // Each sheet from its BOF to its EOF: the cells it holds and its WINDOW2 flags.
    for (std::size_t s = 0; s < 2; ++s) {
        auto r = std::find_if(records.begin(), records.end(),
                              [&](const Record& x) { return x.offset == sheetAt[s]; });
        ASSERT_NE(r, records.end());
        ASSERT_EQ(r->id, 0x0809);
        std::vector<std::pair<int, int>> cells;
        std::uint16_t window = 0;
        std::size_t widths = 0;
        for (++r; r != records.end() && r->id != 0x000A; ++r) {
            if (r->id == 0x0203 || r->id == 0x00FD)
                cells.emplace_back(r->data[0] | r->data[1] << 8, r->data[2] | r->data[3] << 8);
            if (r->id == 0x023E)
                window = static_cast<std::uint16_t>(r->data[0] | r->data[1] << 8);
            widths += r->id == 0x007D;
        }
        ASSERT_NE(r, records.end()) << "sheet " << s << " ends";
        if (s == 0) {
            EXPECT_EQ(cells, (std::vector<std::pair<int, int>>{{0, 0}, {65535, 1}}));
            EXPECT_EQ(window & 0x0600, 0x0600) << "selected and shown";
            EXPECT_EQ(widths, 0u);
        } else {
            EXPECT_EQ(cells, (std::vector<std::pair<int, int>>{{0, 0}, {1, 2}}));
            EXPECT_EQ(window & 0x0600, 0) << "only one sheet is selected";
            EXPECT_EQ(widths, 1u);
        }
    }
    EXPECT_EQ(SharedStrings(records), std::vector<std::u16string>{u"time"});
}

TEST(XlsWorkbook, SharedStringsContinueAcrossRecordsWithoutLosingACharacter) {
    XlsWorkbook book;
    std::vector<std::u16string> expected;
    // Thousands of different texts (a sheet full of invalid times), some with characters
    // beyond Latin-1 and some long enough to be split in the middle.
    for (std::uint32_t row = 0; row < 3000; ++row) {
        std::string text = "24-00-05 14:07:" + std::to_string(row);
        std::u16string wide(text.begin(), text.end());
        if (row % 7 == 0) {
            text += "\xE2\x88\x92";  // U+2212
            wide += u'\u2212';
        }
        if (row % 11 == 0) {
            text += std::string(300, 'x');
            wide += std::u16string(300, u'x');
        }
        ASSERT_TRUE(book.Text(row, 0, XlsWorkbook::kDefaultStyle, text));
        ASSERT_TRUE(book.Text(row, 1, XlsWorkbook::kDefaultStyle, "same"));
        expected.push_back(wide);
        if (row == 0)
            expected.push_back(u"same");
    }
    const auto records = Records(book.Finish());
    EXPECT_GT(std::count_if(records.begin(), records.end(),
                            [](const Record& r) { return r.id == 0x003C; }),
              5);
    EXPECT_EQ(SharedStrings(records), expected);
}

TEST(XlsWorkbook, RefusesCellsOutOfOrderOrOutsideTheSheet) {
    XlsWorkbook book;
    EXPECT_TRUE(book.Number(3, 2, XlsWorkbook::kDefaultStyle, 1));
    EXPECT_FALSE(book.Number(3, 2, XlsWorkbook::kDefaultStyle, 1));
    EXPECT_FALSE(book.Number(3, 1, XlsWorkbook::kDefaultStyle, 1));
    EXPECT_FALSE(book.Number(2, 5, XlsWorkbook::kDefaultStyle, 1));
    EXPECT_TRUE(book.Number(65535, 255, XlsWorkbook::kDefaultStyle, 1));
    EXPECT_FALSE(book.Number(65536, 0, XlsWorkbook::kDefaultStyle, 1));
    XlsWorkbook other;
    EXPECT_FALSE(other.Number(0, 256, XlsWorkbook::kDefaultStyle, 1));
    EXPECT_FALSE(other.Number(0, 0, XlsWorkbook::kDefaultStyle, std::nan("")));
}

TEST(XlsWorkbook, IndexAndDbCellsLeadToEveryRowsFirstCell) {
    XlsWorkbook book;
    for (std::uint32_t row = 0; row < 70; ++row) {
        const std::uint32_t at = row < 40 ? row : row + 100;  // a gap of empty rows
        for (std::uint16_t c = static_cast<std::uint16_t>(row % 3); c < 4; ++c)
            ASSERT_TRUE(book.Number(at, c, XlsWorkbook::kDefaultStyle, row));
    }
    const auto stream = book.Finish();
    const auto records = Records(stream);
    auto at = [&](std::size_t offset) -> const Record* {
        for (const Record& r : records)
            if (r.offset == offset)
                return &r;
        return nullptr;
    };
    const Record* index = nullptr;
    for (const Record& r : records)
        if (r.id == 0x020B)
            index = &r;
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(U32(index->data, 4), 0u);
    EXPECT_EQ(U32(index->data, 8), 170u);
    const Record* defColWidth = at(U32(index->data, 12));
    ASSERT_NE(defColWidth, nullptr);
    EXPECT_EQ(defColWidth->id, 0x0055);
    const std::size_t blocks = (index->data.size() - 16) / 4;
    EXPECT_EQ(blocks, 4u) << "rows 0-31, 32-39, 140-159, 160-169";
    std::size_t rowsSeen = 0;
    for (std::size_t b = 0; b < blocks; ++b) {
        const Record* db = at(U32(index->data, 16 + 4 * b));
        ASSERT_NE(db, nullptr);
        ASSERT_EQ(db->id, 0x00D7);
        const std::size_t firstRow = db->offset - U32(db->data, 0);
        std::size_t cell = firstRow + 20;
        for (std::size_t i = 0; 4 + 2 * i < db->data.size(); ++i) {
            const Record* row = at(firstRow + 20 * i);
            ASSERT_NE(row, nullptr) << "block " << b << " row " << i << " size " << db->data.size();
            ASSERT_EQ(row->id, 0x0208);
            cell += static_cast<std::size_t>(db->data[4 + 2 * i] | db->data[5 + 2 * i] << 8);
            const Record* first = at(cell);
            ASSERT_NE(first, nullptr) << "block " << b << " row " << i;
            EXPECT_EQ(first->id, 0x0203);
            EXPECT_EQ(first->data[0] | first->data[1] << 8, row->data[0] | row->data[1] << 8);
            EXPECT_EQ(first->data[2], row->data[2]) << "the row starts at its first cell";
            ++rowsSeen;
        }
    }
    EXPECT_EQ(rowsSeen, 70u);
}

}  // namespace
}  // namespace lgcset::exports
