#include "profiles/text_encoding.h"

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

#include "settings/text_units.h"

namespace lgcset::profiles {
namespace {

// Characters of the bytes 0x80 ... 0x9F; the undefined ones stand for themselves.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The character at bytes[at] and the count of bytes it takes; nothing when malformed.
std::optional<std::pair<char32_t, std::size_t>> NextCharacter(std::string_view bytes,
                                                              std::size_t at) {
    const auto lead = static_cast<std::uint8_t>(bytes[at]);
    if (lead < 0x80) {
        return std::pair<char32_t, std::size_t>{lead, 1};
    }
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (bytes.size() - at < length) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<std::uint8_t>(bytes[at + i]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return std::nullopt;
    }
    return std::pair<char32_t, std::size_t>{c, length};
}

std::optional<std::uint8_t> Windows1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<std::uint8_t>(c);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) {
            return static_cast<std::uint8_t>(0x80 + i);
        }
    }
    return std::nullopt;
}

constexpr char32_t kReplacement = 0xFFFD;

char16_t UnitAt(std::string_view bytes, std::size_t at, ByteOrder order) {
    const auto first = static_cast<std::uint8_t>(bytes[at]);
    const auto second = static_cast<std::uint8_t>(bytes[at + 1]);
    return order == ByteOrder::Little ? static_cast<char16_t>(first | second << 8)
                                      : static_cast<char16_t>(first << 8 | second);
}

void AppendUnit(std::string& out, char16_t unit, ByteOrder order) {
    const auto low = static_cast<char>(unit & 0xFF);
    const auto high = static_cast<char>(unit >> 8);
    out += order == ByteOrder::Little ? low : high;
    out += order == ByteOrder::Little ? high : low;
}

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const auto next = NextCharacter(bytes, at);
        if (!next) {
            return false;
        }
        at += next->second;
    }
    return true;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto b = static_cast<std::uint8_t>(byte);
        settings::AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char32_t{b});
    }
    return out;
}

std::optional<std::string> Utf8ToWindows1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto next = NextCharacter(text, at);
        if (!next) {
            return std::nullopt;
        }
        const auto byte = Windows1252Byte(next->first);
        if (!byte) {
            return std::nullopt;
        }
        out += static_cast<char>(*byte);
        at += next->second;
    }
    return out;
}

std::string Utf16ToUtf8(std::string_view bytes, ByteOrder order) {
    std::string out;
    out.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t unit = UnitAt(bytes, 2 * i, order);
        const char32_t next = i + 1 < units ? UnitAt(bytes, 2 * (i + 1), order) : 0;
        if (IsHighSurrogate(unit) && IsLowSurrogate(next)) {
            settings::AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            settings::AppendUtf8(out, kReplacement);
        } else {
            settings::AppendUtf8(out, unit);
        }
    }
    if (bytes.size() % 2 != 0)
        settings::AppendUtf8(out, kReplacement);
    return out;
}

std::string Utf8ToUtf16(std::string_view text, ByteOrder order) {
    std::string out;
    out.reserve(2 * text.size());
    for (const char32_t c : settings::DecodeUtf8(text)) {
        if (c < 0x10000) {
            AppendUnit(out, static_cast<char16_t>(c), order);
            continue;
        }
        AppendUnit(out, static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), order);
        AppendUnit(out, static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)), order);
    }
    return out;
}

}  // namespace lgcset::profiles
