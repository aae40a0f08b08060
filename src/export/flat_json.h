// The one form of JSON the export's manifest takes: a single object whose values are
// strings, numbers, true, false or null, never nested. The reader takes exactly that form
// and any bytes without harm: a manifest is a file that anyone may have edited.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace lgcset::exports {

// `text` as a JSON string, in quotes; bytes of 0x80 and above go out as they are (UTF-8).
std::string JsonString(std::string_view text);

struct FlatJsonValue {
    enum class Kind { String, Number, True, False, Null };
    Kind kind = Kind::Null;
    std::string text;  // a string's value (escapes undone), or a number's own text
};

// Larger texts and objects with more members are refused unread.
inline constexpr std::size_t kFlatJsonMaxBytes = 64 * 1024;
inline constexpr std::size_t kFlatJsonMaxMembers = 256;

struct FlatJsonRead {
    std::map<std::string, FlatJsonValue, std::less<>> members;
    std::string error;  // empty when read
};

// A duplicate name, a nested value, any text outside the object or a string that is not
// valid UTF-8 refuses the whole text.
FlatJsonRead ReadFlatJson(std::string_view text);

}  // namespace lgcset::exports
