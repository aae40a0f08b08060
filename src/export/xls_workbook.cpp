#include "export/xls_workbook.h"

#include <algorithm>
#include <cmath>

#include "export/byte_writer.h"
#include "settings/text_units.h"

namespace lgcset::exports {
namespace {

// Record identifiers.
constexpr std::uint16_t kBof = 0x0809, kEof = 0x000A, kCodePage = 0x0042, kWindow1 = 0x003D,
                        kFont = 0x0031, kFormat = 0x041E, kXf = 0x00E0, kStyle = 0x0293,
                        kBoundSheet = 0x0085, kSst = 0x00FC, kExtSst = 0x00FF, kContinue = 0x003C,
                        kColInfo = 0x007D, kDimensions = 0x0200, kRow = 0x0208, kNumber = 0x0203,
                        kLabelSst = 0x00FD, kWindow2 = 0x023E, kIndex = 0x020B, kDbCell = 0x00D7,
                        kDefColWidth = 0x0055;

constexpr std::size_t kMaxRecordData = 8224;
constexpr std::uint16_t kFirstCustomFormat = 164;
constexpr int kStyleXfs = 15;

// Starts a record; the returned position is patched with the length by EndRecord.
std::size_t BeginRecord(ByteWriter& w, std::uint16_t id) {
    w.U16(id);
    w.U16(0);
    return w.Size();
}
void EndRecord(ByteWriter& w, std::size_t dataStart) {
    w.Put16(dataStart - 2, static_cast<std::uint32_t>(w.Size() - dataStart));
}

void Bof(ByteWriter& w, std::uint16_t type) {
    const auto r = BeginRecord(w, kBof);
    w.U16(0x0600);  // BIFF8
    w.U16(type);    // 0x0005 workbook globals, 0x0010 worksheet
    w.U16(0x0DBB);  // build
    w.U16(0x07CC);  // build year
    w.U32(0);       // file history
    w.U32(0x0006);  // lowest version that can read all records
    EndRecord(w, r);
}

void Eof(ByteWriter& w) {
    w.U16(kEof);
    w.U16(0);
}

bool AllLatin1(const std::u16string& s) {
    return std::all_of(s.begin(), s.end(), [](char16_t c) { return c < 0x100; });
}

void Chars(ByteWriter& w, const std::u16string& s, std::size_t from, std::size_t count, bool wide) {
    for (std::size_t i = from; i < from + count; ++i) {
        if (wide)
            w.U16(s[i]);
        else
            w.U8(s[i]);
    }
}

// A text with a 16-bit count (FORMAT) or an 8-bit count (FONT, BOUNDSHEET).
void UnicodeString(ByteWriter& w, const std::u16string& s, bool shortCount) {
    const bool wide = !AllLatin1(s);
    if (shortCount)
        w.U8(static_cast<std::uint32_t>(s.size()));
    else
        w.U16(static_cast<std::uint32_t>(s.size()));
    w.U8(wide ? 1 : 0);
    Chars(w, s, 0, s.size(), wide);
}

// UTF-8 to UTF-16; each byte of a malformed sequence becomes U+FFFD.
std::u16string FromUtf8(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (char32_t cp : settings::DecodeUtf8(s)) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

void Xf(ByteWriter& w, bool style, std::uint16_t format, HorizontalAlign align) {
    const auto r = BeginRecord(w, kXf);
    w.U16(0);                                           // font
    w.U16(format);                                      // number format
    w.U16(style ? 0xFFF5 : 0x0001);                     // locked; a style XF has no parent
    w.U8(static_cast<std::uint8_t>(align) | (2 << 4));  // vertical: bottom
    w.U8(0);                                            // rotation
    w.U8(0);                                            // indent, shrink, reading order
    // Attributes that this cell style sets over its parent (for style XFs: which are
    // left out); style 0 defines them all.
    std::uint8_t used = 0;
    if (!style) {
        if (format != 0)
            used |= 0x04;
        if (align != HorizontalAlign::General)
            used |= 0x10;
    }
    w.U8(used);
    w.Zeros(8);     // borders
    w.U16(0x20C0);  // pattern colours: automatic foreground and background
    EndRecord(w, r);
}

}  // namespace

XlsWorkbook::XlsWorkbook(std::string sheetName) { AddSheet(std::move(sheetName)); }

void XlsWorkbook::AddSheet(std::string sheetName) {
    sheets_.emplace_back();
    sheets_.back().name = std::move(sheetName);
}

std::uint16_t XlsWorkbook::AddStyle(std::string_view formatCode, HorizontalAlign align) {
    std::uint16_t format = 0;
    if (formatCode != "General") {
        const auto it = std::find(formatCodes_.begin(), formatCodes_.end(), formatCode);
        format = static_cast<std::uint16_t>(kFirstCustomFormat + (it - formatCodes_.begin()));
        if (it == formatCodes_.end())
            formatCodes_.emplace_back(formatCode);
    }
    styles_.push_back({format, align});
    return static_cast<std::uint16_t>(kDefaultStyle + styles_.size());
}

void XlsWorkbook::SetColumnWidth(std::uint16_t first, std::uint16_t last, double characters) {
    // Stored in 1/256 of a digit's width, counting the cell's margins (5 pixels for a
    // 7-pixel digit of the default 10-point font), as the reader's width shows it.
    const double units = std::floor((characters * 7 + 5) / 7 * 256);
    sheets_.back().widths.push_back({first, last, static_cast<std::uint16_t>(std::clamp(units, 0.0, 65535.0))});
}

bool XlsWorkbook::Place(std::uint32_t row, std::uint16_t column) {
    Sheet& sheet = sheets_.back();
    if (row >= kMaxRows || column >= kMaxColumns)
        return false;
    if (sheet.anyCell && (row < sheet.lastRow || (row == sheet.lastRow && column <= sheet.lastColumn)))
        return false;
    if (!sheet.anyCell) {
        sheet.firstRow = row;
        sheet.blockStart = row / 32 * 32;
    } else if (row >= sheet.blockStart + 32) {
        FlushBlock(sheet);
        sheet.blockStart = row / 32 * 32;
    }
    sheet.anyCell = true;
    sheet.lastRow = row;
    sheet.lastColumn = column;
    sheet.minColumn = std::min(sheet.minColumn, column);
    sheet.maxColumn = std::max(sheet.maxColumn, column);
    RowSpan& span = sheet.block[row - sheet.blockStart];
    if (!span.used)
        span = {true, column, column, sheet.blockCells.size()};
    span.last = static_cast<std::uint16_t>(column + 1);
    return true;
}

bool XlsWorkbook::Number(std::uint32_t row, std::uint16_t column, std::uint16_t style,
                         double value) {
    if (!std::isfinite(value) || !Place(row, column))
        return false;
    ByteWriter w(sheets_.back().blockCells);
    w.U16(kNumber);
    w.U16(14);
    w.U16(row);
    w.U16(column);
    w.U16(style);
    w.F64(value);
    return true;
}

bool XlsWorkbook::Text(std::uint32_t row, std::uint16_t column, std::uint16_t style,
                       std::string_view utf8) {
    if (!Place(row, column))
        return false;
    auto [it, added] =
        stringIndex_.try_emplace(std::string(utf8), static_cast<std::uint32_t>(strings_.size()));
    if (added)
        strings_.push_back(FromUtf8(utf8));
    ++stringUses_;
    ByteWriter w(sheets_.back().blockCells);
    w.U16(kLabelSst);
    w.U16(10);
    w.U16(row);
    w.U16(column);
    w.U16(style);
    w.U32(it->second);
    return true;
}

void XlsWorkbook::FlushBlock(Sheet& sheet) {
    ByteWriter w(sheet.body);
    const std::size_t blockStart = sheet.body.size();
    std::vector<std::size_t> firstCells;
    for (std::uint32_t i = 0; i < 32; ++i) {
        RowSpan& span = sheet.block[i];
        if (!span.used)
            continue;
        const auto r = BeginRecord(w, kRow);
        w.U16(sheet.blockStart + i);
        w.U16(span.first);
        w.U16(span.last);
        w.U16(0x00FF);      // default height
        w.U32(0);           // reserved
        w.U32(0x000F0100);  // no flags but the fixed one; default cell style 15
        EndRecord(w, r);
        firstCells.push_back(span.cells);
        span = {};
    }
    const std::size_t cellsStart = sheet.body.size();
    sheet.body.insert(sheet.body.end(), sheet.blockCells.begin(), sheet.blockCells.end());
    sheet.blockCells.clear();

    // The first row's cells are counted from the second ROW record, the others from the
    // previous row's first cell.
    sheet.dbCells.push_back(sheet.body.size());
    const auto r = BeginRecord(w, kDbCell);
    w.U32(static_cast<std::uint32_t>(sheet.dbCells.back() - blockStart));
    std::size_t from = blockStart + 20;  // a ROW record is 20 bytes
    for (std::size_t first : firstCells) {
        w.U16(static_cast<std::uint32_t>(cellsStart + first - from));
        from = cellsStart + first;
    }
    EndRecord(w, r);
}

std::vector<std::uint8_t> XlsWorkbook::Globals(std::vector<std::size_t>& sheetOffsetFields) const {
    std::vector<std::uint8_t> bytes;
    ByteWriter w(bytes);
    Bof(w, 0x0005);

    auto r = BeginRecord(w, kCodePage);
    w.U16(1200);  // texts are UTF-16
    EndRecord(w, r);

    r = BeginRecord(w, kWindow1);
    w.U16(0);       // left
    w.U16(0);       // top
    w.U16(0x3A98);  // width
    w.U16(0x2328);  // height
    w.U16(0x0038);  // horizontal and vertical scroll bars, sheet tabs
    w.U16(0);       // active sheet
    w.U16(0);       // first visible tab
    w.U16(1);       // selected sheets: the first
    w.U16(0x0258);  // tab bar width ratio
    EndRecord(w, r);

    // Four fonts (index 4 does not exist in this format); all the default one.
    for (int i = 0; i < 4; ++i) {
        r = BeginRecord(w, kFont);
        w.U16(200);     // 10 points in twips
        w.U16(0);       // no attributes
        w.U16(0x7FFF);  // automatic colour
        w.U16(400);     // normal weight
        w.U16(0);       // no super/subscript
        w.U8(0);        // no underline
        w.U8(0);        // family
        w.U8(0);        // character set
        w.U8(0);
        UnicodeString(w, u"Arial", true);
        EndRecord(w, r);
    }

    for (std::size_t i = 0; i < formatCodes_.size(); ++i) {
        r = BeginRecord(w, kFormat);
        w.U16(static_cast<std::uint32_t>(kFirstCustomFormat + i));
        UnicodeString(w, FromUtf8(formatCodes_[i]), false);
        EndRecord(w, r);
    }

    for (int i = 0; i < kStyleXfs; ++i) Xf(w, true, 0, HorizontalAlign::General);
    Xf(w, false, 0, HorizontalAlign::General);  // 15: the default cell style
    for (const Style& s : styles_) Xf(w, false, s.format, s.align);

    r = BeginRecord(w, kStyle);
    w.U16(0x8000);  // built-in style on XF 0
    w.U8(0);        // "Normal"
    w.U8(0xFF);
    EndRecord(w, r);

    for (const Sheet& sheet : sheets_) {
        r = BeginRecord(w, kBoundSheet);
        sheetOffsetFields.push_back(w.Size());
        w.U32(0);  // the sheet's BOF position, patched when it is known
        w.U8(0);   // visible
        w.U8(0);   // worksheet
        UnicodeString(w, FromUtf8(sheet.name), true);
        EndRecord(w, r);
    }

    // Shared strings. A string's header never splits across records; its characters may,
    // and each CONTINUE that carries the rest starts with the string's option byte again.
    const std::size_t n = strings_.size();
    const std::size_t perBucket = std::max<std::size_t>(8, (n + 127) / 128);
    std::vector<std::pair<std::uint32_t, std::uint16_t>> buckets;
    r = BeginRecord(w, kSst);
    std::size_t recordStart = r - 4;
    w.U32(stringUses_);
    w.U32(static_cast<std::uint32_t>(n));
    auto room = [&] { return kMaxRecordData - (w.Size() - r); };
    auto continueRecord = [&] {
        EndRecord(w, r);
        r = BeginRecord(w, kContinue);
        recordStart = r - 4;
    };
    for (std::size_t i = 0; i < n; ++i) {
        const std::u16string& s = strings_[i];
        const bool wide = !AllLatin1(s);
        const std::size_t charSize = wide ? 2 : 1;
        if (room() < 3 + charSize)
            continueRecord();
        if (i % perBucket == 0)
            buckets.emplace_back(static_cast<std::uint32_t>(w.Size()),
                                 static_cast<std::uint16_t>(w.Size() - recordStart));
        w.U16(static_cast<std::uint32_t>(s.size()));
        w.U8(wide ? 1 : 0);
        std::size_t done = 0;
        while (done < s.size()) {
            std::size_t fit = std::min(s.size() - done, room() / charSize);
            if (fit == 0) {
                continueRecord();
                w.U8(wide ? 1 : 0);
                continue;
            }
            Chars(w, s, done, fit, wide);
            done += fit;
        }
    }
    EndRecord(w, r);

    r = BeginRecord(w, kExtSst);
    w.U16(static_cast<std::uint32_t>(perBucket));
    for (const auto& [position, offset] : buckets) {
        w.U32(position);
        w.U16(offset);
        w.U16(0);
    }
    EndRecord(w, r);

    Eof(w);
    return bytes;
}

std::vector<std::uint8_t> XlsWorkbook::Finish() {
    std::vector<std::size_t> sheetOffsetFields;
    std::vector<std::uint8_t> stream = Globals(sheetOffsetFields);
    ByteWriter w(stream);
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
        w.Put32(sheetOffsetFields[i], static_cast<std::uint32_t>(stream.size()));
        WriteSheet(stream, sheets_[i], i == 0);
    }
    return stream;
}

void XlsWorkbook::WriteSheet(std::vector<std::uint8_t>& stream, Sheet& sheet, bool first) const {
    if (sheet.anyCell)
        FlushBlock(sheet);
    ByteWriter w(stream);
    stream.reserve(stream.size() + sheet.body.size() + 256 + sheet.widths.size() * 16 +
                   sheet.dbCells.size() * 4);

    Bof(w, 0x0010);
    auto r = BeginRecord(w, kIndex);
    w.U32(0);
    w.U32(sheet.anyCell ? sheet.firstRow : 0);
    w.U32(sheet.anyCell ? sheet.lastRow + 1 : 0);
    const std::size_t defColWidthField = w.Size();
    w.U32(0);
    const std::size_t dbCellFields = w.Size();
    w.Zeros(4 * sheet.dbCells.size());
    EndRecord(w, r);

    w.Put32(defColWidthField, static_cast<std::uint32_t>(w.Size()));
    r = BeginRecord(w, kDefColWidth);
    w.U16(8);  // characters, the default
    EndRecord(w, r);
    for (const ColumnWidth& c : sheet.widths) {
        r = BeginRecord(w, kColInfo);
        w.U16(c.first);
        w.U16(c.last);
        w.U16(c.width);
        w.U16(kDefaultStyle);
        w.U16(0);  // visible, no outline
        w.U16(0);
        EndRecord(w, r);
    }
    r = BeginRecord(w, kDimensions);
    w.U32(sheet.anyCell ? sheet.firstRow : 0);
    w.U32(sheet.anyCell ? sheet.lastRow + 1 : 0);
    w.U16(sheet.anyCell ? sheet.minColumn : 0);
    w.U16(sheet.anyCell ? sheet.maxColumn + 1 : 0);
    w.U16(0);
    EndRecord(w, r);

    const std::size_t bodyStart = stream.size();
    for (std::size_t i = 0; i < sheet.dbCells.size(); ++i)
        w.Put32(dbCellFields + 4 * i, static_cast<std::uint32_t>(bodyStart + sheet.dbCells[i]));
    stream.insert(stream.end(), sheet.body.begin(), sheet.body.end());
    sheet.body = {};

    r = BeginRecord(w, kWindow2);
    // Grid, headers, zeros, default grid colour, outline symbols; the first sheet is also
    // the selected one, shown when the workbook opens.
    w.U16(first ? 0x06B6 : 0x00B6);
    w.U16(0);       // top row
    w.U16(0);       // left column
    w.U16(0x0040);  // grid colour: automatic
    w.U16(0);
    w.U16(0);  // zoom in page break preview: default
    w.U16(0);  // zoom in normal view: default
    w.U32(0);
    EndRecord(w, r);
    Eof(w);
}

}  // namespace lgcset::exports
