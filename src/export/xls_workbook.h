// A binary Excel 97-2003 workbook stream (BIFF8 records) holding one worksheet: the globals
// that readers require (fonts, number formats, cell styles, the sheet's position, the shared
// strings) and the sheet's column widths, rows and cells. Texts go to the shared string
// table; numbers are stored as doubles. Wrap the result with WriteCompoundFile under the
// stream name kWorkbookStreamName to make an ".xls" file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lgcset::exports {

inline constexpr std::string_view kWorkbookStreamName = "Workbook";

enum class HorizontalAlign : std::uint8_t { General = 0, Left = 1, Centre = 2, Right = 3 };

class XlsWorkbook {
  public:
    static constexpr std::uint32_t kMaxRows = 65536;
    static constexpr std::uint16_t kMaxColumns = 256;
    // The cell style of a cell that names none: general number format.
    static constexpr std::uint16_t kDefaultStyle = 15;

    explicit XlsWorkbook(std::string sheetName = "Sheet1");

    // A cell style with a number format code ("General", "0.00", "yy-mm-dd hh:mm:ss", ...)
    // and a horizontal alignment; returns its index for the cell functions.
    std::uint16_t AddStyle(std::string_view formatCode,
                           HorizontalAlign align = HorizontalAlign::General);
    // Width of columns first..last (0-based) in characters of the default font's digits.
    void SetColumnWidth(std::uint16_t first, std::uint16_t last, double characters);

    // Cells go in row order, and within a row in column order (0-based). A cell out of
    // order or out of the sheet's bounds is refused with false.
    bool Number(std::uint32_t row, std::uint16_t column, std::uint16_t style, double value);
    // UTF-8 text, kept once in the shared string table however often it is used.
    bool Text(std::uint32_t row, std::uint16_t column, std::uint16_t style, std::string_view utf8);

    // The whole workbook stream. The workbook is spent afterwards.
    std::vector<std::uint8_t> Finish();

  private:
    struct RowSpan {
        bool used = false;
        std::uint16_t first = 0, last = 0;  // last is one past the final cell
        std::size_t cells = 0;              // where its first cell starts in blockCells_
    };
    struct Style {
        std::uint16_t format;
        HorizontalAlign align;
    };
    struct ColumnWidth {
        std::uint16_t first, last, width;
    };

    bool Place(std::uint32_t row, std::uint16_t column);
    void FlushBlock();
    std::vector<std::uint8_t> Globals(std::uint32_t& sheetOffsetField) const;

    std::string sheetName_;
    std::vector<std::string> formatCodes_;  // custom codes, numbered from 164
    std::vector<Style> styles_;
    std::vector<ColumnWidth> widths_;

    std::vector<std::u16string> strings_;
    std::unordered_map<std::string, std::uint32_t> stringIndex_;
    std::uint32_t stringUses_ = 0;

    // Rows go out in blocks of 32: the block's ROW records, its cells, and a DBCELL that
    // leads from there back to each row's first cell; INDEX lists the DBCELLs.
    std::vector<std::uint8_t> body_;
    std::vector<std::size_t> dbCells_;  // positions in body_
    std::vector<std::uint8_t> blockCells_;
    RowSpan block_[32];
    std::uint32_t blockStart_ = 0;
    bool anyCell_ = false;
    std::uint32_t lastRow_ = 0;
    std::uint16_t lastColumn_ = 0;
    std::uint32_t firstRow_ = 0;
    std::uint16_t minColumn_ = 0xFFFF, maxColumn_ = 0;
};

}  // namespace lgcset::exports
