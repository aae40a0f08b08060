// Texts of the settings are UTF-8; the logger stores one byte per character. These helpers
// walk UTF-8 by character and map characters to stored bytes and back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lgcset::settings {

// The characters of a UTF-8 text. A malformed sequence gives U+FFFD for each bad byte.
std::vector<char32_t> DecodeUtf8(std::string_view text);

void AppendUtf8(std::string& out, char32_t character);
std::string EncodeUtf8(const std::vector<char32_t>& characters);

// The stored byte of one character: the character itself up to U+00FF (ASCII and Latin-1),
// '?' for every character beyond, so one character always takes exactly one byte.
std::uint8_t ByteOfCharacter(char32_t character);

// The character a stored byte stands for (the inverse for bytes: Latin-1).
inline char32_t CharacterOfByte(std::uint8_t byte) {
    return byte;
}

}  // namespace lgcset::settings
