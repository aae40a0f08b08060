// Numbers as the settings boxes hold them: decimal integers, the digit sum used by some
// alarm fields, and single-precision values shown with two decimals.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lgcset::settings {

// The whole text as a signed 32-bit decimal integer: an optional '+' or '-' and at least
// one digit, nothing else. Empty when the text is not such a number or does not fit.
std::optional<std::int32_t> ToInteger(std::string_view text);

// The same form of any length: a magnitude beyond kWideIntegerBound is given as that bound,
// which is enough to tell that the number fits no field.
inline constexpr std::int64_t kWideIntegerBound = std::int64_t{1} << 53;
std::optional<std::int64_t> ToWideInteger(std::string_view text);

// Sum over the characters c at positions i = 0 .. n-1 of (c - '0') * 10^(n-1-i), truncated
// toward zero. Never fails; an empty text gives 0. Characters other than digits add their
// (possibly negative) offset from '0', as the logger's own tools always did.
std::int64_t ParseDecimal(std::string_view text);

// A decimal number with '.' as decimal point and an optional leading sign, rounded to single
// precision: "25.1", "-5", ".5", "5." are numbers; "", "+", "-", ".", "1.2.3", "1e3" are not.
std::optional<float> ToFloat(std::string_view text);

// "0.00": always two decimals, no thousands separator, halves rounded away from zero
// (0.125 shows 0.13); a value that rounds to zero shows no sign. A value that is not finite (erased
// memory reads as NaN) gives an empty text.
std::string FormatTwoDecimals(float value);

}  // namespace lgcset::settings
