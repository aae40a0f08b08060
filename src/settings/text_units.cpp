#include "settings/text_units.h"

namespace lgcset::settings {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Length of the sequence that starts with lead, 0 for a byte that cannot start one.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

}  // namespace

std::vector<char32_t> DecodeUtf8(std::string_view text) {
    std::vector<char32_t> out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = SequenceLength(lead);
        if (length == 0 || i + length > text.size()) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        if (length == 1) {
            out.push_back(lead);
            ++i;
            continue;
        }
        char32_t value = lead & (0x7F >> length);
        bool valid = true;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            value = (value << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
        if (!valid || overlong || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        out.push_back(value);
        i += length;
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        c = kReplacement;
    }
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string EncodeUtf8(const std::vector<char32_t>& characters) {
    std::string out;
    out.reserve(characters.size());
    for (const char32_t c : characters) {
        AppendUtf8(out, c);
    }
    return out;
}

std::uint8_t ByteOfCharacter(char32_t character) {
    return character <= 0xFF ? static_cast<std::uint8_t>(character) : std::uint8_t{'?'};
}

}  // namespace lgcset::settings
