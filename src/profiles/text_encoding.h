// The byte forms of a profile file's text. Texts inside the program are UTF-8; a profile
// on disk is Windows-1252 (the code page of the profiles kept in the field), UTF-8, or
// UTF-16 with its byte order mark (as the Windows profile functions keep a file that starts
// with one).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lgcset::profiles {

// True when bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Every byte as the Windows-1252 character it stands for. The five bytes that code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for U+0081 ... as Windows maps them.
std::string Windows1252ToUtf8(std::string_view bytes);

// The Windows-1252 bytes of a UTF-8 text, or nothing when a character has no byte there
// (or the text is not UTF-8).
std::optional<std::string> Utf8ToWindows1252(std::string_view text);

enum class ByteOrder { Little, Big };

// The text of UTF-16 bytes (after their byte order mark). A unit that is half of no pair,
// and an odd last byte, read as U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, ByteOrder order);

// The UTF-16 bytes of a UTF-8 text, without a byte order mark.
std::string Utf8ToUtf16(std::string_view text, ByteOrder order);

}  // namespace lgcset::profiles
