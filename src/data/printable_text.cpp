#include "data/printable_text.h"

#include <cstdio>

namespace lgcset::data {

std::string PrintableText(std::string_view text) {
    std::string printable;
    printable.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        char escape[8];
        if (byte == '\n') {
            printable += "\\n";
        } else if (byte == '\r') {
            printable += "\\r";
        } else if (byte == '\t') {
            printable += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            printable += escape;
        } else if (byte == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            // UTF-8 of a C1 control: some terminals take U+009B as an escape sequence.
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(text[++i]));
            printable += escape;
        } else {
            printable += text[i];
        }
    }
    return printable;
}

}  // namespace lgcset::data
