// A binary Excel 97-2003 workbook stream (BIFF8 records) holding one or more worksheets: the
// globals that readers require (fonts, number formats, cell styles, each sheet's position,
// the shared strings) and each sheet's column widths, rows and cells. Texts go to the shared string
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

    // The workbook starts with one sheet; cells and column widths go to the newest sheet.
    explicit XlsWorkbook(std::string sheetName = "Sheet1");
    // Starts another sheet after the others; its rows are numbered from 0 again.
    void AddSheet(std::string sheetName);
    std::size_t SheetCount() const { return sheets_.size(); }

    // A cell style with a number format code ("General", "0.00", "yy-mm-dd hh:mm:ss", ...)
    // and a horizontal alignment; returns its index for the cell functions.
    std::uint16_t AddStyle(std::string_view formatCode,
                           HorizontalAlign align = HorizontalAlign::General);
    // Width of columns first..last (0-based) in characters of the default font's digits.
    void SetColumnWidth(std::uint16_t first, std::uint16_t last, double characters);

    // Cells go in row order, and within a row in column order (0-based), sheet by sheet. A
    // cell out of order or out of the sheet's bounds is refused with false.
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

    // Rows go out in blocks of 32: the block's ROW records, its cells, and a DBCELL that
    // leads from there back to each row's first cell; INDEX lists the DBCELLs.
    struct Sheet {
        std::string name;
        std::vector<ColumnWidth> widths;
        std::vector<std::uint8_t> body;
        std::vector<std::size_t> dbCells;  // positions in body
        std::vector<std::uint8_t> blockCells;
        RowSpan block[32];
        std::uint32_t blockStart = 0;
        bool anyCell = false;
        std::uint32_t lastRow = 0;
        std::uint16_t lastColumn = 0;
        std::uint32_t firstRow = 0;
        std::uint16_t minColumn = 0xFFFF, maxColumn = 0;
    };

    bool Place(std::uint32_t row, std::uint16_t column);
    static void FlushBlock(Sheet& sheet);
    std::vector<std::uint8_t> Globals(std::vector<std::size_t>& sheetOffsetFields) const;
    void WriteSheet(std::vector<std::uint8_t>& stream, Sheet& sheet, bool first) const;

    std::vector<std::string> formatCodes_;  // custom codes, numbered from 164
    std::vector<Style> styles_;

    std::vector<std::u16string> strings_;
    std::unordered_map<std::string, std::uint32_t> stringIndex_;
    std::uint32_t stringUses_ = 0;

    std::vector<Sheet> sheets_;
};

}  // namespace lgcset::exports
