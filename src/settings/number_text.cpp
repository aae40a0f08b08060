#include "settings/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace lgcset::settings {

std::optional<std::int64_t> ToWideInteger(std::string_view text) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        // Past the bound every further digit keeps it there: such a number fits no field.
        value = std::min(value * 10 + (c - '0'), kWideIntegerBound);
    }
    return negative ? -value : value;
}

std::optional<std::int32_t> ToInteger(std::string_view text) {
    const auto value = ToWideInteger(text);
    if (!value || *value > std::numeric_limits<std::int32_t>::max() ||
        *value < std::numeric_limits<std::int32_t>::min()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*value);
}

std::int64_t ParseDecimal(std::string_view text) {
    // Accumulated in double as a digit-by-digit power sum; clamped before the
    // conversion so that a long text cannot overflow the integer.
    double sum = 0.0;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const int digit = static_cast<unsigned char>(text[i]) - '0';
        sum += digit * std::pow(10.0, static_cast<double>(n - 1 - i));
    }
    constexpr double kLimit = 9.0e18;
    if (!(sum < kLimit)) {
        return static_cast<std::int64_t>(kLimit);
    }
    if (!(sum > -kLimit)) {
        return static_cast<std::int64_t>(-kLimit);
    }
    return static_cast<std::int64_t>(std::trunc(sum));
}

std::optional<float> ToFloat(std::string_view text) {
    std::string_view body = text;
    bool negative = false;
    if (!body.empty() && (body.front() == '+' || body.front() == '-')) {
        negative = body.front() == '-';
        body.remove_prefix(1);
    }
    int digits = 0;
    int points = 0;
    for (const char c : body) {
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.') {
            ++points;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || points > 1) {
        return std::nullopt;
    }
    float value = 0.0f;
    const auto [end, error] =
        std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::fixed);
    if (error != std::errc{} || end != body.data() + body.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::string FormatTwoDecimals(float value) {
    if (!std::isfinite(value)) {
        return {};
    }
    // Hundredths, halves rounded away from zero. A float times 100 is exact in a double
    // (24 + 7 significant bits), so the half is recognised exactly.
    const double hundredths = std::abs(static_cast<double>(value)) * 100.0;
    if (hundredths >= 9.0e18) {
        // A float this large is an integer: the plain conversion is exact.
        char buffer[64];
        const int length = std::snprintf(buffer, sizeof buffer, "%.2f", static_cast<double>(value));
        return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string{};
    }
    const double whole = std::floor(hundredths);
    const auto rounded = static_cast<std::uint64_t>(whole) + (hundredths - whole >= 0.5 ? 1 : 0);
    std::string text = (value < 0 && rounded != 0) ? "-" : "";
    text += std::to_string(rounded / 100);
    text += '.';
    text += static_cast<char>('0' + rounded % 100 / 10);
    text += static_cast<char>('0' + rounded % 10);
    return text;
}

}  // namespace lgcset::settings
