#include "data/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace lgcset::data {
namespace {

// A finite value as at most 15 significant decimal digits: value = 0.digits × 10^point, with
// trailing zeros removed (no digits at all for zero).
struct Decimal {
    bool negative = false;
    std::string digits;
    int point = 0;
};

Decimal ToDecimal(double value) {
    Decimal d;
    d.negative = std::signbit(value);
    if (value == 0.0) {
        return d;
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::abs(value),
                                      std::chars_format::scientific, 14);
    // "d.dddddddddddddde±XX"
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    d.digits.push_back(text[0]);
    d.digits.append(text.substr(2, e - 2));
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    exponent);
    d.point = exponent + 1;
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
    }
    return d;
}

// Rounds to `decimals` places after the point, halves away from zero.
void RoundTo(Decimal& d, int decimals) {
    const int keep = d.point + decimals;
    if (keep >= static_cast<int>(d.digits.size())) {
        return;
    }
    if (keep < 0) {
        d.digits.clear();
        d.point = 0;
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[static_cast<std::size_t>(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.point;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
    }
    if (d.digits.empty()) {
        d.point = 0;
    }
}

// Digit i of the number's integer and fraction parts, counted from the point (0 = first digit
// after it, -1 = units).
char DigitAt(const Decimal& d, int index) {
    const int at = d.point + index;
    return (at >= 0 && at < static_cast<int>(d.digits.size()))
               ? d.digits[static_cast<std::size_t>(at)]
               : '0';
}

std::string Fixed(const Decimal& d, int minDecimals, std::string_view separator) {
    std::string text;
    if (d.negative && !d.digits.empty()) {
        text += '-';
    }
    if (d.point <= 0) {
        text += '0';
    } else {
        for (int i = -d.point; i < 0; ++i) {
            text += DigitAt(d, i);
        }
    }
    const int decimals = std::max(minDecimals, static_cast<int>(d.digits.size()) - d.point);
    if (decimals > 0) {
        text += separator;
        for (int i = 0; i < decimals; ++i) {
            text += DigitAt(d, i);
        }
    }
    return text;
}

std::string NotFinite(double value) {
    if (std::isnan(value)) {
        return "NAN";
    }
    return value < 0 ? "-INF" : "INF";
}

}  // namespace

std::string FormatUpToTwoDecimals(double value, std::string_view separator) {
    if (!std::isfinite(value)) {
        return NotFinite(value);
    }
    Decimal d = ToDecimal(value);
    RoundTo(d, 2);
    return Fixed(d, 0, separator);
}

std::string FormatOneToSixDecimals(double value, std::string_view separator) {
    if (!std::isfinite(value)) {
        return NotFinite(value);
    }
    Decimal d = ToDecimal(value);
    RoundTo(d, 6);
    return Fixed(d, 1, separator);
}

std::string FormatGeneral(double value, std::string_view separator) {
    if (!std::isfinite(value)) {
        return NotFinite(value);
    }
    const Decimal d = ToDecimal(value);
    if (d.digits.empty() || (d.point >= -4 && d.point <= 15)) {
        return Fixed(d, 0, separator);
    }
    // Scientific: first digit, the rest after the separator, then the exponent.
    std::string text = d.negative ? "-" : "";
    text += d.digits[0];
    if (d.digits.size() > 1) {
        text += separator;
        text.append(d.digits, 1);
    }
    text += 'E';
    text += std::to_string(d.point - 1);
    return text;
}

}  // namespace lgcset::data
