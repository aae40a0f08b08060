#include "settings/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace lgcset::settings {

std::optional<std::int32_t> ToInteger(std::string_view text) {
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
        value = value * 10 + (c - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<std::int32_t>::max() ||
        value < std::numeric_limits<std::int32_t>::min()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::int64_t ParseDecimal(std::string_view text) {
    // Accumulated in double like the original digit-by-digit power sum; clamped before the
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
    const double shown = static_cast<double>(value);
    char buffer[64];
    int length = std::snprintf(buffer, sizeof buffer, "%.2f", shown);
    if (length < 0) {
        return {};
    }
    std::string text;
    if (static_cast<std::size_t>(length) < sizeof buffer) {
        text.assign(buffer, static_cast<std::size_t>(length));
    } else {
        text.resize(static_cast<std::size_t>(length) + 1);
        length = std::snprintf(text.data(), text.size(), "%.2f", shown);
        text.resize(static_cast<std::size_t>(length));
    }
    if (text == "-0.00") {
        text = "0.00";
    }
    return text;
}

}  // namespace lgcset::settings
