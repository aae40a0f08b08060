#include "cli/audit_pdf.h"

#include <hpdf.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

#include "cli/audit_text.h"

namespace lgcset::cli {

namespace {

// A4 landscape, in points: seven columns need the width.
constexpr float kPageWidth = 842;
constexpr float kPageHeight = 595;
constexpr float kMargin = 36;
constexpr float kFooter = 24;  // the page number's baseline
constexpr float kTextSize = 8;
constexpr float kLeading = 10;
constexpr float kCellPad = 3;
constexpr float kRowGap = 3;             // above and below a row's text
constexpr float kBottom = kFooter + 14;  // the lowest a line of the table goes
constexpr float kHeaderHeight = kLeading + 4;
// The height a table has on a page of its own.
constexpr float kTableRoom = kPageHeight - kMargin - kHeaderHeight - kBottom;

struct Column {
    std::string_view title;
    float width;
};
constexpr std::array<Column, 7> kColumns{{
    {"No.", 34},
    {"Time (UTC)", 84},
    {"User / host / program", 128},
    {"Logger", 92},
    {"Action", 84},
    {"Result", 140},
    {"Reason and changes", 208},
}};

void OnError(HPDF_STATUS error, HPDF_STATUS, void* data) {
    auto* first = static_cast<HPDF_STATUS*>(data);
    if (*first == HPDF_OK)
        *first = error;
}

// UTF-8 text broken into lines that fit `width`: at its own line breaks, at spaces, and
// inside a word longer than a line.
std::vector<std::string> Wrap(HPDF_Font font, const std::string& text, float width,
                              float size = kTextSize) {
    std::vector<std::string> lines;
    for (const std::string& paragraph : DetailLines(text)) {
        const std::string shown = PdfLatin1(paragraph);
        std::string_view rest = shown;
        if (rest.empty())
            lines.emplace_back();
        while (!rest.empty()) {
            const auto* bytes = reinterpret_cast<const HPDF_BYTE*>(rest.data());
            const auto length = static_cast<HPDF_UINT>(rest.size());
            HPDF_UINT fits =
                HPDF_Font_MeasureText(font, bytes, length, width, size, 0, 0, HPDF_TRUE, nullptr);
            if (fits == 0)
                fits = HPDF_Font_MeasureText(font, bytes, length, width, size, 0, 0, HPDF_FALSE,
                                             nullptr);
            fits = std::max<HPDF_UINT>(fits, 1);
            std::string_view line = rest.substr(0, fits);
            while (line.ends_with(' ')) line.remove_suffix(1);
            lines.emplace_back(line);
            rest.remove_prefix(fits);
            while (rest.starts_with(' ')) rest.remove_prefix(1);
        }
    }
    return lines;
}

class Writer {
  public:
    explicit Writer(HPDF_Doc doc) : doc_(doc) {
        regular_ = HPDF_GetFont(doc, "Helvetica", "WinAnsiEncoding");
        bold_ = HPDF_GetFont(doc, "Helvetica-Bold", "WinAnsiEncoding");
    }

    void Heading(const AuditPdfHeading& heading) {
        NewPage(false);
        y_ -= 18;
        Text(bold_, 16, kMargin, y_, "Audit trail");
        y_ -= 8;
        for (const std::string& text :
             {"Archive: " + heading.archive, "Rows: " + heading.filter, "Made: " + heading.made})
            for (const std::string& line : Wrap(regular_, text, TableWidth(), 10)) {
                y_ -= 13;
                Text(regular_, 10, kMargin, y_, line);
            }
        y_ -= 10;
        TableHeader();
    }

    void Row(const archive::AuditRow& row) {
        const archive::AuditEntry& e = row.entry;
        std::string changes = e.reason.empty() ? std::string() : "Reason: " + e.reason + "\n";
        changes += e.detail;
        const std::array<std::string, kColumns.size()> texts{
            std::to_string(row.sequence),
            UtcText(e.at),
            WhoText(e) + "\n" + e.host + "\n" + e.program,
            e.deviceId + "\n" + e.model,
            std::string(archive::AuditActionText(e.action)),
            OutcomeText(e),
            changes};
        std::array<std::vector<std::string>, kColumns.size()> cells;
        std::size_t height = 1;
        for (std::size_t c = 0; c < kColumns.size(); ++c) {
            cells[c] = Wrap(regular_, texts[c], kColumns[c].width - 2 * kCellPad);
            height = std::max(height, cells[c].size());
        }
        // A row that fits on a page is never split; a longer one starts where it is and goes
        // on page after page.
        const float total = kRowGap + static_cast<float>(height) * kLeading + kRowGap;
        if (!Fits(total) && total <= kTableRoom)
            NewPage(true);
        y_ -= kRowGap;
        for (std::size_t line = 0; line < height; ++line) {
            if (!Fits(kLeading + kRowGap))
                NewPage(true);
            y_ -= kLeading;
            float x = kMargin;
            for (std::size_t c = 0; c < kColumns.size(); ++c) {
                if (line < cells[c].size())
                    Text(regular_, kTextSize, x + kCellPad, y_, cells[c][line]);
                x += kColumns[c].width;
            }
        }
        y_ -= kRowGap;
        Rule(0.3f);
    }

