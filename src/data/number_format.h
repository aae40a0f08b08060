// The number texts of the data tools, written once for the current-data grid, the history
// export and its CSV file. Each works on the value's first 15 significant decimal digits,
// the way a spreadsheet shows a double, and takes the decimal separator of the user's locale.
#pragma once

#include <string>
#include <string_view>

namespace lgcset::data {

// "0.##": at least one integer digit, at most two decimals, no trailing zeros, halves away
// from zero (23.456 → "23.46", 20.0 → "20", 0.125 → "0.13"). A value that rounds to zero
// shows no sign.
std::string FormatUpToTwoDecimals(double value, std::string_view separator = ".");

// "##0.0#####": at least one integer digit and one to six decimals, halves away from zero
// (22.54 → "22.54", 113.0 → "113.0", 113.954321 → "113.954321").
std::string FormatOneToSixDecimals(double value, std::string_view separator = ".");

// The general form: up to 15 significant digits without trailing zeros (45.6, 90, and 23.7
// as single precision 23.7000007629395); a decimal exponent as "1E20" or "1E-6" outside
// 1E-5 .. 1E15.
std::string FormatGeneral(double value, std::string_view separator = ".");

}  // namespace lgcset::data
