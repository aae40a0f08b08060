#include "data/hex_text.h"

namespace lgcset::data {

void AppendHexText(std::string& text, std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) {
        return;
    }
    static constexpr char kDigits[] = "0123456789ABCDEF";
    text.reserve(text.size() + bytes.size() * 3 + (bytes.size() / kHexBytesPerLine + 1) * 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text.push_back(' ');
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0x0F]);
        if ((i + 1) % kHexBytesPerLine == 0) {
            text += "\r\n";
        }
    }
    text += "\r\n";
}

}  // namespace lgcset::data