    void Ending(std::size_t shown, const ChainVerdict& chain) {
        const std::array<std::string, 4> lines{
            "Rows shown: " + std::to_string(shown),
            "Rows in the audit trail: " + std::to_string(chain.rows),
            "Final hash: " + (chain.finalHash.empty() ? std::string("none") : chain.finalHash),
            chain.verifies ? "The chain verifies: no row was changed, removed or put in."
                           : "The chain does not verify. " + chain.line};
        if (!Fits(8 + 13 * static_cast<float>(lines.size())))
            NewPage(false);
        y_ -= 8;
        for (const std::string& line : lines) {
            y_ -= 13;
            Text(line == lines.back() ? bold_ : regular_, 10, kMargin, y_, PdfLatin1(line));
        }
    }

    // "Page 1 of 3" on every page, once every page is known.
    void PageNumbers() {
        for (std::size_t i = 0; i < pages_.size(); ++i) {
            const std::string text =
                "Page " + std::to_string(i + 1) + " of " + std::to_string(pages_.size());
            const float width = TextWidth(text, 8);
            page_ = pages_[i];
            Text(regular_, 8, (kPageWidth - width) / 2, kFooter, text);
        }
    }

  private:
    float TextWidth(const std::string& text, float size) {
        const HPDF_TextWidth measured =
            HPDF_Font_TextWidth(regular_, reinterpret_cast<const HPDF_BYTE*>(text.data()),
                                static_cast<HPDF_UINT>(text.size()));
        return static_cast<float>(measured.width) * size / 1000;
    }

    // Whether `height` points more stay above the page number.
    bool Fits(float height) const { return y_ - height >= kBottom; }

    void NewPage(bool tableHeader) {
        page_ = HPDF_AddPage(doc_);
        HPDF_Page_SetWidth(page_, kPageWidth);
        HPDF_Page_SetHeight(page_, kPageHeight);
        pages_.push_back(page_);
        y_ = kPageHeight - kMargin;
        if (tableHeader)
            TableHeader();
    }

    void TableHeader() {
        y_ -= kHeaderHeight - 4;
        float x = kMargin;
        for (const Column& column : kColumns) {
            Text(bold_, kTextSize, x + kCellPad, y_, std::string(column.title));
            x += column.width;
        }
        y_ -= 4;
        Rule(0.8f);
    }

    static float TableWidth() {
        float width = 0;
        for (const Column& column : kColumns) width += column.width;
        return width;
    }

    void Rule(float width) {
        HPDF_Page_SetLineWidth(page_, width);
        HPDF_Page_MoveTo(page_, kMargin, y_);
        HPDF_Page_LineTo(page_, kMargin + TableWidth(), y_);
        HPDF_Page_Stroke(page_);
    }

    void Text(HPDF_Font font, float size, float x, float y, const std::string& text) {
        HPDF_Page_BeginText(page_);
        HPDF_Page_SetFontAndSize(page_, font, size);
        HPDF_Page_TextOut(page_, x, y, text.c_str());
        HPDF_Page_EndText(page_);
    }

    HPDF_Doc doc_;
    HPDF_Font regular_ = nullptr, bold_ = nullptr;
    HPDF_Page page_ = nullptr;
    std::vector<HPDF_Page> pages_;
    float y_ = 0;
};

std::vector<char> Saved(HPDF_Doc doc) {
    if (HPDF_SaveToStream(doc) != HPDF_OK)
        return {};
    std::vector<char> bytes(HPDF_GetStreamSize(doc));
    HPDF_ResetStream(doc);
    auto size = static_cast<HPDF_UINT32>(bytes.size());
    const HPDF_STATUS read =
        HPDF_ReadFromStream(doc, reinterpret_cast<HPDF_BYTE*>(bytes.data()), &size);
    if ((read != HPDF_OK && read != HPDF_STREAM_EOF) || size != bytes.size())
        return {};
    return bytes;
}

}  // namespace

std::string PdfLatin1(std::string_view utf8) {
    std::string text;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80         ? 1
                                   : lead >> 5 == 0x6  ? 2
                                   : lead >> 4 == 0xE  ? 3
                                   : lead >> 3 == 0x1E ? 4
                                                       : 0;
        bool whole = length > 0 && i + length <= utf8.size();
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; whole && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            whole = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        // An overlong form is no character either.
        constexpr std::array<std::uint32_t, 5> kLeast{0, 0, 0x80, 0x800, 0x10000};
        whole = whole && code >= kLeast[length];
        const bool shown =
            whole && code >= 0x20 && code != 0x7F && !(code >= 0x80 && code < 0xA0) && code <= 0xFF;
        text += shown ? static_cast<char>(code) : '?';
        i += whole ? length : 1;
    }
    return text;
}

std::vector<char> AuditPdf(std::span<const archive::AuditRow> rows, const AuditPdfHeading& heading,
                           const ChainVerdict& chain, std::string& error) {
    HPDF_STATUS failed = HPDF_OK;
    HPDF_Doc doc = HPDF_New(OnError, &failed);
    if (doc == nullptr) {
        error = "the PDF library could not start";
        return {};
    }
    HPDF_SetCompressionMode(doc, HPDF_COMP_ALL);
    HPDF_SetInfoAttr(doc, HPDF_INFO_TITLE, "Audit trail");
    Writer writer(doc);
    writer.Heading(heading);
    for (const archive::AuditRow& row : rows) writer.Row(row);
    writer.Ending(rows.size(), chain);
    writer.PageNumbers();
    std::vector<char> bytes = failed == HPDF_OK ? Saved(doc) : std::vector<char>();
    if (bytes.empty()) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(failed));
        error = std::string("the PDF could not be made (libharu error ") + code + ")";
    }
    HPDF_Free(doc);
    return bytes;
}

}  // namespace lgcset::cli
